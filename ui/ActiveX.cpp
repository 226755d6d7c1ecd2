#include "ui/ActiveX.h"

#include <cstring>
#include <string>

namespace SkinUI {

const char* CActiveXUI::GetClass() const {
    return "ActiveXUI";
}

void* CActiveXUI::GetInterface(const char* name) {
    if (std::strcmp(name, "ActiveX") == 0)
        return this;
    return CControlUI::GetInterface(name);
}

HRESULT CActiveXUI::GetControl(REFIID, void** object) {
    if (!object)
        return E_POINTER;
    // No control is hosted yet.
    *object = nullptr;
    return E_NOTIMPL;
}

bool CActiveXUI::SetClsid(const char* clsid) {
    if (!clsid || !*clsid)
        return false;
    const int length = ::MultiByteToWideChar(CP_ACP, 0, clsid, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, clsid, -1, &wide[0], length);
    CLSID value = {};
    const HRESULT hr = clsid[0] == '{' ? ::CLSIDFromString(&wide[0], &value)
                                       : ::CLSIDFromProgID(wide.c_str(), &value);
    if (FAILED(hr))
        return false;
    m_clsid = value;
    return true;
}

void CActiveXUI::SetAttribute(const char* name, const char* value) {
    if (std::strcmp(name, "clsid") == 0) {
        SetClsid(value);
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

}  // namespace SkinUI
