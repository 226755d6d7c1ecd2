// The site of a hosted browser: besides hosting, it is the browser's event
// sink (DWebBrowserEvents2, the same IDispatch that pages see as
// window.external), its document host (IDocHostUIHandler), its command target
// (script errors never raise a dialog) and its service provider (downloads).
// Events and script calls go to the control, which may be a subclass; the
// host's questions go to the control's event handler, and get the answers of
// a host without one while none is installed or once the control is gone.
#pragma once

#include <docobj.h>
#include <downloadmgr.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <servprov.h>

#include "base/ComPtr.h"
#include "ui/browser/ActiveXSite.h"

namespace SkinUI {

class CWebBrowserUI;
class CWebBrowserEventHandler;

class CWebBrowserSite : public CActiveXSite,
                        public IDocHostUIHandler,
                        public IServiceProvider,
                        public IOleCommandTarget,
                        public IDispatch,
                        public IDownloadManager {
public:
    explicit CWebBrowserSite(CWebBrowserUI* owner);

    void Connect(IUnknown* object) override;
    void Disconnect() override;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDocHostUIHandler (EnableModeless serves the frame too)
    STDMETHODIMP ShowContextMenu(DWORD id, POINT* pt, IUnknown* cmdtReserved,
                                 IDispatch* dispReserved) override;
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
    STDMETHODIMP ShowUI(DWORD id, IOleInPlaceActiveObject* object, IOleCommandTarget* target,
                        IOleInPlaceFrame* frame, IOleInPlaceUIWindow* doc) override;
    STDMETHODIMP HideUI() override;
    STDMETHODIMP UpdateUI() override;
    STDMETHODIMP EnableModeless(BOOL enable) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window,
                              BOOL frameWindow) override;
    STDMETHODIMP TranslateAccelerator(LPMSG msg, const GUID* cmdGroup, DWORD cmdId) override;
    using CActiveXSite::TranslateAccelerator;
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD dw) override;
    STDMETHODIMP GetDropTarget(IDropTarget* dropTarget, IDropTarget** result) override;
    STDMETHODIMP GetExternal(IDispatch** dispatch) override;
    STDMETHODIMP TranslateUrl(DWORD translate, LPWSTR urlIn, LPWSTR* urlOut) override;
    STDMETHODIMP FilterDataObject(IDataObject* object, IDataObject** result) override;

    // IServiceProvider
    STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** object) override;

    // IOleCommandTarget
    STDMETHODIMP QueryStatus(const GUID* group, ULONG count, OLECMD* commands,
                             OLECMDTEXT* text) override;
    STDMETHODIMP Exec(const GUID* group, DWORD id, DWORD option, VARIANT* in,
                      VARIANT* out) override;

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                               DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

    // IDownloadManager
    STDMETHODIMP Download(IMoniker* moniker, IBindCtx* bindCtx, DWORD bindVerb, LONG bindFlags,
                          BINDINFO* bindInfo, LPCOLESTR headers, LPCOLESTR redirect,
                          UINT codePage) override;

protected:
    void* QueryExtraInterface(REFIID iid) override;

private:
    CWebBrowserUI* Browser() const;
    CWebBrowserEventHandler* Handler() const;

    Base::ComPtr<IConnectionPoint> m_pEvents;
    DWORD m_dwCookie = 0;
};

}  // namespace SkinUI
