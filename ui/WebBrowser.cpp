#include "ui/WebBrowser.h"

#include <cstring>

#include "ui/AttributeList.h"

namespace SkinUI {

CWebBrowserUI::CWebBrowserUI() {
    m_clsid = CLSID_WebBrowser;
}

const char* CWebBrowserUI::GetClass() const {
    return "WebBrowserUI";
}

void* CWebBrowserUI::GetInterface(const char* name) {
    if (std::strcmp(name, "WebBrowser") == 0)
        return this;
    return CActiveXUI::GetInterface(name);
}

void CWebBrowserUI::SetEventHandler(CWebBrowserEventHandler* handler) {
    if (!handler || handler == m_pEventHandler)
        return;
    m_pEventHandler = handler;
}

void CWebBrowserUI::SetHomePage(const char* url) {
    m_sHomePage = url ? url : "";
}

void CWebBrowserUI::SetAttribute(const char* name, const char* value) {
    if (std::strcmp(name, "homepage") == 0) {
        SetHomePage(value);
    } else if (std::strcmp(name, "autonavi") == 0) {
        SetAutoNavigation(ParseBool(value));
    } else {
        CActiveXUI::SetAttribute(name, value);
    }
}

}  // namespace SkinUI
