#include "ui/ChildLayout.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "ui/DialogBuilder.h"

namespace SkinUI {

namespace {

// A child file that names itself, directly or through others, would build
// without end; so would a chain deep enough to exhaust the stack.
constexpr size_t kMaxNesting = 16;

std::vector<std::string>& FilesBeingBuilt() {
    static std::vector<std::string> files;
    return files;
}

}  // namespace

const char* CChildLayoutUI::GetClass() const {
    return "ChildLayoutUI";
}

void* CChildLayoutUI::GetInterface(const char* name) {
    if (std::strcmp(name, "ChildLayout") == 0)
        return this;
    return CVerticalLayoutUI::GetInterface(name);
}

bool CChildLayoutUI::SetChildLayoutXML(const char* source) {
    RemoveAll();
    m_sXmlFile = IS_INTRESOURCE(source) ? std::string() : std::string(source ? source : "");
    if (!source || (!IS_INTRESOURCE(source) && !*source))
        return false;
    std::vector<std::string>& building = FilesBeingBuilt();
    if (building.size() >= kMaxNesting ||
        std::find(building.begin(), building.end(), m_sXmlFile) != building.end()) {
        ::OutputDebugStringA(("ChildLayout: refused \"" + m_sXmlFile +
                              "\", which includes itself or nests too deep\n")
                                 .c_str());
        return false;
    }
    building.push_back(m_sXmlFile);
    CDialogBuilder builder;
    const CControlUI* root = builder.BuildFromMarkup(source, nullptr, nullptr, m_pManager, this);
    building.pop_back();
    if (!root) {
        ::OutputDebugStringA(
            ("ChildLayout: \"" + m_sXmlFile + "\": " + builder.GetLastError() + "\n").c_str());
    }
    NeedUpdate();
    return root != nullptr;
}

void CChildLayoutUI::SetAttribute(const char* name, const char* value) {
    if (std::strcmp(name, "xmlfile") == 0) {
        SetChildLayoutXML(value);
    } else {
        CVerticalLayoutUI::SetAttribute(name, value);
    }
}

}  // namespace SkinUI
