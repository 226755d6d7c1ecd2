#include "ui/controls/Option.h"

#include "ui/core/AttributeList.h"
#include "ui/core/AttributeTable.h"
#include "ui/core/Render.h"
#include "ui/core/WindowManager.h"

namespace SkinUI {

COptionUI::~COptionUI() {
    if (m_pManager && !m_sGroupName.empty()) {
        m_pManager->RemoveOptionGroup(m_sGroupName.c_str(), this);
    }
}

void COptionUI::SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init) {
    if (m_pManager != manager && !m_sGroupName.empty()) {
        if (m_pManager)
            m_pManager->RemoveOptionGroup(m_sGroupName.c_str(), this);
        if (manager)
            manager->AddOptionGroup(m_sGroupName.c_str(), this);
    }
    CButtonUI::SetManager(manager, parent, init);
}

void COptionUI::SetAttribute(const char* name, const char* value) {
    static const AttributeSetter<COptionUI> kAttributes[] = {
        {"group", [](COptionUI& c, const char* v) { c.SetGroup(v); }},
        {"selected", [](COptionUI& c, const char* v) { c.SetSelected(ParseBool(v)); }},
        {"selectedimage", [](COptionUI& c, const char* v) { c.m_sSelectedImage = v; }},
        {"selectedtextcolor",
         [](COptionUI& c, const char* v) { c.m_dwSelectedTextColor = ParseColor(v); }},
        {"selectedbkcolor",
         [](COptionUI& c, const char* v) { c.m_dwSelectedBkColor = ParseColor(v); }},
    };
    if (ApplyAttribute(kAttributes, *this, name, value))
        Invalidate();
    else
        CButtonUI::SetAttribute(name, value);
}

void COptionUI::SetGroup(const char* group) {
    const std::string name = group ? group : "";
    if (name == m_sGroupName)
        return;
    if (m_pManager && !m_sGroupName.empty()) {
        m_pManager->RemoveOptionGroup(m_sGroupName.c_str(), this);
    }
    m_sGroupName = name;
    if (m_pManager && !m_sGroupName.empty()) {
        m_pManager->AddOptionGroup(m_sGroupName.c_str(), this);
    }
}

bool COptionUI::Activate() {
    // The click goes out first, so a listener still sees the old state.
    if (!CButtonUI::Activate())
        return false;
    SetSelected(m_sGroupName.empty() ? !m_bSelected : true);
    return true;
}

void COptionUI::SetSelected(bool selected) {
    if (m_bSelected == selected)
        return;
    m_bSelected = selected;
    if (m_pManager) {
        if (m_sGroupName.empty()) {
            m_pManager->SendNotify(this, "selectchanged");
        } else if (m_bSelected) {
            // The others of the group step back silently: deselecting sends
            // nothing. A copy, since a listener could change the group.
            const std::vector<CControlUI*>* group =
                m_pManager->GetOptionGroup(m_sGroupName.c_str());
            const std::vector<CControlUI*> members = group ? *group : std::vector<CControlUI*>();
            for (CControlUI* member : members) {
                if (member != this)
                    static_cast<COptionUI*>(member)->SetSelected(false);
            }
            m_pManager->SendNotify(this, "selectchanged");
        }
    }
    Invalidate();
}

void COptionUI::PaintStatusImage(HDC hDC) {
    if (m_bSelected && m_dwSelectedBkColor != 0)
        Render::DrawColor(hDC, m_rcItem, m_dwSelectedBkColor);
    if (m_bSelected && DrawImage(hDC, m_sSelectedImage, IsEnabled() ? nullptr : "fade='110'"))
        return;
    CButtonUI::PaintStatusImage(hDC);
}

void COptionUI::PaintText(HDC hDC) {
    if (m_bSelected && m_dwSelectedTextColor != 0) {
        DrawLabelText(hDC, m_sText, m_dwSelectedTextColor);
        return;
    }
    CButtonUI::PaintText(hDC);
}

}  // namespace SkinUI
