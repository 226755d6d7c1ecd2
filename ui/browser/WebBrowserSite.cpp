#include "ui/browser/WebBrowserSite.h"

#include "ui/browser/WebBrowser.h"

namespace SkinUI {

namespace {

// The document host's command group; declared by the SDK but not in the
// import libraries.
constexpr GUID kDocHostCommandHandler = {
    0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};

// What asker answers, or, without one, an empty out-parameter and the answer
// of a host that has nobody to ask.
template <typename Asker, typename T, typename Ask>
HRESULT AnswerOrClear(Asker* asker, T** out, HRESULT fallback, Ask ask) {
    if (asker)
        return ask(*asker);
    if (out)
        *out = nullptr;
    return fallback;
}

}  // namespace

CWebBrowserSite::CWebBrowserSite(CWebBrowserUI* owner) : CActiveXSite(owner) {}

CWebBrowserUI* CWebBrowserSite::Browser() const {
    return static_cast<CWebBrowserUI*>(Owner());
}

CWebBrowserEventHandler* CWebBrowserSite::Handler() const {
    return Browser() ? Browser()->GetEventHandler() : nullptr;
}

void CWebBrowserSite::Connect(IUnknown* object) {
    Base::ComPtr<IConnectionPointContainer> container;
    if (FAILED(object->QueryInterface(IID_IConnectionPointContainer, container.put_void())))
        return;
    Base::ComPtr<IConnectionPoint> events;
    if (FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, events.put())))
        return;
    if (SUCCEEDED(events->Advise(static_cast<IDispatch*>(this), &m_dwCookie)))
        m_pEvents = std::move(events);
}

void CWebBrowserSite::Disconnect() {
    if (m_pEvents) {
        m_pEvents->Unadvise(m_dwCookie);
        m_pEvents.reset();
    }
}

void* CWebBrowserSite::QueryExtraInterface(REFIID iid) {
    if (iid == IID_IDocHostUIHandler)
        return static_cast<IDocHostUIHandler*>(this);
    if (iid == IID_IServiceProvider)
        return static_cast<IServiceProvider*>(this);
    if (iid == IID_IOleCommandTarget)
        return static_cast<IOleCommandTarget*>(this);
    if (iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2)
        return static_cast<IDispatch*>(this);
    if (iid == __uuidof(IDownloadManager))
        return static_cast<IDownloadManager*>(this);
    return nullptr;
}

STDMETHODIMP CWebBrowserSite::QueryInterface(REFIID iid, void** object) {
    return CActiveXSite::QueryInterface(iid, object);
}
STDMETHODIMP_(ULONG) CWebBrowserSite::AddRef() {
    return CActiveXSite::AddRef();
}
STDMETHODIMP_(ULONG) CWebBrowserSite::Release() {
    return CActiveXSite::Release();
}

// The host's questions: the handler's answer, or that of a host without one.

STDMETHODIMP CWebBrowserSite::ShowContextMenu(DWORD id, POINT* pt, IUnknown* cmdt,
                                              IDispatch* disp) {
    auto* handler = Handler();
    return handler ? handler->ShowContextMenu(id, pt, cmdt, disp) : S_FALSE;
}

STDMETHODIMP CWebBrowserSite::GetHostInfo(DOCHOSTUIINFO* info) {
    auto* handler = Handler();
    return handler ? handler->GetHostInfo(info) : E_NOTIMPL;
}

STDMETHODIMP CWebBrowserSite::ShowUI(DWORD id, IOleInPlaceActiveObject* object,
                                     IOleCommandTarget* target, IOleInPlaceFrame* frame,
                                     IOleInPlaceUIWindow* doc) {
    auto* handler = Handler();
    return handler ? handler->ShowUI(id, object, target, frame, doc) : S_OK;
}

STDMETHODIMP CWebBrowserSite::HideUI() {
    auto* handler = Handler();
    return handler ? handler->HideUI() : S_OK;
}

STDMETHODIMP CWebBrowserSite::UpdateUI() {
    auto* handler = Handler();
    return handler ? handler->UpdateUI() : S_OK;
}

STDMETHODIMP CWebBrowserSite::EnableModeless(BOOL enable) {
    auto* handler = Handler();
    return handler ? handler->EnableModeless(enable) : E_NOTIMPL;
}

STDMETHODIMP CWebBrowserSite::OnDocWindowActivate(BOOL activate) {
    auto* handler = Handler();
    return handler ? handler->OnDocWindowActivate(activate) : E_NOTIMPL;
}

STDMETHODIMP CWebBrowserSite::OnFrameWindowActivate(BOOL activate) {
    auto* handler = Handler();
    return handler ? handler->OnFrameWindowActivate(activate) : E_NOTIMPL;
}

STDMETHODIMP CWebBrowserSite::ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window,
                                           BOOL frameWindow) {
    auto* handler = Handler();
    return handler ? handler->ResizeBorder(border, window, frameWindow) : E_NOTIMPL;
}

STDMETHODIMP CWebBrowserSite::TranslateAccelerator(LPMSG msg, const GUID* group, DWORD id) {
    auto* handler = Handler();
    return handler ? handler->TranslateAccelerator(msg, group, id) : S_FALSE;
}

STDMETHODIMP CWebBrowserSite::GetOptionKeyPath(LPOLESTR* key, DWORD dw) {
    return AnswerOrClear(Handler(), key, E_NOTIMPL,
                         [&](CWebBrowserEventHandler& h) { return h.GetOptionKeyPath(key, dw); });
}

STDMETHODIMP CWebBrowserSite::GetDropTarget(IDropTarget* dropTarget, IDropTarget** result) {
    return AnswerOrClear(Handler(), result, S_FALSE, [&](CWebBrowserEventHandler& h) {
        return h.GetDropTarget(dropTarget, result);
    });
}

STDMETHODIMP CWebBrowserSite::GetExternal(IDispatch** dispatch) {
    return AnswerOrClear(Browser(), dispatch, S_FALSE,
                         [&](CWebBrowserUI& browser) { return browser.GetExternal(dispatch); });
}

STDMETHODIMP CWebBrowserSite::TranslateUrl(DWORD translate, LPWSTR urlIn, LPWSTR* urlOut) {
    return AnswerOrClear(Handler(), urlOut, E_NOTIMPL, [&](CWebBrowserEventHandler& h) {
        return h.TranslateUrl(translate, urlIn, urlOut);
    });
}

STDMETHODIMP CWebBrowserSite::FilterDataObject(IDataObject* object, IDataObject** result) {
    return AnswerOrClear(Handler(), result, E_NOTIMPL, [&](CWebBrowserEventHandler& h) {
        return h.FilterDataObject(object, result);
    });
}

STDMETHODIMP CWebBrowserSite::QueryService(REFGUID service, REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (service == __uuidof(IDownloadManager) && iid == __uuidof(IDownloadManager)) {
        *object = static_cast<IDownloadManager*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP CWebBrowserSite::QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) {
    return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserSite::Exec(const GUID* group, DWORD id, DWORD, VARIANT*, VARIANT* out) {
    if (!group || *group != kDocHostCommandHandler)
        return OLECMDERR_E_UNKNOWNGROUP;
    if (id != OLECMDID_SHOWSCRIPTERROR)
        return OLECMDERR_E_NOTSUPPORTED;
    // Keep running the page's scripts, and show nothing.
    if (out) {
        ::VariantClear(out);
        V_VT(out) = VT_BOOL;
        V_BOOL(out) = VARIANT_TRUE;
    }
    return S_OK;
}

STDMETHODIMP CWebBrowserSite::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP CWebBrowserSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserSite::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) {
    auto* browser = Browser();
    return browser ? browser->GetIDsOfNames(iid, names, count, lcid, ids) : E_NOTIMPL;
}

STDMETHODIMP CWebBrowserSite::Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                                     UINT* argErr) {
    auto* browser = Browser();
    return browser ? browser->Invoke(id, iid, lcid, flags, params, result, excep, argErr)
                   : DISP_E_MEMBERNOTFOUND;
}

STDMETHODIMP CWebBrowserSite::Download(IMoniker* moniker, IBindCtx* bindCtx, DWORD bindVerb,
                                       LONG bindFlags, BINDINFO* bindInfo, LPCOLESTR headers,
                                       LPCOLESTR redirect, UINT codePage) {
    auto* handler = Handler();
    return handler ? handler->Download(moniker, bindCtx, bindVerb, bindFlags, bindInfo, headers,
                                       redirect, codePage)
                   : S_OK;
}

}  // namespace SkinUI
