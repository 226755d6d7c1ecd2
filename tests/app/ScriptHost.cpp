#include "tests/app/ScriptHost.h"

#include <cwchar>

namespace {

constexpr CLSID kJScript = {
    0xf414c260, 0x6ac0, 0x11cf, {0xb6, 0xd1, 0x00, 0xaa, 0x00, 0xbb, 0xbb, 0x58}};
constexpr CLSID kVBScript = {
    0xb54f3741, 0x5b07, 0x11cf, {0xa4, 0xb0, 0x00, 0xaa, 0x00, 0x4a, 0x55, 0xe8}};

}  // namespace

ScriptHost::ScriptHost(IDispatch* external, Language language) : m_pExternal(external) {
    const CLSID& engine = language == Language::VBScript ? kVBScript : kJScript;
    if (FAILED(::CoCreateInstance(engine, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                                  m_pScript.put_void()))) {
        return;
    }
    auto parse = m_pScript.Query<IActiveScriptParse32>(__uuidof(IActiveScriptParse32));
    if (!parse || FAILED(m_pScript->SetScriptSite(this)) || FAILED(parse->InitNew()) ||
        FAILED(m_pScript->AddNamedItem(L"external", SCRIPTITEM_ISVISIBLE)) ||
        FAILED(m_pScript->SetScriptState(SCRIPTSTATE_CONNECTED))) {
        return;
    }
    m_pParse = std::move(parse);
}

ScriptHost::~ScriptHost() {
    if (m_pScript)
        m_pScript->Close();
}

HRESULT ScriptHost::Run(const wchar_t* code) {
    if (!m_pParse)
        return E_UNEXPECTED;
    EXCEPINFO excep = {};
    const HRESULT hr = m_pParse->ParseScriptText(code, nullptr, nullptr, nullptr, 0, 0,
                                                 SCRIPTTEXT_ISVISIBLE, nullptr, &excep);
    ::SysFreeString(excep.bstrSource);
    ::SysFreeString(excep.bstrDescription);
    ::SysFreeString(excep.bstrHelpFile);
    return hr;
}

STDMETHODIMP ScriptHost::QueryInterface(REFIID iid, void** object) {
    if (iid == IID_IUnknown || iid == IID_IActiveScriptSite) {
        *object = static_cast<IActiveScriptSite*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP ScriptHost::GetLCID(LCID* lcid) {
    *lcid = LOCALE_USER_DEFAULT;
    return S_OK;
}

STDMETHODIMP ScriptHost::GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item,
                                     ITypeInfo** info) {
    if (info)
        *info = nullptr;
    if (item)
        *item = nullptr;
    if (std::wcscmp(name, L"external") != 0)
        return TYPE_E_ELEMENTNOTFOUND;
    if ((mask & SCRIPTINFO_IUNKNOWN) && item) {
        m_pExternal->AddRef();
        *item = m_pExternal;
    }
    return S_OK;
}

STDMETHODIMP ScriptHost::GetDocVersionString(BSTR*) {
    return E_NOTIMPL;
}
STDMETHODIMP ScriptHost::OnScriptTerminate(const VARIANT*, const EXCEPINFO*) {
    return S_OK;
}
STDMETHODIMP ScriptHost::OnStateChange(SCRIPTSTATE) {
    return S_OK;
}
STDMETHODIMP ScriptHost::OnScriptError(IActiveScriptError*) {
    return S_OK;
}
STDMETHODIMP ScriptHost::OnEnterScript() {
    return S_OK;
}
STDMETHODIMP ScriptHost::OnLeaveScript() {
    return S_OK;
}
