// Plays a page's script without a page: Wine's JScript or VBScript engine
// (through IActiveScript) with one named item, "external", the object a page
// reaches as window.external. The engine makes the same GetIDsOfNames and
// Invoke calls a page would; VBScript, for one, passes a variable by
// reference (VT_BYREF | VT_VARIANT).
#pragma once

#include <windows.h>
#include <activscp.h>

#include "base/Handles.h"

class ScriptHost : public IActiveScriptSite {
public:
    enum class Language { JScript, VBScript };

    explicit ScriptHost(IDispatch* external, Language language = Language::JScript);
    ~ScriptHost();
    ScriptHost(const ScriptHost&) = delete;
    ScriptHost& operator=(const ScriptHost&) = delete;

    bool IsReady() const { return static_cast<bool>(m_pParse); }
    // Runs one piece of script; failed when the script raised an error.
    HRESULT Run(const wchar_t* code);

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetLCID(LCID* lcid) override;
    STDMETHODIMP GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item,
                             ITypeInfo** info) override;
    STDMETHODIMP GetDocVersionString(BSTR* version) override;
    STDMETHODIMP OnScriptTerminate(const VARIANT* result, const EXCEPINFO* excep) override;
    STDMETHODIMP OnStateChange(SCRIPTSTATE state) override;
    STDMETHODIMP OnScriptError(IActiveScriptError* error) override;
    STDMETHODIMP OnEnterScript() override;
    STDMETHODIMP OnLeaveScript() override;

private:
    IDispatch* m_pExternal;
    Base::ComPtr<IActiveScript> m_pScript;
    Base::ComPtr<IActiveScriptParse32> m_pParse;
};
