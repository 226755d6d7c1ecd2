#include "app/WebBrowserExUI.h"

#include <cstring>

const char* CWebBrowserExUI::GetClass() const {
    return "WebBrowserExUI";
}

void* CWebBrowserExUI::GetInterface(const char* name) {
    if (std::strcmp(name, "WebBrowserEx") == 0)
        return this;
    return CWebBrowserUI::GetInterface(name);
}

SkinUI::CControlUI* CDialogBuilderCallbackEx::CreateControl(const char* className) {
    if (className && ::lstrcmpiA(className, "WebBrowserEx") == 0)
        return new CWebBrowserExUI;
    return nullptr;
}
