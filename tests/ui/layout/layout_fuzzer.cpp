// Lays out skins made from fuzzed markup with the toolkit's layout
// arithmetic, at several window sizes. The markup is decoded and walked as
// the builder does, into a plain tree of the attributes that the layouts
// read; whatever numbers it holds, laying it out must neither overflow nor
// divide by zero (the sanitizers watch), and must hand out rectangles the
// right way round within the coordinate range.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "ui/core/AttributeList.h"
#include "ui/core/ChildPlacement.h"
#include "ui/markup/MarkupDecode.h"
#include "ui/markup/MarkupWalk.h"

namespace {

using namespace SkinUI;

// The scroll bars' thickness without a "width" (or "height") in their style.
constexpr int kDefaultThickness = 16;

struct Node {
    bool container = false;
    Arrangement arrangement;
    ChildSizing sizing;
    bool visible = true;
    LayoutRect inset;
    int childPadding = 0;
    bool vscroll = false;
    bool hscroll = false;
    int vThickness = kDefaultThickness;
    int hThickness = kDefaultThickness;
    // The scroll position the container holds; only the fuzz tree reads it
    // from the markup ("scroll").
    LayoutSize scroll;
    std::vector<std::unique_ptr<Node>> children;
};

int IntOf(const char* text) {
    long value = 0;
    ParseIntList(text, &value, 1);
    return static_cast<int>(
        std::clamp<long>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// "a,b,c,d" as far as it goes, each number cut to the int range.
void IntsOf(const char* text, int* values, int count) {
    long read[4] = {};
    ParseIntList(text, read, count);
    for (int i = 0; i < count; ++i) {
        values[i] = static_cast<int>(std::clamp<long>(read[i], std::numeric_limits<int>::min(),
                                                      std::numeric_limits<int>::max()));
    }
}

LayoutRect RectOf(const char* text) {
    int v[4];
    IntsOf(text, v, 4);
    return LayoutRect{v[0], v[1], v[2], v[3]};
}

LayoutSize SizeOf(const char* text) {
    int v[2];
    IntsOf(text, v, 2);
    return LayoutSize{v[0], v[1]};
}

// A scroll bar's thickness from its style, as CScrollBarUI::GetThickness.
int ThicknessOf(const char* style, bool horizontal) {
    int fixed = 0;
    ParseAttributeList(style, nullptr, [&](const std::string& name, const std::string& value) {
        if (name == (horizontal ? "height" : "width"))
            fixed = IntOf(value.c_str());
    });
    return fixed > 0 ? fixed : kDefaultThickness;
}

struct Setter {
    const char* name;
    void (*apply)(Node& node, const char* value);
};

// The attributes the layouts read, taken as they stand: the layout
// arithmetic must cope with numbers the controls' setters would refuse.
const Setter kSetters[] = {
    {"width", [](Node& n, const char* v) { n.sizing.fixed.cx = IntOf(v); }},
    {"height", [](Node& n, const char* v) { n.sizing.fixed.cy = IntOf(v); }},
    {"minwidth", [](Node& n, const char* v) { n.sizing.min.cx = IntOf(v); }},
    {"minheight", [](Node& n, const char* v) { n.sizing.min.cy = IntOf(v); }},
    {"maxwidth", [](Node& n, const char* v) { n.sizing.max.cx = IntOf(v); }},
    {"maxheight", [](Node& n, const char* v) { n.sizing.max.cy = IntOf(v); }},
    {"padding", [](Node& n, const char* v) { n.sizing.padding = RectOf(v); }},
    {"float", [](Node& n, const char* v) { n.sizing.isFloat = ParseBool(v); }},
    {"pos",
     [](Node& n, const char* v) {
         // A float's place gives it its fixed size too.
         n.sizing.floatPos = RectOf(v);
         const LayoutRect& pos = n.sizing.floatPos;
         n.sizing.fixed =
             LayoutSize{SaturatedSub(pos.right, pos.left), SaturatedSub(pos.bottom, pos.top)};
     }},
    {"visible", [](Node& n, const char* v) { n.visible = ParseBool(v); }},
    {"inset", [](Node& n, const char* v) { n.inset = RectOf(v); }},
    {"childpadding", [](Node& n, const char* v) { n.childPadding = IntOf(v); }},
    {"columns", [](Node& n, const char* v) { n.arrangement.columns = IntOf(v); }},
    {"itemsize", [](Node& n, const char* v) { n.arrangement.itemSize = SizeOf(v); }},
    {"vscrollbar", [](Node& n, const char* v) { n.vscroll = ParseBool(v); }},
    {"hscrollbar", [](Node& n, const char* v) { n.hscroll = ParseBool(v); }},
    {"vscrollbarstyle", [](Node& n, const char* v) { n.vThickness = ThicknessOf(v, false); }},
    {"hscrollbarstyle", [](Node& n, const char* v) { n.hThickness = ThicknessOf(v, true); }},
    {"scroll", [](Node& n, const char* v) { n.scroll = SizeOf(v); }},
};

// The walk's sink: one node for each element, containers by their tag.
class Tree : public IMarkupSink {
public:
    std::unique_ptr<Node> root;

    void OnWindow(const pugi::xml_node&, bool) override {}
    void* OnElement(const pugi::xml_node& element, void* parent) override {
        auto node = std::make_unique<Node>();
        node->sizing.max = LayoutSize{9999, 9999};
        SetKind(*node, element.name());
        for (const pugi::xml_attribute& attribute : element.attributes()) {
            for (const Setter& setter : kSetters) {
                if (std::string(attribute.name()) == setter.name)
                    setter.apply(*node, attribute.value());
            }
        }
        Node* made = node.get();
        if (parent) {
            static_cast<Node*>(parent)->children.push_back(std::move(node));
        } else if (!root) {
            root = std::move(node);
        } else {
            return nullptr;
        }
        return made;
    }
    bool LoadInclude(const std::string&, std::string&, std::string& error) override {
        error = "no includes here";
        return false;
    }

private:
    static void SetKind(Node& node, const std::string& tag) {
        using Kind = Arrangement::Kind;
        node.container = true;
        if (tag == "VerticalLayout" || tag == "List" || tag == "ChildLayout") {
            node.arrangement.kind = Kind::Vertical;
        } else if (tag == "HorizontalLayout" || tag == "ListElement") {
            node.arrangement.kind = Kind::Horizontal;
        } else if (tag == "TileLayout") {
            node.arrangement.kind = Kind::Tile;
        } else if (tag == "Container" || tag == "TabLayout") {
            node.arrangement.kind = Kind::Fill;
        } else {
            node.container = false;
        }
    }
};

bool Sane(int v) {
    return v >= -kMaxCoordinate && v <= kMaxCoordinate;
}

bool Sane(const LayoutRect& rc) {
    return Sane(rc.left) && Sane(rc.top) && Sane(rc.right) && Sane(rc.bottom) &&
           rc.left <= rc.right && rc.top <= rc.bottom;
}

bool Sane(const ScrollBarPlace& bar, int scroll) {
    return bar.range >= 0 && bar.page >= 0 && (bar.shown || bar.range == 0) && Sane(bar.pos) &&
           scroll >= 0 && scroll <= bar.range;
}

void LayOut(const Node& node, const LayoutRect& rc) {
    if (!node.container)
        return;
    std::vector<const Node*> shown;
    std::vector<ChildSizing> sizing;
    for (const auto& child : node.children) {
        if (child->visible) {
            shown.push_back(child.get());
            sizing.push_back(child->sizing);
        }
    }
    ContainerFrame frame;
    frame.item = rc;
    frame.inset = node.inset;
    frame.childPadding = node.childPadding;
    frame.hasVertical = node.vscroll;
    frame.hasHorizontal = node.hscroll;
    frame.verticalThickness = node.vThickness;
    frame.horizontalThickness = node.hThickness;
    frame.scroll = node.scroll;
    // As CControlUI::EstimateSize: a control asks for its fixed size.
    const Placement placed =
        PlaceChildren(node.arrangement, frame, sizing,
                      [&shown](size_t child, LayoutSize) { return shown[child]->sizing.fixed; });
    if (placed.children.size() != shown.size() || !Sane(placed.view) ||
        !Sane(placed.vertical, placed.scroll.cy) || !Sane(placed.horizontal, placed.scroll.cx)) {
        __builtin_trap();
    }
    for (size_t i = 0; i < shown.size(); ++i) {
        if (!Sane(placed.children[i]))
            __builtin_trap();
        LayOut(*shown[i], placed.children[i]);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    auto toAnsi = [](const std::u16string& wide, std::string& ansi) {
        ansi.clear();
        for (char16_t c : wide)
            ansi += c < 0x80 ? static_cast<char>(c) : '?';
        return true;
    };
    std::string text;
    std::string error;
    if (!DecodeMarkup(bytes, MarkupEncoding::Utf8, toAnsi, text, error))
        return 0;
    Tree tree;
    MarkupWalk walk(tree, nullptr);
    walk.Walk(text, "Main.xml", nullptr, error);
    if (!tree.root)
        return 0;
    // The window sizes: none, the smallest, the launcher's, and beyond any screen.
    for (const LayoutRect& window :
         {LayoutRect{0, 0, 0, 0}, LayoutRect{0, 0, 1, 1}, LayoutRect{0, 0, 760, 500},
          LayoutRect{-40, -30, 1280, 1024}, LayoutRect{0, 0, kMaxCoordinate, kMaxCoordinate}}) {
        LayOut(*tree.root, window);
    }
    return 0;
}
