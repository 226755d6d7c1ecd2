#include "app/WebBrowserExUI.h"

#include <cstring>
#include <cwchar>
#include <optional>

#include "app/Messages.h"
#include "app/PageTrust.h"

namespace {

struct ScriptMethod {
    const wchar_t* name;
    DISPID id;
    UINT message;
    UINT argumentCount;
    const char* call;  // as the debugger line names it
};

constexpr ScriptMethod kScriptMethods[] = {
    {L"LogonLobby", CWebBrowserExUI::kLogonLobby, WM_LOGON_LOBBY, 2, "external.LogonLobby"},
    {L"RegisterCancel", CWebBrowserExUI::kRegisterCancel, WM_REGISTER_CANCEL, 0,
     "external.RegisterCancel"},
    {L"LogonResult", CWebBrowserExUI::kLogonResult, WM_LOGON_RESULT, 2, "external.LogonResult"},
};

const ScriptMethod* MethodOf(DISPID id) {
    for (const ScriptMethod& method : kScriptMethods) {
        if (method.id == id)
            return &method;
    }
    return nullptr;
}

// One script argument as text, the way the script itself would show it: a
// number as its digits, a variable passed by reference (as VBScript passes
// them) as its value. Objects are not asked for their value, which would run
// the page's code in the middle of the call.
class ScriptText {
public:
    // The argument is only read (the system's header declares it writable).
    explicit ScriptText(VARIANT* argument) {
        ::VariantInit(&m_text);
        m_bRead = SUCCEEDED(::VariantChangeType(&m_text, argument, VARIANT_NOVALUEPROP, VT_BSTR));
    }
    ~ScriptText() { ::VariantClear(&m_text); }
    ScriptText(const ScriptText&) = delete;
    ScriptText& operator=(const ScriptText&) = delete;

    bool IsRead() const { return m_bRead; }
    BSTR Text() const { return m_bRead ? V_BSTR(&m_text) : nullptr; }

private:
    VARIANT m_text;
    bool m_bRead = false;
};

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

CWebBrowserExUI::ScriptCall CWebBrowserExUI::DeliverScriptCall(DISPID id, WORD flags,
                                                               const DISPPARAMS* params) {
    const ScriptMethod* method = MethodOf(id);
    if (!method || (flags & DISPATCH_METHOD) == 0 || !params ||
        params->cArgs != method->argumentCount || params->cNamedArgs != 0) {
        return ScriptCall::Unknown;
    }
    if (params->cArgs > 0 && !params->rgvarg)
        return ScriptCall::MissingArguments;
    // Arguments arrive last first.
    std::optional<ScriptText> first;
    std::optional<ScriptText> second;
    if (params->cArgs == 2) {
        first.emplace(&params->rgvarg[1]);
        second.emplace(&params->rgvarg[0]);
        if (!first->IsRead() || !second->IsRead())
            return ScriptCall::Unknown;
    }
    if (!m_hMainWnd || !ShowsOperatorPage(*this, method->call))
        return ScriptCall::Handled;
    ::SendMessageA(m_hMainWnd, method->message, first ? reinterpret_cast<WPARAM>(first->Text()) : 0,
                   second ? reinterpret_cast<LPARAM>(second->Text()) : 0);
    return ScriptCall::Handled;
}

HRESULT CWebBrowserExUI::Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                                VARIANT* result, EXCEPINFO* excep, UINT* argErr) {
    if (iid != IID_NULL)
        return E_INVALIDARG;
    const ScriptCall call = DeliverScriptCall(id, flags, params);
    if (call == ScriptCall::MissingArguments)
        return E_INVALIDARG;
    const HRESULT hr = CWebBrowserUI::Invoke(id, iid, lcid, flags, params, result, excep, argErr);
    // The base knows no script methods; a call that reached the launcher is
    // not reported to the page as a missing member, which would stop its
    // script after every call.
    return call == ScriptCall::Handled ? S_OK : hr;
}

SkinUI::CControlUI* CDialogBuilderCallbackEx::CreateControl(const char* className) {
    if (className && ::lstrcmpiA(className, "WebBrowserEx") == 0)
        return new CWebBrowserExUI;
    return nullptr;
}
