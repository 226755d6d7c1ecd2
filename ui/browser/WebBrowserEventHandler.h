// What the owner of a browser control sees of it: the navigation events, the
// document host's questions and the download service. Every operation has a
// default body, so an owner overrides only what it acts on. The defaults are
// the answers of a host that keeps the page plain: no context menu, no 3-D
// border, the browser's own keys and user interface, and no downloads.
#pragma once

#include <docobj.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <urlmon.h>

namespace SkinUI {

class CWebBrowserEventHandler {
public:
    virtual ~CWebBrowserEventHandler() = default;

    // Navigation events; each argument is null when the browser sent none of
    // the expected type.
    virtual void BeforeNavigate2(IDispatch* /*disp*/, VARIANT* /*url*/, VARIANT* /*flags*/,
                                 VARIANT* /*targetFrameName*/, VARIANT* /*postData*/,
                                 VARIANT* /*headers*/, VARIANT_BOOL* /*cancel*/) {}
    virtual void NavigateError(IDispatch* /*disp*/, VARIANT* /*url*/, VARIANT* /*frame*/,
                               VARIANT* /*statusCode*/, VARIANT_BOOL* /*cancel*/) {}
    virtual void NavigateComplete2(IDispatch* /*disp*/, VARIANT* /*url*/) {}
    virtual void ProgressChange(LONG /*progress*/, LONG /*progressMax*/) {}
    virtual void NewWindow3(IDispatch** /*disp*/, VARIANT_BOOL* /*cancel*/, DWORD /*flags*/,
                            BSTR /*urlContext*/, BSTR /*url*/) {}
    virtual void CommandStateChange(long /*command*/, VARIANT_BOOL /*enable*/) {}

    // The document host's questions, in the order of IDocHostUIHandler. Out
    // values are cleared rather than left for the browser to read.
    virtual HRESULT ShowContextMenu(DWORD /*id*/, POINT* /*pt*/, IUnknown* /*cmdtReserved*/,
                                    IDispatch* /*dispReserved*/) {
        return S_OK;
    }
    virtual HRESULT GetHostInfo(DOCHOSTUIINFO* info) {
        if (info) {
            info->cbSize = sizeof(DOCHOSTUIINFO);
            info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
            info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
        }
        return S_OK;
    }
    virtual HRESULT ShowUI(DWORD /*id*/, IOleInPlaceActiveObject* /*object*/,
                           IOleCommandTarget* /*target*/, IOleInPlaceFrame* /*frame*/,
                           IOleInPlaceUIWindow* /*doc*/) {
        return S_FALSE;
    }
    virtual HRESULT HideUI() { return S_OK; }
    virtual HRESULT UpdateUI() { return S_OK; }
    virtual HRESULT EnableModeless(BOOL /*enable*/) { return S_OK; }
    virtual HRESULT OnDocWindowActivate(BOOL /*activate*/) { return S_OK; }
    virtual HRESULT OnFrameWindowActivate(BOOL /*activate*/) { return S_OK; }
    virtual HRESULT ResizeBorder(LPCRECT /*border*/, IOleInPlaceUIWindow* /*window*/,
                                 BOOL /*frameWindow*/) {
        return S_OK;
    }
    virtual HRESULT TranslateAccelerator(LPMSG /*msg*/, const GUID* /*cmdGroup*/, DWORD /*cmdId*/) {
        return S_FALSE;
    }
    virtual HRESULT GetOptionKeyPath(LPOLESTR* key, DWORD /*dw*/) {
        if (key)
            *key = nullptr;
        return S_OK;
    }
    virtual HRESULT GetDropTarget(IDropTarget* /*dropTarget*/, IDropTarget** result) {
        if (result)
            *result = nullptr;
        return E_NOTIMPL;
    }
    virtual HRESULT GetExternal(IDispatch** dispatch) {
        if (dispatch)
            *dispatch = nullptr;
        return E_NOTIMPL;
    }
    virtual HRESULT TranslateUrl(DWORD /*translate*/, LPWSTR /*urlIn*/, LPWSTR* urlOut) {
        if (urlOut)
            *urlOut = nullptr;
        return S_OK;
    }
    virtual HRESULT FilterDataObject(IDataObject* /*object*/, IDataObject** result) {
        if (result)
            *result = nullptr;
        return S_OK;
    }

    // The download-manager service offered to the browser: every download
    // counts as handled, so nothing is downloaded.
    virtual HRESULT Download(IMoniker* /*moniker*/, IBindCtx* /*bindCtx*/, DWORD /*bindVerb*/,
                             LONG /*bindFlags*/, BINDINFO* /*bindInfo*/, LPCOLESTR /*headers*/,
                             LPCOLESTR /*redirect*/, UINT /*codePage*/) {
        return S_OK;
    }
};

}  // namespace SkinUI
