#include "ui/browser/WebBrowser.h"

#include <exdispid.h>

#include <string>

#include "ui/browser/WebBrowserSite.h"
#include "ui/core/AttributeList.h"
#include "ui/core/AttributeTable.h"

namespace SkinUI {

namespace {

// The event's arguments arrive last first: argument i of n is rgvarg[n-1-i].
// Each getter answers null when the argument is missing or of another type,
// so a malformed call never reads the wrong thing.
class EventArgs {
public:
    explicit EventArgs(const DISPPARAMS* params) : m_params(params) {}

    VARIANT* At(UINT i) const {
        if (!m_params || !m_params->rgvarg || i >= m_params->cArgs)
            return nullptr;
        return &m_params->rgvarg[m_params->cArgs - 1 - i];
    }
    IDispatch* Dispatch(UINT i) const {
        VARIANT* v = At(i);
        return v && V_VT(v) == VT_DISPATCH ? V_DISPATCH(v) : nullptr;
    }
    IDispatch** DispatchRef(UINT i) const {
        VARIANT* v = At(i);
        return v && V_VT(v) == (VT_BYREF | VT_DISPATCH) ? V_DISPATCHREF(v) : nullptr;
    }
    // A by-reference VARIANT, as the browser passes URLs and frames.
    VARIANT* VariantRef(UINT i) const {
        VARIANT* v = At(i);
        return v && V_VT(v) == (VT_BYREF | VT_VARIANT) ? V_VARIANTREF(v) : nullptr;
    }
    VARIANT_BOOL* BoolRef(UINT i) const {
        VARIANT* v = At(i);
        return v && V_VT(v) == (VT_BYREF | VT_BOOL) ? V_BOOLREF(v) : nullptr;
    }
    BSTR String(UINT i) const {
        VARIANT* v = At(i);
        return v && V_VT(v) == VT_BSTR ? V_BSTR(v) : nullptr;
    }
    long Long(UINT i) const {
        VARIANT* v = At(i);
        if (!v)
            return 0;
        if (V_VT(v) == VT_I4 || V_VT(v) == VT_UI4 || V_VT(v) == VT_INT || V_VT(v) == VT_UINT)
            return V_I4(v);
        return V_VT(v) == VT_I2 ? V_I2(v) : 0;
    }
    VARIANT_BOOL Bool(UINT i) const {
        VARIANT* v = At(i);
        return v && V_VT(v) == VT_BOOL ? V_BOOL(v) : VARIANT_FALSE;
    }

private:
    const DISPPARAMS* m_params;
};

}  // namespace

CWebBrowserUI::CWebBrowserUI() {
    m_clsid = CLSID_WebBrowser;
    SetContentShown(false);
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
    static const AttributeSetter<CWebBrowserUI> kAttributes[] = {
        {"homepage", [](CWebBrowserUI& c, const char* v) { c.SetHomePage(v); }},
        {"autonavi", [](CWebBrowserUI& c, const char* v) { c.SetAutoNavigation(ParseBool(v)); }},
    };
    if (!ApplyAttribute(kAttributes, *this, name, value))
        CActiveXUI::SetAttribute(name, value);
}

Base::ComPtr<CActiveXSite> CWebBrowserUI::CreateSite() {
    Base::ComPtr<CActiveXSite> site;
    site.Attach(new CWebBrowserSite(this));
    return site;
}

void CWebBrowserUI::DoInit() {
    CActiveXUI::DoInit();
    if (m_pObject && m_bAutoNavigate && !m_sHomePage.empty() && !m_bHomeVisited) {
        m_bHomeVisited = true;
        Navigate(m_sHomePage.c_str());
    }
}

bool CWebBrowserUI::Navigate(const char* url) {
    auto browser = m_pObject.Query<IWebBrowser2>(IID_IWebBrowser2);
    if (!browser || !url)
        return false;
    const int length = ::MultiByteToWideChar(CP_THREAD_ACP, 0, url, -1, nullptr, 0);
    if (length <= 0)
        return false;
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_THREAD_ACP, 0, url, -1, &wide[0], length);
    BSTR text = ::SysAllocString(wide.c_str());
    VARIANT empty;
    ::VariantInit(&empty);
    const HRESULT hr = browser->Navigate(text, &empty, &empty, &empty, &empty);
    ::SysFreeString(text);
    return SUCCEEDED(hr);
}

HRESULT CWebBrowserUI::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT CWebBrowserUI::GetExternal(IDispatch** dispatch) {
    if (m_pEventHandler)
        return m_pEventHandler->GetExternal(dispatch);
    if (dispatch)
        *dispatch = nullptr;
    return S_FALSE;
}

bool CWebBrowserUI::IsTopLevel(IDispatch* disp) const {
    if (!disp || !m_pObject)
        return false;
    Base::ComPtr<IUnknown> mine = m_pObject.Query<IUnknown>(IID_IUnknown);
    Base::ComPtr<IUnknown> theirs;
    disp->QueryInterface(IID_IUnknown, theirs.put_void());
    return mine && mine.get() == theirs.get();
}

std::wstring CWebBrowserUI::GetLocationURL() const {
    auto browser = m_pObject.Query<IWebBrowser2>(IID_IWebBrowser2);
    BSTR location = nullptr;
    if (!browser || FAILED(browser->get_LocationURL(&location)) || !location)
        return std::wstring();
    std::wstring url(location, ::SysStringLen(location));
    ::SysFreeString(location);
    return url;
}

void CWebBrowserUI::InstallUIHandler() {
    auto browser = m_pObject.Query<IWebBrowser2>(IID_IWebBrowser2);
    Base::ComPtr<IDispatch> document;
    if (!browser || FAILED(browser->get_Document(document.put())) || !document)
        return;
    auto custom = document.Query<ICustomDoc>(__uuidof(ICustomDoc));
    auto handler = m_pSite.Query<IDocHostUIHandler>(IID_IDocHostUIHandler);
    if (custom && handler)
        custom->SetUIHandler(handler.get());
}

HRESULT CWebBrowserUI::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                              EXCEPINFO*, UINT*) {
    const EventArgs args(params);
    CWebBrowserEventHandler* handler = m_pEventHandler;
    switch (id) {
        case DISPID_BEFORENAVIGATE2:
            if (handler) {
                handler->BeforeNavigate2(args.Dispatch(0), args.VariantRef(1), args.VariantRef(2),
                                         args.VariantRef(3), args.VariantRef(4), args.VariantRef(5),
                                         args.BoolRef(6));
            }
            return S_OK;
        case DISPID_NAVIGATEERROR:
            // No error page where the skin has its picture.
            if (IsTopLevel(args.Dispatch(0)))
                SetContentShown(false);
            if (handler) {
                handler->NavigateError(args.Dispatch(0), args.VariantRef(1), args.VariantRef(2),
                                       args.VariantRef(3), args.BoolRef(4));
            }
            return S_OK;
        case DISPID_NAVIGATECOMPLETE2:
            InstallUIHandler();
            if (handler)
                handler->NavigateComplete2(args.Dispatch(0), args.VariantRef(1));
            return S_OK;
        case DISPID_DOCUMENTCOMPLETE:
            if (IsTopLevel(args.Dispatch(0)))
                SetContentShown(true);
            return S_OK;
        case DISPID_NEWWINDOW3:
            if (handler) {
                handler->NewWindow3(args.DispatchRef(0), args.BoolRef(1),
                                    static_cast<DWORD>(args.Long(2)), args.String(3),
                                    args.String(4));
            }
            return S_OK;
        case DISPID_COMMANDSTATECHANGE:
            if (handler)
                handler->CommandStateChange(args.Long(0), args.Bool(1));
            return S_OK;
        case DISPID_STATUSTEXTCHANGE:
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

}  // namespace SkinUI
