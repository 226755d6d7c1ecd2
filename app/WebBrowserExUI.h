// The launcher's own browser control (skin tag "WebBrowserEx"): the toolkit's
// browser whose window.external object carries three script methods to the
// launcher window: LogonLobby(account, password), RegisterCancel() and
// LogonResult(code, message). Each call is sent to the target window as one
// of the page messages, so the window has acted before the call returns;
// only while the browser's top-level page is on one of the operator's hosts.
#pragma once

#include <windows.h>

#include "ui/browser/WebBrowser.h"
#include "ui/markup/DialogBuilder.h"

class CWebBrowserExUI : public SkinUI::CWebBrowserUI {
public:
    // Script identifiers of the three methods.
    static constexpr DISPID kLogonLobby = 200;
    static constexpr DISPID kRegisterCancel = 201;
    static constexpr DISPID kLogonResult = 202;

    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

    void SetMainWindow(HWND hWnd) { m_hMainWnd = hWnd; }
    HWND GetMainWindow() const { return m_hMainWnd; }

    HRESULT GetExternal(IDispatch** dispatch) override;
    HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

private:
    enum class ScriptCall {
        Unknown,           // not one of the methods, or not as the method takes it
        MissingArguments,  // arguments counted but not given
        Handled,           // delivered, or ignored as the page may not command
    };
    // Sends the page message for a script call that fits its method.
    ScriptCall DeliverScriptCall(DISPID id, WORD flags, const DISPPARAMS* params);

    HWND m_hMainWnd = nullptr;
};

// Makes the launcher's own controls while the skin is built.
class CDialogBuilderCallbackEx : public SkinUI::IDialogBuilderCallback {
public:
    SkinUI::CControlUI* CreateControl(const char* className) override;
};
