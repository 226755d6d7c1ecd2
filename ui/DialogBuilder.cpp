// Builds control trees from skin markup. The markup is decoded to the ANSI
// code page before parsing, so every text reaches the controls as the bytes
// the program compares and shows.
#include "ui/DialogBuilder.h"

#include <pugixml.hpp>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "ui/ActiveX.h"
#include "ui/AttributeList.h"
#include "ui/ChildLayout.h"
#include "ui/Combo.h"
#include "ui/ComboBox.h"
#include "ui/Edit.h"
#include "ui/Label.h"
#include "ui/List.h"
#include "ui/ListElement.h"
#include "ui/MarkupDecode.h"
#include "ui/Option.h"
#include "ui/Progress.h"
#include "ui/ResourceLoader.h"
#include "ui/RichEdit.h"
#include "ui/ScrollBar.h"
#include "ui/Slider.h"
#include "ui/TileLayout.h"
#include "ui/WebBrowser.h"
#include "ui/WindowManager.h"

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

SIZE SizeOf(const char* value) {
    long v[2];
    ParseIntList(value, v, 2);
    return SIZE{v[0], v[1]};
}

RECT RectOf(const char* value) {
    long v[4];
    ParseIntList(value, v, 4);
    return RECT{v[0], v[1], v[2], v[3]};
}

class MarkupBuilder {
public:
    MarkupBuilder(IDialogBuilderCallback* callback, CWindowManagerUI* manager)
        : m_callback(callback), m_manager(manager) {}

    void ApplyWindow(const pugi::xml_node& window) {
        if (!m_manager)
            return;
        for (const pugi::xml_attribute& attr : window.attributes()) {
            const char* name = attr.name();
            const char* value = attr.value();
            if (std::strcmp(name, "size") == 0) {
                const SIZE size = SizeOf(value);
                m_manager->SetInitSize(size.cx, size.cy);
            } else if (std::strcmp(name, "caption") == 0) {
                m_manager->SetCaptionRect(RectOf(value));
            } else if (std::strcmp(name, "roundcorner") == 0) {
                const SIZE size = SizeOf(value);
                m_manager->SetRoundCorner(size.cx, size.cy);
            } else if (std::strcmp(name, "sizebox") == 0) {
                m_manager->SetSizeBox(RectOf(value));
            } else if (std::strcmp(name, "mininfo") == 0) {
                const SIZE size = SizeOf(value);
                m_manager->SetMinInfo(size.cx, size.cy);
            } else if (std::strcmp(name, "maxinfo") == 0) {
                const SIZE size = SizeOf(value);
                m_manager->SetMaxInfo(size.cx, size.cy);
            } else if (std::strcmp(name, "alpha") == 0) {
                m_manager->SetTransparent(std::atoi(value));
            } else if (std::strcmp(name, "defaultfontcolor") == 0) {
                m_manager->SetDefaultFontColor(ParseColor(value));
            } else if (std::strcmp(name, "disabledfontcolor") == 0) {
                m_manager->SetDefaultDisabledColor(ParseColor(value));
            }
        }
        for (const pugi::xml_node& child : window.children()) {
            const char* tag = child.name();
            if (std::strcmp(tag, "Image") == 0) {
                const char* name = child.attribute("name").value();
                if (*name)
                    m_manager->AddImage(name, ParseColor(child.attribute("mask").value()));
            } else if (std::strcmp(tag, "Font") == 0) {
                const char* face = child.attribute("name").value();
                const int size = child.attribute("size").as_int(12);
                const bool bold = ParseBool(child.attribute("bold").value());
                const bool underline = ParseBool(child.attribute("underline").value());
                const bool italic = ParseBool(child.attribute("italic").value());
                // Fonts are numbered in document order; the default one too.
                m_manager->AddFont(face, size, bold, underline, italic);
                if (ParseBool(child.attribute("default").value())) {
                    m_manager->SetDefaultFont(face, size, bold, underline, italic);
                }
            } else if (std::strcmp(tag, "Default") == 0) {
                m_manager->AddDefaultAttributeList(child.attribute("name").value(),
                                                   child.attribute("value").value());
            }
        }
    }

    // Builds the element children of `node` into `parent`; returns the
    // first control made.
    CControlUI* BuildChildren(const pugi::xml_node& node, CControlUI* parent) {
        CControlUI* first = nullptr;
        for (const pugi::xml_node& child : node.children()) {
            if (child.type() != pugi::node_element)
                continue;
            CControlUI* made = BuildElement(child, parent);
            if (!first)
                first = made;
        }
        return first;
    }

    CControlUI* BuildElement(const pugi::xml_node& element, CControlUI* parent) {
        const char* tag = element.name();
        if (std::strcmp(tag, "Image") == 0 || std::strcmp(tag, "Font") == 0 ||
            std::strcmp(tag, "Default") == 0) {
            return nullptr;
        }
        if (std::strcmp(tag, "Include") == 0)
            return BuildInclude(element, parent);
        CControlUI* control = CreateBuiltin(tag);
        if (!control && m_callback)
            control = m_callback->CreateControl(tag);
        if (!control)
            return nullptr;
        if (parent) {
            auto* container = dynamic_cast<IContainerUI*>(parent);
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
        for (const pugi::xml_attribute& attr : element.attributes()) {
            control->SetAttribute(attr.name(), attr.value());
        }
        BuildChildren(element, control);
        return control;
    }

private:
    CControlUI* BuildInclude(const pugi::xml_node& element, CControlUI* parent) {
        const char* source = element.attribute("source").value();
        const int count = element.attribute("count").as_int(1);
        CControlUI* first = nullptr;
        for (int i = 0; i < count && *source; ++i) {
            CDialogBuilder builder;
            CControlUI* made =
                builder.BuildFromMarkup(source, nullptr, m_callback, m_manager, parent);
            if (!first)
                first = made;
        }
        return first;
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
    if (IS_INTRESOURCE(source)) {
        std::string bytes;
        if (!LoadResourceBytes(source, type, bytes)) {
            m_sError = "Could not load the markup resource";
            return nullptr;
        }
        if (!DecodeMarkup(bytes, MarkupEncoding::Utf8, WideToAnsiCodePage, text, m_sError)) {
            return nullptr;
        }
    } else if (source[0] == '<') {
        // Markup handed over as text is already in the program's code page.
        text = source;
    } else {
        const ResourceSource from{CWindowManagerUI::GetResourcePath(),
                                  CWindowManagerUI::GetResourcePackage(),
                                  CWindowManagerUI::GetResourcePackagePassword()};
        std::string bytes;
        if (!LoadMarkupBytes(from, source, bytes, m_sError))
            return nullptr;
        if (!DecodeMarkup(bytes, MarkupEncoding::Utf8, WideToAnsiCodePage, text, m_sError)) {
            return nullptr;
        }
    }
    pugi::xml_document document;
    // The bytes are taken as they are: no encoding conversion by the parser.
    const pugi::xml_parse_result parsed =
        document.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed) {
        m_sError = parsed.description();
        return nullptr;
    }
    const pugi::xml_node top = document.document_element();
    if (!top) {
        m_sError = "No root element";
        return nullptr;
    }
    MarkupBuilder builder(callback, manager);
    CControlUI* root = nullptr;
    if (std::strcmp(top.name(), "Window") == 0) {
        builder.ApplyWindow(top);
        root = builder.BuildChildren(top, parent);
    } else {
        root = builder.BuildElement(top, parent);
    }
    // Controls built into an attached tree enter the name map now that
    // their names are set.
    if (root && parent && manager)
        manager->InitControls(root, parent);
    return root;
}

}  // namespace SkinUI
