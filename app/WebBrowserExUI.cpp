#include "app/WebBrowserExUI.h"

#include <cstring>
#include <cwchar>

#include "app/Messages.h"
#include "app/PageTrust.h"

namespace {

struct ScriptMethod {
    const wchar_t* name;
    DISPID id;
    UINT message;
    UINT argumentCount;
};

constexpr ScriptMethod kScriptMethods[] = {
    {L"LogonLobby", CWebBrowserExUI::kLogonLobby, WM_LOGON_LOBBY, 2},
    {L"RegisterCancel", CWebBrowserExUI::kRegisterCancel, WM_REGISTER_CANCEL, 0},
    {L"LogonResult", CWebBrowserExUI::kLogonResult, WM_LOGON_RESULT, 2},
};

const ScriptMethod* MethodOf(DISPID id) {
    for (const ScriptMethod& method : kScriptMethods) {
        if (method.id == id)
            return &method;
    }
    return nullptr;
}

}  // namespace

const char* CWebBrowserExUI::GetClass() const {
    return "WebBrowserExUI";
}

void* CWebBrowserExUI::GetInterface(const char* name) {
    if (std::strcmp(name, "WebBrowserEx") == 0)
        return this;
    return CWebBrowserUI::GetInterface(name);
}

HRESULT CWebBrowserExUI::GetExternal(IDispatch** dispatch) {
    if (!dispatch)
        return E_POINTER;
    *dispatch = nullptr;
    // The site's IDispatch, with the reference the caller will release.
    if (!m_pSite)
        return E_FAIL;
    return m_pSite->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch));
}

HRESULT CWebBrowserExUI::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                       DISPID* ids) {
    if (names && count > 0 && names[0] && ids) {
        // Exact names: a page that calls "logonresult" reaches nothing.
        for (const ScriptMethod& method : kScriptMethods) {
            if (std::wcscmp(names[0], method.name) == 0) {
                ids[0] = method.id;
                return S_OK;
            }
        }
    }
    return CWebBrowserUI::GetIDsOfNames(iid, names, count, lcid, ids);
}

bool CWebBrowserExUI::DeliverScriptCall(DISPID id, WORD flags, const DISPPARAMS* params) {
    const ScriptMethod* method = MethodOf(id);
    if (!method || (flags & DISPATCH_METHOD) == 0 || !params ||
        params->cArgs != method->argumentCount || params->cNamedArgs != 0) {
        return false;
    }
    // Arguments arrive last first; both must be strings.
    for (UINT i = 0; i < params->cArgs; ++i) {
        if (V_VT(&params->rgvarg[i]) != VT_BSTR)
            return false;
    }
    if (!m_hMainWnd || !ShowsOperatorPage(*this, "script call"))
        return true;
    const WPARAM first =
        params->cArgs == 2 ? reinterpret_cast<WPARAM>(V_BSTR(&params->rgvarg[1])) : 0;
    const LPARAM second =
        params->cArgs == 2 ? reinterpret_cast<LPARAM>(V_BSTR(&params->rgvarg[0])) : 0;
    ::SendMessageA(m_hMainWnd, method->message, first, second);
    return true;
}

HRESULT CWebBrowserExUI::Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                                VARIANT* result, EXCEPINFO* excep, UINT* argErr) {
    if (iid != IID_NULL)
        return E_INVALIDARG;
    const bool delivered = DeliverScriptCall(id, flags, params);
    const HRESULT hr = CWebBrowserUI::Invoke(id, iid, lcid, flags, params, result, excep, argErr);
    // The base knows no script methods; a call that reached the launcher is
    // not reported to the page as a missing member, which would stop its
    // script after every call.
    return delivered ? S_OK : hr;
}

SkinUI::CControlUI* CDialogBuilderCallbackEx::CreateControl(const char* className) {
    if (className && ::lstrcmpiA(className, "WebBrowserEx") == 0)
        return new CWebBrowserExUI;
    return nullptr;
}
