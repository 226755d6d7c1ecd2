#include "ui/browser/ActiveXSite.h"

#include "ui/browser/ActiveX.h"

namespace SkinUI {

STDMETHODIMP CActiveXSite::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
        *object = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
        *object = static_cast<IOleInPlaceSite*>(this);
    } else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame) {
        *object = static_cast<IOleInPlaceFrame*>(this);
    } else if (iid == IID_IOleControlSite) {
        *object = static_cast<IOleControlSite*>(this);
    } else {
        *object = QueryExtraInterface(iid);
    }
    if (!*object)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CActiveXSite::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&m_cRef));
}

STDMETHODIMP_(ULONG) CActiveXSite::Release() {
    const LONG count = ::InterlockedDecrement(&m_cRef);
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP CActiveXSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker)
        *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CActiveXSite::GetContainer(IOleContainer** container) {
    if (container)
        *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CActiveXSite::GetWindow(HWND* window) {
    if (!window)
        return E_POINTER;
    *window = m_pOwner ? m_pOwner->GetHostWindow() : nullptr;
    return *window ? S_OK : E_FAIL;
}

STDMETHODIMP CActiveXSite::CanInPlaceActivate() {
    return m_pOwner ? S_OK : S_FALSE;
}
STDMETHODIMP CActiveXSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                            LPRECT pos, LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    if (!frame || !doc || !pos || !clip || !info)
        return E_POINTER;
    *doc = nullptr;
    *frame = nullptr;
    const HWND host = m_pOwner ? m_pOwner->GetHostWindow() : nullptr;
    if (!host)
        return E_FAIL;
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    // The object fills the host window, which follows the control.
    ::GetClientRect(host, pos);
    *clip = *pos;
    info->fMDIApp = FALSE;
    info->hwndFrame = ::GetAncestor(host, GA_ROOT);
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP CActiveXSite::OnPosRectChange(LPCRECT) {
    // The control's layout decides the rectangle, not the object.
    return S_OK;
}

STDMETHODIMP CActiveXSite::GetExtendedControl(IDispatch** control) {
    if (control)
        *control = nullptr;
    return E_NOTIMPL;
}
}  // namespace SkinUI
