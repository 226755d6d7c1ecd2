// The embedded browser control and the handler interface through which its
// owner sees navigation events and answers the document host's questions.
#pragma once

#include <docobj.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <urlmon.h>

#include <string>

#include "ui/ActiveX.h"

namespace SkinUI {

class CWebBrowserEventHandler {
public:
    virtual ~CWebBrowserEventHandler() = default;

    virtual void BeforeNavigate2(IDispatch* /*disp*/, VARIANT*& /*url*/, VARIANT*& /*flags*/,
                                 VARIANT*& /*targetFrameName*/, VARIANT*& /*postData*/,
                                 VARIANT*& /*headers*/, VARIANT_BOOL*& /*cancel*/) {}
    virtual void NavigateError(IDispatch* /*disp*/, VARIANT*& /*url*/, VARIANT*& /*frame*/,
                               VARIANT*& /*statusCode*/, VARIANT_BOOL*& /*cancel*/) {}
    virtual void NavigateComplete2(IDispatch* /*disp*/, VARIANT*& /*url*/) {}
    virtual void ProgressChange(LONG /*progress*/, LONG /*progressMax*/) {}
    virtual void NewWindow3(IDispatch** /*disp*/, VARIANT_BOOL*& /*cancel*/, DWORD /*flags*/,
                            BSTR /*urlContext*/, BSTR /*url*/) {}
    virtual void CommandStateChange(long /*command*/, VARIANT_BOOL /*enable*/) {}

    // The document host's questions, in the order of IDocHostUIHandler.
    virtual HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD /*id*/, POINT* /*pt*/,
                                                      IUnknown* /*cmdtReserved*/,
                                                      IDispatch* /*dispReserved*/) {
        return S_FALSE;
    }
    virtual HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* /*info*/) { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE ShowUI(DWORD /*id*/, IOleInPlaceActiveObject* /*object*/,
                                             IOleCommandTarget* /*target*/,
                                             IOleInPlaceFrame* /*frame*/,
                                             IOleInPlaceUIWindow* /*doc*/) {
        return S_OK;
    }
    virtual HRESULT STDMETHODCALLTYPE HideUI() { return S_OK; }
    virtual HRESULT STDMETHODCALLTYPE UpdateUI() { return S_OK; }
    virtual HRESULT STDMETHODCALLTYPE EnableModeless(BOOL /*enable*/) { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL /*activate*/) { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL /*activate*/) { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT /*border*/,
                                                   IOleInPlaceUIWindow* /*window*/,
                                                   BOOL /*frameWindow*/) {
        return E_NOTIMPL;
    }
    virtual HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG /*msg*/, const GUID* /*cmdGroup*/,
                                                           DWORD /*cmdId*/) {
        return S_FALSE;
    }
    virtual HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* /*key*/, DWORD /*dw*/) {
        return E_NOTIMPL;
    }
    virtual HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget* /*dropTarget*/,
                                                    IDropTarget** /*result*/) {
        return S_FALSE;
    }
    virtual HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** /*dispatch*/) { return S_FALSE; }
    virtual HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD /*translate*/, LPWSTR /*urlIn*/,
                                                   LPWSTR* urlOut) {
        if (urlOut)
            *urlOut = nullptr;
        return E_NOTIMPL;
    }
    virtual HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject* /*object*/,
                                                       IDataObject** result) {
        if (result)
            *result = nullptr;
        return E_NOTIMPL;
    }

    // The download-manager service offered to the browser.
    virtual HRESULT STDMETHODCALLTYPE Download(IMoniker* /*moniker*/, IBindCtx* /*bindCtx*/,
                                               DWORD /*bindVerb*/, LONG /*bindFlags*/,
                                               BINDINFO* /*bindInfo*/, LPCOLESTR /*headers*/,
                                               LPCOLESTR /*redirect*/, UINT /*codePage*/) {
        return S_OK;
    }
};

class CWebBrowserUI : public CActiveXUI {
public:
    CWebBrowserUI();
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

    // A null handler, or the one already installed, is ignored, so a handler
    // once set cannot be removed.
    void SetEventHandler(CWebBrowserEventHandler* handler);
    CWebBrowserEventHandler* GetEventHandler() const { return m_pEventHandler; }
    void SetHomePage(const char* url);
    std::string GetHomePage() const { return m_sHomePage; }
    void SetAutoNavigation(bool autoNavigate = true) { m_bAutoNavigate = autoNavigate; }
    bool IsAutoNavigation() const { return m_bAutoNavigate; }

    void SetAttribute(const char* name, const char* value) override;

protected:
    CWebBrowserEventHandler* m_pEventHandler = nullptr;
    std::string m_sHomePage;
    bool m_bAutoNavigate = false;
};

}  // namespace SkinUI
