#include "ui/markup/ChildLayout.h"

#include <string>

#include "ui/core/AttributeTable.h"
#include "ui/markup/DialogBuilder.h"

namespace SkinUI {

bool CChildLayoutUI::SetChildLayoutXML(const char* source) {
    RemoveAll();
    if (!source || (!IS_INTRESOURCE(source) && !*source)) {
        m_sXmlFile.clear();
        return false;
    }
    // A resource number is remembered as "#number".
    m_sXmlFile = IS_INTRESOURCE(source) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(source))
                                        : std::string(source);
    // The file is built by a markup walk, which joins the walk of a skin
    // being built around it: a file that includes itself is refused, and the
    // nesting and the number of files stay bounded, so child layouts cannot
    // build without end.
    CDialogBuilder builder;
    const CControlUI* root =
        builder.BuildFromMarkup(source, nullptr, m_pCallback, m_pManager, this);
    if (!root) {
        ::OutputDebugStringA(
            ("ChildLayout: \"" + m_sXmlFile + "\": " + builder.GetLastError() + "\n").c_str());
    }
    NeedUpdate();
    return root != nullptr;
}

void CChildLayoutUI::SetAttribute(const char* name, const char* value) {
    static const AttributeSetter<CChildLayoutUI> kAttributes[] = {
        {"xmlfile", [](CChildLayoutUI& c, const char* v) { c.SetChildLayoutXML(v); }},
    };
    if (!ApplyAttribute(kAttributes, *this, name, value))
        CVerticalLayoutUI::SetAttribute(name, value);
}

}  // namespace SkinUI
