// The launcher's own browser control (skin tag "WebBrowserEx"): the toolkit's
// browser that also knows the launcher window, so that pages shown in it can
// send their login and registration results to that window.
#pragma once

#include <windows.h>

#include "ui/DialogBuilder.h"
#include "ui/WebBrowser.h"

class CWebBrowserExUI : public SkinUI::CWebBrowserUI {
public:
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

    void SetMainWindow(HWND hWnd) { m_hMainWnd = hWnd; }
    HWND GetMainWindow() const { return m_hMainWnd; }

private:
    HWND m_hMainWnd = nullptr;
};

// Makes the launcher's own controls while the skin is built.
class CDialogBuilderCallbackEx : public SkinUI::IDialogBuilderCallback {
public:
    SkinUI::CControlUI* CreateControl(const char* className) override;
};
