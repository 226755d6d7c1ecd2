// The embedded browser control: the system WebBrowser object hosted in place.
// Its site (CWebBrowserSite) delivers the browser's events and script calls
// here; the control turns them into calls of its event handler. The page
// stays hidden until it has loaded, so an offline player or a page that
// fails sees the skin behind it instead of an error page.
#pragma once

#include <exdisp.h>

#include <string>

#include "ui/browser/ActiveX.h"
#include "ui/browser/WebBrowserEventHandler.h"
#include "ui/core/ControlClass.h"

namespace SkinUI {

class CWebBrowserUI : public CActiveXUI {
public:
    CWebBrowserUI();
    SKINUI_CONTROL_CLASS(CActiveXUI, "WebBrowserUI", "WebBrowser")

    // A null handler, or the one already installed, is ignored, so a handler
    // once set cannot be removed.
    void SetEventHandler(CWebBrowserEventHandler* handler);
    CWebBrowserEventHandler* GetEventHandler() const { return m_pEventHandler; }
    void SetHomePage(const char* url);
    std::string GetHomePage() const { return m_sHomePage; }
    void SetAutoNavigation(bool autoNavigate = true) { m_bAutoNavigate = autoNavigate; }
    bool IsAutoNavigation() const { return m_bAutoNavigate; }
    // Navigates to a URL in the thread's ANSI code page.
    bool Navigate(const char* url);
    // True when `disp`, an event's frame argument, is this browser's own
    // top-level frame rather than a frame inside its page.
    bool IsTopLevel(IDispatch* disp) const;
    // The URL of the top-level document, as the browser reports it (in
    // canonical form); empty before the first navigation. While a navigation
    // is under way, Windows still reports the document shown, and Wine the
    // URL being loaded once BeforeNavigate2 let it go on.
    std::wstring GetLocationURL() const;

    void SetAttribute(const char* name, const char* value) override;
    // Creates the browser, and goes to the home page once "autonavi" is set.
    void DoInit() override;

    // The browser's event sink, which is also the object pages reach as
    // window.external. The base knows no script names; its Invoke runs the
    // event table and answers DISP_E_MEMBERNOTFOUND for anything else.
    virtual HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids);
    virtual HRESULT Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* excep, UINT* argErr);
    // The document host's question for window.external.
    virtual HRESULT GetExternal(IDispatch** dispatch);

protected:
    Base::ComPtr<CActiveXSite> CreateSite() override;

private:
    void InstallUIHandler();

    CWebBrowserEventHandler* m_pEventHandler = nullptr;
    std::string m_sHomePage;
    bool m_bAutoNavigate = false;
    bool m_bHomeVisited = false;
};

}  // namespace SkinUI
