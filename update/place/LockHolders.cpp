#include "update/place/LockHolders.h"

#include <windows.h>
#include <restartmanager.h>

#include <vector>

namespace {

constexpr UINT kMostNamed = 3;

class RestartSession {
public:
    RestartSession() {
        WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
        m_bOpen = ::RmStartSession(&m_dwHandle, 0, key) == ERROR_SUCCESS;
    }
    ~RestartSession() {
        if (m_bOpen)
            ::RmEndSession(m_dwHandle);
    }
    RestartSession(const RestartSession&) = delete;
    RestartSession& operator=(const RestartSession&) = delete;

    bool IsOpen() const { return m_bOpen; }
    DWORD Handle() const { return m_dwHandle; }

private:
    DWORD m_dwHandle = 0;
    bool m_bOpen = false;
};

std::wstring Widen(const std::string& text) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
    wide.pop_back();
    return wide;
}

std::string Narrow(const WCHAR* text) {
    const int length = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::string();
    std::string narrow(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], length, nullptr, nullptr);
    narrow.pop_back();
    return narrow;
}

}  // namespace

std::string NameLockHolders(const std::string& path) {
    const RestartSession session;
    const std::wstring file = Widen(path);
    if (!session.IsOpen() || file.empty())
        return std::string();
    LPCWSTR files[] = {file.c_str()};
    if (::RmRegisterResources(session.Handle(), 1, files, 0, nullptr, 0, nullptr) !=
        ERROR_SUCCESS) {
        return std::string();
    }
    std::vector<RM_PROCESS_INFO> holders;
    UINT needed = 0;
    UINT count = 0;
    DWORD reasons = 0;
    DWORD result = ::RmGetList(session.Handle(), &needed, &count, nullptr, &reasons);
    // The list can grow between the two calls: ask again while it does.
    while (result == ERROR_MORE_DATA) {
        holders.resize(needed);
        count = needed;
        result = ::RmGetList(session.Handle(), &needed, &count, holders.data(), &reasons);
    }
    if (result != ERROR_SUCCESS)
        return std::string();
    std::string names;
    for (UINT i = 0; i < count && i < kMostNamed && i < holders.size(); ++i) {
        const std::string name = Narrow(holders[i].strAppName);
        if (name.empty())
            continue;
        names += (names.empty() ? "" : "、") + name;
    }
    return names;
}

std::string LockedFileText(const std::string& path) {
    const std::string holders = NameLockHolders(path);
    return "文件正被" + (holders.empty() ? std::string("其他程序") : holders) +
           "使用，无法复盖！请关闭后重试。";
}
