#include "ui/browser/ActiveX.h"

#include <string>

#include "ui/core/AttributeTable.h"

namespace SkinUI {

namespace {

// The object fills its host window.
RECT ClientRectOf(const RECT& rc) {
    return RECT{0, 0, rc.right - rc.left, rc.bottom - rc.top};
}

}  // namespace

CActiveXUI::CActiveXUI() : m_HostWnd(this) {}

CActiveXUI::~CActiveXUI() {
    ReleaseObject();
    if (m_HostWnd.GetHWND())
        ::DestroyWindow(m_HostWnd.GetHWND());
}

HRESULT CActiveXUI::GetControl(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!m_pObject)
        return E_NOINTERFACE;
    return m_pObject->QueryInterface(iid, object);
}

bool CActiveXUI::SetClsid(const char* clsid) {
    if (!clsid || !*clsid)
        return false;
    const int length = ::MultiByteToWideChar(CP_ACP, 0, clsid, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, clsid, -1, &wide[0], length);
    CLSID value = {};
    const HRESULT hr = clsid[0] == '{' ? ::CLSIDFromString(&wide[0], &value)
                                       : ::CLSIDFromProgID(wide.c_str(), &value);
    if (FAILED(hr))
        return false;
    // Another class replaces the object made for the old one at the next
    // initialisation.
    if (m_pObject && value != m_clsid)
        ReleaseObject();
    m_clsid = value;
    return true;
}

void CActiveXUI::SetAttribute(const char* name, const char* value) {
    static const AttributeSetter<CActiveXUI> kAttributes[] = {
        {"clsid", [](CActiveXUI& c, const char* v) { c.SetClsid(v); }},
    };
    if (!ApplyAttribute(kAttributes, *this, name, value))
        CControlUI::SetAttribute(name, value);
}

void CActiveXUI::DoInit() {
    // Only inside a live window; a hidden control ("LogonWeb") is created
    // too, because the program navigates it. The builder may initialise a
    // control before and again after its attributes: the object is made at
    // the first chance its class id allows.
    if (m_pObject || !m_pManager || !::IsWindow(m_pManager->GetPaintWindow()))
        return;
    if (!CreateObject())
        ReleaseObject();
}

Base::ComPtr<CActiveXSite> CActiveXUI::CreateSite() {
    Base::ComPtr<CActiveXSite> site;
    site.Attach(new CActiveXSite(this));
    return site;
}

bool CActiveXUI::CreateObject() {
    if (m_clsid == GUID_NULL)
        return false;
    const HWND parent = m_pManager->GetPaintWindow();
    // Native children must not be painted over by the skin.
    const LONG_PTR style = ::GetWindowLongPtrA(parent, GWL_STYLE);
    if ((style & WS_CLIPCHILDREN) == 0)
        ::SetWindowLongPtrA(parent, GWL_STYLE, style | WS_CLIPCHILDREN);
    if (!m_HostWnd.GetHWND() && !m_HostWnd.Init(parent, m_rcItem))
        return false;
    if (FAILED(::CoCreateInstance(m_clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                  m_pObject.put_void()))) {
        return false;
    }
    m_pSite = CreateSite();
    if (FAILED(m_pObject->SetClientSite(static_cast<IOleClientSite*>(m_pSite.get()))))
        return false;
    m_pSite->Connect(m_pObject.get());
    RECT rc = ClientRectOf(m_rcItem);
    if (FAILED(m_pObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr,
                                 static_cast<IOleClientSite*>(m_pSite.get()), 0,
                                 m_HostWnd.GetHWND(), &rc))) {
        return false;
    }
    m_pManager->AddTranslateAccelerator(this);
    UpdateHostWindow();
    return true;
}

void CActiveXUI::ReleaseObject() {
    if (m_pManager)
        m_pManager->RemoveTranslateAccelerator(this);
    // From here on the object's calls must not reach this control: the
    // control may already be half destroyed (a derived part gone).
    if (m_pSite)
        m_pSite->DetachOwner();
    if (m_pObject) {
        if (auto inPlace = m_pObject.Query<IOleInPlaceObject>(IID_IOleInPlaceObject))
            inPlace->InPlaceDeactivate();
        m_pObject->Close(OLECLOSE_NOSAVE);
        m_pObject->SetClientSite(nullptr);
    }
    if (m_pSite) {
        m_pSite->Disconnect();
        m_pSite.reset();
    }
    m_pObject.reset();
}

void CActiveXUI::SetContentShown(bool shown) {
    m_bContentShown = shown;
    UpdateHostWindow();
}

void CActiveXUI::UpdateHostWindow() {
    const HWND host = m_HostWnd.GetHWND();
    if (!host)
        return;
    const bool show = m_pObject && m_bContentShown && IsVisible() && !::IsRectEmpty(&m_rcItem);
    ::SetWindowPos(host, nullptr, m_rcItem.left, m_rcItem.top, m_rcItem.right - m_rcItem.left,
                   m_rcItem.bottom - m_rcItem.top,
                   SWP_NOZORDER | SWP_NOACTIVATE | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    if (auto inPlace = m_pObject.Query<IOleInPlaceObject>(IID_IOleInPlaceObject)) {
        const RECT rc = ClientRectOf(m_rcItem);
        inPlace->SetObjectRects(&rc, &rc);
    }
}

void CActiveXUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    UpdateHostWindow();
}

void CActiveXUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    UpdateHostWindow();
}

void CActiveXUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    UpdateHostWindow();
}

LRESULT CActiveXUI::TranslateAccelerator(MSG* msg) {
    const HWND host = m_HostWnd.GetHWND();
    if (!host || !m_pObject || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST)
        return S_FALSE;
    if (msg->hwnd != host && !::IsChild(host, msg->hwnd))
        return S_FALSE;
    auto active = m_pObject.Query<IOleInPlaceActiveObject>(IID_IOleInPlaceActiveObject);
    if (active && active->TranslateAccelerator(msg) == S_OK)
        return S_OK;
    // The key belongs to the object's window (Tab moves between the page's
    // fields there), so it is delivered here rather than left to the
    // manager, whose Tab handling would move the skin's focus instead.
    ::TranslateMessage(msg);
    ::DispatchMessageA(msg);
    return S_OK;
}

}  // namespace SkinUI
