// Builds control trees from skin markup. The markup is decoded to the ANSI
// code page before parsing, so every text reaches the controls as the bytes
// the program compares and shows.
#include "ui/markup/DialogBuilder.h"

#include <pugixml.hpp>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "ui/browser/ActiveX.h"
#include "ui/browser/WebBrowser.h"
#include "ui/controls/Combo.h"
#include "ui/controls/ComboBox.h"
#include "ui/controls/Edit.h"
#include "ui/controls/Label.h"
#include "ui/controls/List.h"
#include "ui/controls/ListElement.h"
#include "ui/controls/Option.h"
#include "ui/controls/Progress.h"
#include "ui/controls/RichEdit.h"
#include "ui/controls/Slider.h"
#include "ui/core/AttributeList.h"
#include "ui/core/AttributeTable.h"
#include "ui/core/RectAttributes.h"
#include "ui/core/ScrollBar.h"
#include "ui/core/WindowManager.h"
#include "ui/layout/TabLayout.h"
#include "ui/layout/TileLayout.h"
#include "ui/markup/ChildLayout.h"
#include "ui/markup/MarkupDecode.h"
#include "ui/markup/MarkupWalk.h"
#include "ui/package/ResourceLoader.h"

namespace SkinUI {

namespace {

CControlUI* CreateBuiltin(const char* tag) {
    struct Entry {
        const char* tag;
        CControlUI* (*make)();
    };
    static const Entry kEntries[] = {
        {"Control", [] { return new CControlUI; }},
        {"Container", [] { return static_cast<CControlUI*>(new CContainerUI); }},
        {"VerticalLayout", [] { return static_cast<CControlUI*>(new CVerticalLayoutUI); }},
        {"HorizontalLayout", [] { return static_cast<CControlUI*>(new CHorizontalLayoutUI); }},
        {"TabLayout", [] { return static_cast<CControlUI*>(new CTabLayoutUI); }},
        {"Label", [] { return static_cast<CControlUI*>(new CLabelUI); }},
        {"Text", [] { return static_cast<CControlUI*>(new CTextUI); }},
        {"Button", [] { return static_cast<CControlUI*>(new CButtonUI); }},
        {"Option", [] { return static_cast<CControlUI*>(new COptionUI); }},
        {"CheckBox", [] { return static_cast<CControlUI*>(new CCheckBoxUI); }},
        {"Edit", [] { return static_cast<CControlUI*>(new CEditUI); }},
        {"Progress", [] { return static_cast<CControlUI*>(new CProgressUI); }},
        {"Combo", [] { return static_cast<CControlUI*>(new CComboUI); }},
        {"ListLabelElement", [] { return static_cast<CControlUI*>(new CListLabelElementUI); }},
        {"ActiveX", [] { return static_cast<CControlUI*>(new CActiveXUI); }},
        {"WebBrowser", [] { return static_cast<CControlUI*>(new CWebBrowserUI); }},
        {"ScrollBar", [] { return static_cast<CControlUI*>(new CScrollBarUI); }},
        {"List", [] { return static_cast<CControlUI*>(new CListUI); }},
        {"TileLayout", [] { return static_cast<CControlUI*>(new CTileLayoutUI); }},
        {"ChildLayout", [] { return static_cast<CControlUI*>(new CChildLayoutUI); }},
        {"Slider", [] { return static_cast<CControlUI*>(new CSliderUI); }},
        {"ComboBox", [] { return static_cast<CControlUI*>(new CComboBoxUI); }},
        {"RichEdit", [] { return static_cast<CControlUI*>(new CRichEditUI); }},
    };
    for (const Entry& entry : kEntries) {
        if (std::strcmp(entry.tag, tag) == 0)
            return entry.make();
    }
    return nullptr;
}

bool WideToAnsiCodePage(const std::u16string& wide, std::string& ansi) {
    const auto* units = reinterpret_cast<const wchar_t*>(wide.data());
    const int count = static_cast<int>(wide.size());
    const int length = ::WideCharToMultiByte(CP_ACP, 0, units, count, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return false;
    ansi.assign(static_cast<size_t>(length), '\0');
    return ::WideCharToMultiByte(CP_ACP, 0, units, count, &ansi[0], length, nullptr, nullptr) ==
           length;
}

bool LoadResourceBytes(const char* id, const char* type, std::string& bytes) {
    HINSTANCE instance = CWindowManagerUI::GetInstance();
    HRSRC resource = ::FindResourceA(instance, id, type);
    if (!resource)
        return false;
    HGLOBAL loaded = ::LoadResource(instance, resource);
    const DWORD size = ::SizeofResource(instance, resource);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data || size == 0)
        return false;
    bytes.assign(static_cast<const char*>(data), size);
    return true;
}

void DebugReport(const std::string& message) {
    ::OutputDebugStringA(("SkinUI: " + message + "\n").c_str());
}

bool DecodeUtf8Markup(const std::string& bytes, std::string& text, std::string& error) {
    return DecodeMarkup(bytes, MarkupEncoding::Utf8, WideToAnsiCodePage, text, error);
}

// A window value of two numbers, "cx,cy", for a manager setter that takes them.
template <void (CWindowManagerUI::*Set)(int, int)>
void ApplySize(CWindowManagerUI& manager, const char* value) {
    const SIZE size = ParseSize(value);
    (manager.*Set)(size.cx, size.cy);
}

// Turns the elements the walk hands over into controls of one manager.
class ControlSink : public IMarkupSink {
public:
    ControlSink(IDialogBuilderCallback* callback, CWindowManagerUI* manager)
        : m_callback(callback), m_manager(manager) {}

    void OnWindow(const pugi::xml_node& window, bool included) override {
        if (!m_manager)
            return;
        // The window's size and look, and the numbering of its fonts, belong
        // to the top file: an included file only adds images and defaults.
        if (!included)
            ApplyWindowValues(window);
        bool ignoredFonts = false;
        for (const pugi::xml_node& child : window.children()) {
            const char* tag = child.name();
            if (std::strcmp(tag, "Image") == 0) {
                const char* name = child.attribute("name").value();
                if (*name)
                    m_manager->AddImage(name, ParseColor(child.attribute("mask").value()));
            } else if (std::strcmp(tag, "Font") == 0) {
                if (!included)
                    AddFont(child);
                else
                    ignoredFonts = true;
            } else if (std::strcmp(tag, "Default") == 0) {
                m_manager->AddDefaultAttributeList(child.attribute("name").value(),
                                                   child.attribute("value").value());
            }
        }
        if (ignoredFonts) {
            DebugReport(
                "an included file's fonts are ignored; font numbers count the top "
                "file's fonts");
        }
    }

    void* OnElement(const pugi::xml_node& element, void* parentObject) override {
        auto* parent = static_cast<CControlUI*>(parentObject);
        const char* tag = element.name();
        CControlUI* control = CreateBuiltin(tag);
        if (!control && m_callback)
            control = m_callback->CreateControl(tag);
        if (!control)
            return nullptr;
        if (parent) {
            auto* container = static_cast<IContainerUI*>(parent->GetInterface("IContainer"));
            if (!container || !container->Add(control)) {
                delete control;
                return nullptr;
            }
        }
        if (m_manager) {
            control->SetManager(m_manager, parent, false);
            const std::string defaults = m_manager->GetDefaultAttributeList(tag);
            if (!defaults.empty())
                control->ApplyAttributeList(defaults.c_str());
        }
        // A child layout builds its file with the same callback as this build.
        if (auto* child = static_cast<CChildLayoutUI*>(control->GetInterface("ChildLayout")))
            child->SetBuilderCallback(m_callback);
        for (const pugi::xml_attribute& attr : element.attributes())
            control->SetAttribute(attr.name(), attr.value());
        // Built into an attached tree, the control enters the name map now
        // that its name is set. (A tree without a parent enters it whole in
        // AttachRoot.)
        if (parent && m_manager)
            m_manager->InitControls(control, parent);
        return control;
    }

    bool LoadInclude(const std::string& source, std::string& text, std::string& error) override {
        std::string bytes;
        return LoadMarkupBytes(CurrentSource(), source, bytes, error) &&
               DecodeUtf8Markup(bytes, text, error);
    }

    static ResourceSource CurrentSource() {
        return ResourceSource{CWindowManagerUI::GetResourcePath(),
                              CWindowManagerUI::GetResourcePackage(),
                              CWindowManagerUI::GetResourcePackagePassword()};
    }

private:
    void ApplyWindowValues(const pugi::xml_node& window) {
        using Manager = CWindowManagerUI;
        static const AttributeSetter<Manager> kWindowAttributes[] = {
            {"size", ApplySize<&Manager::SetInitSize>},
            {"caption", [](Manager& m, const char* v) { m.SetCaptionRect(ParseRect(v)); }},
            {"roundcorner", ApplySize<&Manager::SetRoundCorner>},
            {"sizebox", [](Manager& m, const char* v) { m.SetSizeBox(ParseRect(v)); }},
            {"mininfo", ApplySize<&Manager::SetMinInfo>},
            {"maxinfo", ApplySize<&Manager::SetMaxInfo>},
            {"alpha", [](Manager& m, const char* v) { m.SetTransparent(std::atoi(v)); }},
            {"defaultfontcolor",
             [](Manager& m, const char* v) { m.SetDefaultFontColor(ParseColor(v)); }},
            {"disabledfontcolor",
             [](Manager& m, const char* v) { m.SetDefaultDisabledColor(ParseColor(v)); }},
        };
        for (const pugi::xml_attribute& attr : window.attributes())
            ApplyAttribute(kWindowAttributes, *m_manager, attr.name(), attr.value());
    }

    void AddFont(const pugi::xml_node& font) {
        const char* face = font.attribute("name").value();
        const int size = font.attribute("size").as_int(12);
        const bool bold = ParseBool(font.attribute("bold").value());
        const bool underline = ParseBool(font.attribute("underline").value());
        const bool italic = ParseBool(font.attribute("italic").value());
        // Fonts are numbered in document order; the default one too.
        m_manager->AddFont(face, size, bold, underline, italic);
        if (ParseBool(font.attribute("default").value()))
            m_manager->SetDefaultFont(face, size, bold, underline, italic);
    }

    IDialogBuilderCallback* m_callback;
    CWindowManagerUI* m_manager;
};

}  // namespace

CControlUI* CDialogBuilder::BuildFromMarkup(const char* source, const char* type,
                                            IDialogBuilderCallback* callback,
                                            CWindowManagerUI* manager, CControlUI* parent) {
    m_sError.clear();
    if (!source) {
        m_sError = "No markup source";
        return nullptr;
    }
    std::string text;
    std::string sourceName;
    if (IS_INTRESOURCE(source)) {
        std::string bytes;
        if (!LoadResourceBytes(source, type, bytes)) {
            m_sError = "Could not load the markup resource";
            return nullptr;
        }
        if (!DecodeUtf8Markup(bytes, text, m_sError))
            return nullptr;
    } else if (source[0] == '<') {
        // Markup handed over as text is already in the program's code page.
        text = source;
    } else {
        std::string bytes;
        if (!LoadMarkupBytes(ControlSink::CurrentSource(), source, bytes, m_sError) ||
            !DecodeUtf8Markup(bytes, text, m_sError)) {
            return nullptr;
        }
        sourceName = source;
    }
    ControlSink sink(callback, manager);
    MarkupWalk walk(sink, DebugReport);
    return static_cast<CControlUI*>(walk.Walk(text, sourceName, parent, m_sError));
}

}  // namespace SkinUI
