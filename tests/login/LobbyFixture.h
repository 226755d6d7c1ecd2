// A login against the real stand-in lobby, started by ShellExecuteA from the
// test's own folder: the lobby is copied beside the test before each test,
// and what it recorded is read back. The registry starts and ends without the
// launcher's keys, and message boxes are answered.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/app/LauncherTestWindow.h"
#include "tests/login/RegistryFixture.h"
#include "ui/controls/Edit.h"
#include "ui/controls/Option.h"
#include "ui/core/WindowManager.h"

inline std::string Here(const char* file) {
    return SkinUI::CWindowManagerUI::GetModuleDirectory() + file;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class LobbyFixture : public RegistryFixture {
protected:
    void SetUp() override {
        RegistryFixture::SetUp();
        SkinUI::CWindowManagerUI::SetInstance(::GetModuleHandleA(nullptr));
        // Lobbies started here close themselves soon.
        ::SetEnvironmentVariableA("LOBBY_EXIT_AFTER_MS", "300");
        // The previous test's lobby may still hold its file for a moment.
        bool copied = false;
        for (int i = 0; i < 100 && !copied; ++i) {
            copied = ::CopyFileA(LAUNCHER_LOBBY_EXE, Here("Lobby.exe").c_str(), FALSE) != 0;
            if (!copied)
                ::Sleep(50);
        }
        ASSERT_TRUE(copied);
        ::DeleteFileA(Here("LobbyCommandLine.txt").c_str());
        ::DeleteFileA(Here("LobbyLogin.txt").c_str());
        TakeQuitMessage();
    }
    void TearDown() override {
        WaitForLobbyToClose();
        // Deleting succeeds once the lobby's process has ended.
        for (int i = 0;
             i < 100 && ::GetFileAttributesA(Here("Lobby.exe").c_str()) != INVALID_FILE_ATTRIBUTES;
             ++i) {
            if (!::DeleteFileA(Here("Lobby.exe").c_str()))
                ::Sleep(50);
        }
        RegistryFixture::TearDown();
    }

    // The parameters the lobby recorded, or "<none>" when it did not start.
    static std::string LobbyParameters(DWORD timeoutMs = 10000) {
        const DWORD start = ::GetTickCount();
        while (::GetTickCount() - start < timeoutMs) {
            if (::GetFileAttributesA(Here("LobbyLogin.txt").c_str()) != INVALID_FILE_ATTRIBUTES ||
                ::GetFileAttributesA(Here("LobbyCommandLine.txt").c_str()) !=
                    INVALID_FILE_ATTRIBUTES) {
                ::Sleep(100);
                return ReadFile(Here("LobbyCommandLine.txt"));
            }
            ::Sleep(50);
        }
        return "<none>";
    }

    // Boxes the login opens are answered, so a failure never hangs the run.
    MessageBoxWatcher m_boxes;

    static void WaitForLobbyToClose() {
        for (int i = 0; i < 200 && ::FindWindowA("ReRodaDeviz", nullptr); ++i)
            ::Sleep(50);
    }

    // A window ready for login: update done, boxes of 32 characters as the
    // launcher's initialisation makes them, fixed line 0 whose only
    // candidate is a 15-character address.
    void Prepare(LauncherTestWindow& window, const char* account, const char* password) {
        window.m_Engine.m_bUpdateFinished = true;
        window.m_pAccountEdit->SetMaxChar(32);
        window.m_pPasswordEdit->SetMaxChar(32);
        window.m_vServerList = {"192.168.100.200"};
        window.Control<SkinUI::COptionUI>("LogonLine0")->SetSelected(true);
        window.m_pAccountEdit->SetText(account);
        window.m_pPasswordEdit->SetText(password);
    }
};
