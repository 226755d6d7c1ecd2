#include "login/RegistryKey.h"

namespace registry {

namespace {

constexpr DWORD kStringBufferBytes = 256;
constexpr DWORD kChildNameChars = 256;

using RegDeleteKeyExAFn = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);

// Older systems lack RegDeleteKeyExA; look it up once per process.
RegDeleteKeyExAFn DeleteKeyExFunction() {
    static const RegDeleteKeyExAFn fn = [] {
        const HMODULE advapi = ::GetModuleHandleA("Advapi32.dll");
        return advapi ? reinterpret_cast<RegDeleteKeyExAFn>(
                            reinterpret_cast<void*>(::GetProcAddress(advapi, "RegDeleteKeyExA")))
                      : nullptr;
    }();
    return fn;
}

LONG DeleteLeafKey(HKEY parent, const char* name) {
    if (const RegDeleteKeyExAFn deleteKeyEx = DeleteKeyExFunction()) {
        return deleteKeyEx(parent, name, 0, 0);
    }
    return ::RegDeleteKeyA(parent, name);
}

}  // namespace

Base::UniqueKey OpenKey(HKEY parent, const std::string& path, REGSAM access) {
    Base::UniqueKey key;
    if (::RegOpenKeyExA(parent, path.c_str(), 0, access, key.put()) != ERROR_SUCCESS)
        key.reset();
    return key;
}

Base::UniqueKey CreateKey(HKEY parent, const std::string& path) {
    Base::UniqueKey key;
    if (::RegCreateKeyExA(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kReadWrite,
                          nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
        key.reset();
    }
    return key;
}

bool ReadString(HKEY key, const char* name, std::string& value) {
    // One spare byte keeps a value stored without its terminator readable.
    char buffer[kStringBufferBytes + 1] = {};
    DWORD type = 0;
    DWORD size = kStringBufferBytes;
    if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return false;
    buffer[size < kStringBufferBytes ? size : kStringBufferBytes - 1] = '\0';
    value = buffer;
    return true;
}

bool ReadDword(HKEY key, const char* name, DWORD& value) {
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof(data);
    if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD) {
        return false;
    }
    value = data;
    return true;
}

void WriteString(HKEY key, const char* name, const std::string& value) {
    ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
}

void WriteDword(HKEY key, const char* name, DWORD value) {
    ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

LONG RecurseDeleteKey(HKEY parent, const char* name) {
    Base::UniqueKey key;
    const LONG opened = ::RegOpenKeyExA(parent, name, 0, kReadWrite, key.put());
    if (opened != ERROR_SUCCESS)
        return opened;
    for (;;) {
        char child[kChildNameChars] = {};
        DWORD childChars = kChildNameChars;
        if (::RegEnumKeyExA(key.get(), 0, child, &childChars, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        const LONG deleted = RecurseDeleteKey(key.get(), child);
        if (deleted != ERROR_SUCCESS)
            return deleted;
    }
    key.reset();
    return DeleteLeafKey(parent, name);
}

}  // namespace registry
