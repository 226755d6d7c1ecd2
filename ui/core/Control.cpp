#include "ui/core/Control.h"

#include <cstdlib>
#include <cstring>

#include "ui/core/AttributeTable.h"
#include "ui/core/Geometry.h"
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
    static const AttributeSetter<CControlUI> kAttributes[] = {
        {"name", [](CControlUI& c, const char* v) { c.SetName(v); }},
        {"text", [](CControlUI& c, const char* v) { c.SetText(v); }},
        {"visible", [](CControlUI& c, const char* v) { c.SetVisible(ParseBool(v)); }},
        {"enabled", [](CControlUI& c, const char* v) { c.SetEnabled(ParseBool(v)); }},
        {"mouse", [](CControlUI& c, const char* v) { c.SetMouseEnabled(ParseBool(v)); }},
        {"pos", [](CControlUI& c, const char* v) { c.SetFloatPos(ParseRect(v)); }},
        {"float", [](CControlUI& c, const char* v) { c.SetFloat(ParseBool(v)); }},
        {"padding", [](CControlUI& c, const char* v) { c.SetPadding(ParseRect(v)); }},
        {"width", [](CControlUI& c, const char* v) { c.SetFixedWidth(std::atoi(v)); }},
        {"height", [](CControlUI& c, const char* v) { c.SetFixedHeight(std::atoi(v)); }},
        {"minwidth", [](CControlUI& c, const char* v) { c.SetMinWidth(std::atoi(v)); }},
        {"maxwidth", [](CControlUI& c, const char* v) { c.SetMaxWidth(std::atoi(v)); }},
        {"minheight", [](CControlUI& c, const char* v) { c.SetMinHeight(std::atoi(v)); }},
        {"maxheight", [](CControlUI& c, const char* v) { c.SetMaxHeight(std::atoi(v)); }},
        {"bkcolor", [](CControlUI& c, const char* v) { c.SetBkColor(ParseColor(v)); }},
        {"bordercolor", [](CControlUI& c, const char* v) { c.SetBorderColor(ParseColor(v)); }},
        {"bordersize", [](CControlUI& c, const char* v) { c.SetBorderSize(std::atoi(v)); }},
        {"borderround", [](CControlUI& c, const char* v) { c.SetBorderRound(ParseSize(v)); }},
        {"bkimage", [](CControlUI& c, const char* v) { c.SetBkImage(v); }},
        {"tooltip", [](CControlUI& c, const char* v) { c.SetToolTip(v); }},
        {"userdata", [](CControlUI& c, const char* v) { c.SetUserData(v); }},
        {"shortcut", [](CControlUI& c, const char* v) { c.SetShortcut(v[0]); }},
    };
    ApplyAttribute(kAttributes, *this, name, value);
}

void CControlUI::ApplyAttributeList(const char* list) {
    ParseAttributeList(
        list, [](unsigned char c) { return ::IsDBCSLeadByte(c) != FALSE; },
        [this](const std::string& name, const std::string& value) {
            SetAttribute(name.c_str(), value.c_str());
        });
}

void CControlUI::SetLayoutSize(LONG& size, int value) {
    // A negative size means nothing to a layout: the old one stays.
    if (value < 0)
        return;
    size = value;
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
    m_cxyFixed = SIZE{SaturatedSub(rc.right, rc.left), SaturatedSub(rc.bottom, rc.top)};
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
