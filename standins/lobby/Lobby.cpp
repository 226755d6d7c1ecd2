// Stand-in for the real lobby. It keeps the promises the launcher relies on:
// a window of class "ReRodaDeviz" while it runs, and the two command lines.
// It records what it was given in "LobbyCommandLine.txt" beside itself, and
// for a login the fields it cut out of it in "LobbyLogin.txt", so tests and
// the demo can check both. After a login it names the account in its saved
// key, as the real lobby does, so the launcher lists it at its next start.
//
// A leading "-exitAfter=MS " (or the LOBBY_EXIT_AFTER_MS environment
// variable) makes it close itself after MS milliseconds; tests use it to
// play a lobby that is closing or one that stays.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/LobbyInterface.h"
#include "base/ProgramFolder.h"
#include "standins/lobby/ReplaceLauncher.h"
#include "standins/lobby/UpdateOverArgs.h"

namespace {

constexpr char kExitAfterSwitch[] = "-exitAfter=";
constexpr UINT_PTR kExitTimer = 1;

void RecordCommandLine(const std::string& cmdLine) {
    const std::string file = Base::ProgramFolder() + "LobbyCommandLine.txt";
    if (FILE* f = std::fopen(file.c_str(), "wb")) {
        std::fwrite(cmdLine.data(), 1, cmdLine.size(), f);
        std::fclose(f);
    }
}

// One "name=value" line per field; an "error=" line when a login command line
// could not be read. Any older record is removed first.
// Like the real lobby after a successful login, name the account in its saved
// key so the launcher lists it next time. Partner accounts are not listed.
void RememberAccount(const UpdateOverArgs& args) {
    if (args.nPartnerLogon != 0 || args.sAccount.empty())
        return;
    const std::string path = std::string(kAccountListKey) + "\\" + args.sAccount;
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    ::RegSetValueExA(key, "UserAccount", 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(args.sAccount.c_str()),
                     static_cast<DWORD>(args.sAccount.size() + 1));
    ::RegCloseKey(key);
}

void RecordLogin(const std::string& cmdLine) {
    const std::string file = Base::ProgramFolder() + "LobbyLogin.txt";
    ::DeleteFileA(file.c_str());
    if (cmdLine.rfind(kUpdateOverSwitch, 0) != 0)
        return;
    FILE* f = std::fopen(file.c_str(), "wb");
    if (!f)
        return;
    if (const auto args = ParseUpdateOverArgs(cmdLine)) {
        std::fprintf(f, "line=%d\r\npartner=%d\r\naccount=%s\r\npassword=%s\r\naddress=%s\r\n",
                     args->nServerLine, args->nPartnerLogon, args->sAccount.c_str(),
                     args->sPassword.c_str(), args->sServerAddr.c_str());
        RememberAccount(*args);
    } else {
        std::fputs("error=malformed login command line\r\n", f);
    }
    std::fclose(f);
}

// What the window shows: the login it was started with, so a player (and
// the demo's screenshot) can see what the launcher handed over.
std::string g_sShownLogin;

std::string DescribeLogin(const std::string& cmdLine) {
    const auto args = ParseUpdateOverArgs(cmdLine);
    if (!args)
        return "未收到登录信息\r\n" + cmdLine;
    char text[512];
    std::snprintf(text, sizeof(text), "账号：%s\r\n线路：%d\r\n合作登录：%s\r\n服务器地址：%s",
                  args->sAccount.c_str(), args->nServerLine, args->nPartnerLogon != 0 ? "是" : "否",
                  args->sServerAddr.c_str());
    return text;
}

void PaintLogin(HWND hwnd) {
    PAINTSTRUCT ps;
    const HDC dc = ::BeginPaint(hwnd, &ps);
    RECT area;
    ::GetClientRect(hwnd, &area);
    ::InflateRect(&area, -24, -24);
    const HFONT font = ::CreateFontA(-20, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                     DEFAULT_PITCH, "微软雅黑");
    const HGDIOBJ old = ::SelectObject(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextA(dc, g_sShownLogin.c_str(), -1, &area, DT_LEFT | DT_TOP | DT_WORDBREAK);
    ::SelectObject(dc, old);
    ::DeleteObject(font);
    ::EndPaint(hwnd, &ps);
}

LRESULT CALLBACK LobbyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT:
            PaintLogin(hwnd);
            return 0;
        case WM_TIMER:
            if (wParam == kExitTimer)
                ::DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR lpCmdLine, int) {
    std::string cmdLine = lpCmdLine ? lpCmdLine : "";
    UINT exitAfterMs = 0;
    if (const char* env = std::getenv("LOBBY_EXIT_AFTER_MS")) {
        exitAfterMs = static_cast<UINT>(std::strtoul(env, nullptr, 10));
    }
    if (cmdLine.rfind(kExitAfterSwitch, 0) == 0) {
        const size_t space = cmdLine.find(' ');
        exitAfterMs = static_cast<UINT>(
            std::strtoul(cmdLine.c_str() + sizeof(kExitAfterSwitch) - 1, nullptr, 10));
        cmdLine = space == std::string::npos ? std::string() : cmdLine.substr(space + 1);
    }
    RecordCommandLine(cmdLine);
    // The self-update hand-over needs no lobby window: a window of ours
    // would make the restarted launcher step aside for us.
    if (cmdLine == kReplacePlazaUpdateSwitch) {
        ReplaceLauncher(Base::ProgramFolder());
        return 0;
    }
    RecordLogin(cmdLine);
    g_sShownLogin = DescribeLogin(cmdLine);

    WNDCLASSA wc = {};
    wc.lpfnWndProc = LobbyProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kLobbyWindowClass;
    ::RegisterClassA(&wc);
    const HWND hwnd =
        ::CreateWindowExA(0, kLobbyWindowClass, "Lobby", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                          CW_USEDEFAULT, 480, 320, nullptr, nullptr, instance, nullptr);
    if (!hwnd)
        return 1;
    ::ShowWindow(hwnd, SW_SHOWNORMAL);
    if (exitAfterMs > 0)
        ::SetTimer(hwnd, kExitTimer, exitAfterMs, nullptr);

    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}
