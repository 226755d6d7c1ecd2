#include "ui/markup/ChildLayout.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ui/markup/DialogBuilder.h"

namespace SkinUI {

namespace {

// A child file that names itself, directly or through others, would build
// without end; a chain deep enough would exhaust the stack, and a few files
// that each hold many child layouts would multiply without bound.
constexpr size_t kMaxNesting = 16;
constexpr int kMaxBuildsAtOnce = 500;

struct ChildBuilds {
    std::vector<std::string> files;  // the chain being built now
    int count = 0;                   // builds since the outermost one began
};

ChildBuilds& Builds() {
    static ChildBuilds builds;
    return builds;
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
    if (!source || (!IS_INTRESOURCE(source) && !*source)) {
        m_sXmlFile.clear();
        return false;
    }
    // A resource number is remembered as "#number".
    m_sXmlFile = IS_INTRESOURCE(source) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(source))
                                        : std::string(source);
    ChildBuilds& builds = Builds();
    if (builds.files.empty())
        builds.count = 0;
    if (builds.files.size() >= kMaxNesting || builds.count >= kMaxBuildsAtOnce ||
        std::find(builds.files.begin(), builds.files.end(), m_sXmlFile) != builds.files.end()) {
        ::OutputDebugStringA(("ChildLayout: refused \"" + m_sXmlFile +
                              "\", which includes itself, nests too deep or too many\n")
                                 .c_str());
        return false;
    }
    ++builds.count;
    builds.files.push_back(m_sXmlFile);
    CDialogBuilder builder;
    const CControlUI* root =
        builder.BuildFromMarkup(source, nullptr, m_pCallback, m_pManager, this);
    builds.files.pop_back();
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
