#include "ui/core/Control.h"

#include <cstdlib>
#include <cstring>

#include "ui/core/RectAttributes.h"
#include "ui/core/Render.h"
#include "ui/core/WindowManager.h"

namespace SkinUI {

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (m_pManager)
        m_pManager->ReapObjects(this);
}

std::string CControlUI::GetName() const {
    return m_sName;
}
void CControlUI::SetName(const char* name) {
    std::string value = name ? name : "";
    if (value == m_sName)
        return;
    // The name map follows, so no entry keeps an old name.
    if (m_pManager)
        m_pManager->RenameControl(this, m_sName, value);
    m_sName = std::move(value);
}
const char* CControlUI::GetClass() const {
    return "ControlUI";
}

void* CControlUI::GetInterface(const char* name) {
    if (std::strcmp(name, "Control") == 0)
        return this;
    return nullptr;
}

UINT CControlUI::GetControlFlags() const {
    return 0;
}

bool CControlUI::Activate() {
    return IsVisible() && IsEnabled();
}

CWindowManagerUI* CControlUI::GetManager() const {
    return m_pManager;
}

void CControlUI::SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init) {
    // A control that moves (a row into the open drop list and back) leaves
    // nothing of itself behind in the manager it leaves: no name-map entry,
    // focus or timer that would outlive it there.
    if (m_pManager && m_pManager != manager)
        m_pManager->ReapObjects(this);
    m_pManager = manager;
    m_pParent = parent;
    if (init && m_pParent)
        Init();
}

CControlUI* CControlUI::GetParent() const {
    return m_pParent;
}
std::string CControlUI::GetText() const {
    return m_sText;
}

void CControlUI::SetText(const char* text) {
    const std::string value = text ? text : "";
    if (m_sText == value)
        return;
    m_sText = value;
    Invalidate();
}

RECT CControlUI::GetPos() const {
    return m_rcItem;
}

void CControlUI::SetPos(RECT rc) {
    if (rc.right < rc.left)
        rc.right = rc.left;
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
    m_rcItem = rc;
    m_bUpdateNeeded = false;
    Invalidate();
}

bool CControlUI::IsVisible() const {
    return m_bVisible && m_bInternVisible;
}

void CControlUI::SetVisible(bool visible) {
    if (m_bVisible == visible)
        return;
    const bool wasVisible = IsVisible();
    m_bVisible = visible;
    if (m_bFocused && !visible && m_pManager)
        m_pManager->SetFocus(nullptr);
    if (IsVisible() != wasVisible)
        NeedParentUpdate();
}

void CControlUI::SetInternVisible(bool visible) {
    m_bInternVisible = visible;
    if (!visible && m_pManager && m_pManager->GetFocus() == this)
        m_pManager->SetFocus(nullptr);
}

bool CControlUI::IsEnabled() const {
    return m_bEnabled;
}

void CControlUI::SetEnabled(bool enabled) {
    if (m_bEnabled == enabled)
        return;
    m_bEnabled = enabled;
    Invalidate();
}

bool CControlUI::IsMouseEnabled() const {
    return m_bMouseEnabled;
}
void CControlUI::SetMouseEnabled(bool enabled) {
    m_bMouseEnabled = enabled;
}
bool CControlUI::IsFocused() const {
    return m_bFocused;
}

void CControlUI::SetFocus() {
    if (m_pManager)
        m_pManager->SetFocus(this);
}

CControlUI* CControlUI::FindControl(FINDCONTROLPROC proc, LPVOID data, UINT flags) {
    if ((flags & UIFIND_VISIBLE) != 0 && !IsVisible())
        return nullptr;
    if ((flags & UIFIND_ENABLED) != 0 && !IsEnabled())
        return nullptr;
    if ((flags & UIFIND_HITTEST) != 0 &&
        (!m_bMouseEnabled || !::PtInRect(&m_rcItem, *static_cast<const POINT*>(data)))) {
        return nullptr;
    }
    return proc(this, data);
}

void CControlUI::Event(TEventUI& event) {
    DoEvent(event);
}

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
    // Entering and leaving are delivered to every control along the hovered
    // chain by the manager, so they are not passed up again.
    if (event.Type == UIEVENT_MOUSEENTER || event.Type == UIEVENT_MOUSELEAVE)
        return;
    if (event.Type == UIEVENT_SETCURSOR) {
        ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
        return;
    }
    if (m_pParent)
        m_pParent->DoEvent(event);
}

void CControlUI::SetAttribute(const char* name, const char* value) {
    if (std::strcmp(name, "name") == 0) {
        SetName(value);
    } else if (std::strcmp(name, "text") == 0) {
        SetText(value);
    } else if (std::strcmp(name, "visible") == 0) {
        SetVisible(ParseBool(value));
    } else if (std::strcmp(name, "enabled") == 0) {
        SetEnabled(ParseBool(value));
    } else if (std::strcmp(name, "mouse") == 0) {
        SetMouseEnabled(ParseBool(value));
    } else if (std::strcmp(name, "pos") == 0) {
        SetFloatPos(ParseRect(value));
    } else if (std::strcmp(name, "float") == 0) {
        SetFloat(ParseBool(value));
    } else if (std::strcmp(name, "padding") == 0) {
        SetPadding(ParseRect(value));
    } else if (std::strcmp(name, "width") == 0) {
        SetFixedWidth(std::atoi(value));
    } else if (std::strcmp(name, "height") == 0) {
        SetFixedHeight(std::atoi(value));
    } else if (std::strcmp(name, "minwidth") == 0) {
        SetMinWidth(std::atoi(value));
    } else if (std::strcmp(name, "maxwidth") == 0) {
        SetMaxWidth(std::atoi(value));
    } else if (std::strcmp(name, "minheight") == 0) {
        SetMinHeight(std::atoi(value));
    } else if (std::strcmp(name, "maxheight") == 0) {
        SetMaxHeight(std::atoi(value));
    } else if (std::strcmp(name, "bkcolor") == 0) {
        SetBkColor(ParseColor(value));
    } else if (std::strcmp(name, "bordercolor") == 0) {
        SetBorderColor(ParseColor(value));
    } else if (std::strcmp(name, "bordersize") == 0) {
        SetBorderSize(std::atoi(value));
    } else if (std::strcmp(name, "borderround") == 0) {
        SetBorderRound(ParseSize(value));
    } else if (std::strcmp(name, "bkimage") == 0) {
        SetBkImage(value);
    } else if (std::strcmp(name, "tooltip") == 0) {
        SetToolTip(value);
    } else if (std::strcmp(name, "userdata") == 0) {
        SetUserData(value);
    } else if (std::strcmp(name, "shortcut") == 0) {
        SetShortcut(value[0]);
    }
}

void CControlUI::ApplyAttributeList(const char* list) {
    ParseAttributeList(
        list, [](unsigned char c) { return ::IsDBCSLeadByte(c) != FALSE; },
        [this](const std::string& name, const std::string& value) {
            SetAttribute(name.c_str(), value.c_str());
        });
}

void CControlUI::SetFixedWidth(int cx) {
    if (cx < 0)
        return;
    m_cxyFixed.cx = cx;
    NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int cy) {
    if (cy < 0)
        return;
    m_cxyFixed.cy = cy;
    NeedParentUpdate();
}

void CControlUI::SetMinWidth(int cx) {
    if (cx < 0)
        return;
    m_cxyMin.cx = cx;
    NeedParentUpdate();
}

void CControlUI::SetMaxWidth(int cx) {
    if (cx < 0)
        return;
    m_cxyMax.cx = cx;
    NeedParentUpdate();
}

void CControlUI::SetMinHeight(int cy) {
    if (cy < 0)
        return;
    m_cxyMin.cy = cy;
    NeedParentUpdate();
}

void CControlUI::SetMaxHeight(int cy) {
    if (cy < 0)
        return;
    m_cxyMax.cy = cy;
    NeedParentUpdate();
}

void CControlUI::SetPadding(RECT rc) {
    m_rcPadding = rc;
    NeedParentUpdate();
}

void CControlUI::SetFloat(bool isFloat) {
    m_bFloat = isFloat;
    NeedParentUpdate();
}

void CControlUI::SetFloatPos(RECT rc) {
    m_rcFloatPos = rc;
    m_cxyFixed = SIZE{rc.right - rc.left, rc.bottom - rc.top};
    NeedParentUpdate();
}

void CControlUI::SetBkColor(DWORD color) {
    m_dwBkColor = color;
    Invalidate();
}

void CControlUI::SetBorderColor(DWORD color) {
    m_dwBorderColor = color;
    Invalidate();
}

void CControlUI::SetBorderSize(int size) {
    m_nBorderSize = size;
    Invalidate();
}

void CControlUI::SetBorderRound(SIZE round) {
    m_cxyBorderRound = round;
    Invalidate();
}

void CControlUI::SetBkImage(const char* image) {
    m_sBkImage = image ? image : "";
    Invalidate();
}

void CControlUI::SetToolTip(const char* tip) {
    m_sToolTip = tip ? tip : "";
}
void CControlUI::SetUserData(const char* data) {
    m_sUserData = data ? data : "";
}

bool CControlUI::DrawImage(HDC hDC, const std::string& image, const char* modify) {
    return Render::DrawImageString(hDC, m_pManager, m_rcItem, m_rcPaint, image, modify);
}

SIZE CControlUI::EstimateSize(SIZE) {
    return m_cxyFixed;
}

void CControlUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem))
        return;
    PaintBkColor(hDC);
    PaintBkImage(hDC);
    PaintStatusImage(hDC);
    PaintText(hDC);
    PaintBorder(hDC);
}

void CControlUI::PaintBkColor(HDC hDC) {
    Render::DrawColor(hDC, m_rcItem, m_dwBkColor);
}

void CControlUI::PaintBkImage(HDC hDC) {
    if (!m_sBkImage.empty())
        DrawImage(hDC, m_sBkImage);
}

void CControlUI::PaintStatusImage(HDC) {}
void CControlUI::PaintText(HDC) {}

void CControlUI::PaintBorder(HDC hDC) {
    Render::DrawBorder(hDC, m_rcItem, m_nBorderSize, m_dwBorderColor, m_cxyBorderRound);
}

void CControlUI::DoInit() {}

void CControlUI::Init() {
    // The manager initialises this control with the subtree.
    if (m_pManager) {
        m_pManager->InitControls(this, m_pParent);
    } else {
        DoInit();
    }
}

void CControlUI::Invalidate() {
    if (m_pManager && IsVisible())
        m_pManager->Invalidate(m_rcItem);
}

void CControlUI::NeedUpdate() {
    m_bUpdateNeeded = true;
    Invalidate();
    if (m_pManager)
        m_pManager->NeedUpdate();
}

void CControlUI::NeedParentUpdate() {
    if (m_pParent) {
        m_pParent->NeedUpdate();
    } else {
        NeedUpdate();
    }
}

}  // namespace SkinUI
