#include "ui/Control.h"

#include <cstring>

#include "ui/WindowManager.h"

namespace SkinUI {

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (m_pManager) m_pManager->ReapObjects(this);
}

std::string CControlUI::GetName() const { return m_sName; }
void CControlUI::SetName(const char* name) { m_sName = name ? name : ""; }
const char* CControlUI::GetClass() const { return "ControlUI"; }

void* CControlUI::GetInterface(const char* name) {
    if (std::strcmp(name, "Control") == 0) return this;
    return nullptr;
}

UINT CControlUI::GetControlFlags() const { return 0; }

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

CWindowManagerUI* CControlUI::GetManager() const { return m_pManager; }

void CControlUI::SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init) {
    m_pManager = manager;
    m_pParent = parent;
    if (init && m_pParent) Init();
}

CControlUI* CControlUI::GetParent() const { return m_pParent; }
std::string CControlUI::GetText() const { return m_sText; }

void CControlUI::SetText(const char* text) {
    const std::string value = text ? text : "";
    if (m_sText == value) return;
    m_sText = value;
    Invalidate();
}

RECT CControlUI::GetPos() const { return m_rcItem; }

void CControlUI::SetPos(RECT rc) {
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;
    m_rcItem = rc;
    m_bUpdateNeeded = false;
    Invalidate();
}

bool CControlUI::IsVisible() const { return m_bVisible && m_bInternVisible; }

void CControlUI::SetVisible(bool visible) {
    if (m_bVisible == visible) return;
    const bool wasVisible = IsVisible();
    m_bVisible = visible;
    if (m_bFocused && !visible && m_pManager) m_pManager->SetFocus(nullptr);
    if (IsVisible() != wasVisible) NeedParentUpdate();
}

void CControlUI::SetInternVisible(bool visible) {
    m_bInternVisible = visible;
    if (!visible && m_pManager && m_pManager->GetFocus() == this) m_pManager->SetFocus(nullptr);
}

bool CControlUI::IsEnabled() const { return m_bEnabled; }

void CControlUI::SetEnabled(bool enabled) {
    if (m_bEnabled == enabled) return;
    m_bEnabled = enabled;
    Invalidate();
}

bool CControlUI::IsMouseEnabled() const { return m_bMouseEnabled; }
void CControlUI::SetMouseEnabled(bool enabled) { m_bMouseEnabled = enabled; }
bool CControlUI::IsFocused() const { return m_bFocused; }

void CControlUI::SetFocus() {
    if (m_pManager) m_pManager->SetFocus(this);
}

CControlUI* CControlUI::FindControl(FINDCONTROLPROC proc, LPVOID data, UINT flags) {
    if ((flags & UIFIND_VISIBLE) != 0 && !IsVisible()) return nullptr;
    if ((flags & UIFIND_ENABLED) != 0 && !IsEnabled()) return nullptr;
    if ((flags & UIFIND_HITTEST) != 0 &&
        (!m_bMouseEnabled || !::PtInRect(&m_rcItem, *static_cast<const POINT*>(data)))) {
        return nullptr;
    }
    return proc(this, data);
}

void CControlUI::Event(TEventUI& event) { DoEvent(event); }

void CControlUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_SETFOCUS) {
        m_bFocused = true;
        Invalidate();
        return;
    }
    if (event.Type == UIEVENT_KILLFOCUS) {
        m_bFocused = false;
        Invalidate();
        return;
    }
    if (m_pParent) m_pParent->DoEvent(event);
}

void CControlUI::SetAttribute(const char* name, const char* value) {
    if (std::strcmp(name, "name") == 0) {
        SetName(value);
    } else if (std::strcmp(name, "text") == 0) {
        SetText(value);
    } else if (std::strcmp(name, "visible") == 0) {
        SetVisible(std::strcmp(value, "true") == 0);
    } else if (std::strcmp(name, "enabled") == 0) {
        SetEnabled(std::strcmp(value, "true") == 0);
    } else if (std::strcmp(name, "mouse") == 0) {
        SetMouseEnabled(std::strcmp(value, "true") == 0);
    }
}

SIZE CControlUI::EstimateSize(SIZE) { return SIZE{0, 0}; }

void CControlUI::DoPaint(HDC, const RECT&) {}

void CControlUI::DoInit() {}

void CControlUI::Init() {
    DoInit();
    if (m_pManager) m_pManager->InitControls(this, m_pParent);
}

void CControlUI::Invalidate() {
    if (m_pManager && IsVisible()) m_pManager->Invalidate(m_rcItem);
}

void CControlUI::NeedUpdate() {
    m_bUpdateNeeded = true;
    Invalidate();
    if (m_pManager) m_pManager->NeedUpdate();
}

void CControlUI::NeedParentUpdate() {
    if (m_pParent) {
        m_pParent->NeedUpdate();
    } else {
        NeedUpdate();
    }
}

}  // namespace SkinUI
