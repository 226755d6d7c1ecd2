// The update engine's view in the tests: no window and no skin. It records
// what a run shows, and runs the run's posts on the test thread, in order,
// while the test pumps.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "update/run/UpdateEngine.h"

class PostQueue;

class RecordingView : public UpdateView {
    // Declared first: the engine posts through it.
    std::shared_ptr<PostQueue> m_pQueue;

public:
    RecordingView();
    ~RecordingView() override;
    RecordingView(const RecordingView&) = delete;
    RecordingView& operator=(const RecordingView&) = delete;

    // Starts a run whose built-in mirror is builtInMirror (and second
    // mirror2), without waiting for it.
    void Start(const std::string& builtInMirror, const std::string& mirror2 = {});
    // Starts a run and pumps until its thread has ended and its posts have
    // run.
    void RunUpdate(const std::string& builtInMirror, const std::string& mirror2 = {},
                   DWORD timeoutMs = 60000);
    // Runs the posts that arrive within ms milliseconds.
    void Pump(DWORD ms);
    // Pumps until done() is true or timeoutMs passed; returns done().
    template <typename F>
    bool PumpUntil(F done, DWORD timeoutMs) {
        const DWORD start = ::GetTickCount();
        while (!done() && ::GetTickCount() - start < timeoutMs)
            Pump(10);
        return done();
    }
    // Forgets the texts shown so far; what is on show stays.
    void ClearHistory();

    // What a window would show now.
    struct Shown {
        std::string state;
        std::string info;
        std::string version;
        std::vector<std::string> recentFiles;  // the file labels, first to last
        int allFiles = 0;
        int allFilesLabel = -1;  // the percentage written on the bar; -1: none yet
        int curFile = 0;
        // Buttons start enabled, as a skin makes them.
        bool login = true;
        bool repair = true;
        bool autoLogonArmed = false;
        bool quit = false;
    } shown;
    // Every status and current-file text, and every percentage of the
    // whole-files bar, in order.
    std::vector<std::string> states;
    std::vector<std::string> infos;
    std::vector<int> allFilesShown;
    // The message boxes the player would have had to close.
    std::vector<std::string> messages;
    // Whether the player asked for the automatic login.
    bool wantsAutoLogon = false;

    UpdateEngine engine;

    HWND GetOwnerWindow() const override { return nullptr; }
    void ShowUpdateState(const std::string& text) override;
    void ShowCurInfo(const std::string& text) override;
    void ShowVersion(const std::string& text) override { shown.version = text; }
    void ShowRecentFiles(const std::vector<std::string>& names) override;
    void ShowAllFileProgress(int percent, bool withText) override;
    void ShowCurFileProgress(int percent) override { shown.curFile = percent; }
    void EnableLoginButtons(bool enabled) override;
    void EnableRepair() override { shown.repair = true; }
    bool ArmAutoLogon() override;
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void RequestQuit() override { shown.quit = true; }
};
