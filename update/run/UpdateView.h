// What an update run shows. The launcher window implements it with its skin
// controls; the tests record it. It holds no state of the engine: every call
// passes the values to show, and comes on the view's thread, from a closure
// the run posted (GetOwnerWindow alone is asked when a run starts).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class UpdateView {
public:
    virtual ~UpdateView() = default;

    // The window the lobby's start belongs to; null without one.
    virtual HWND GetOwnerWindow() const = 0;

    virtual void ShowUpdateState(const std::string& text) = 0;
    // The current file, its speed, or why the download pass ended.
    virtual void ShowCurInfo(const std::string& text) = 0;
    // The product and the version the mirror offers.
    virtual void ShowVersion(const std::string& text) = 0;
    // The names of the most recent downloads (up to three), oldest first.
    virtual void ShowRecentFiles(const std::vector<std::string>& names) = 0;
    // The whole pass in percent; withText also writes the percentage on the
    // bar, without it the bar keeps its text.
    virtual void ShowAllFileProgress(int percent, bool withText) = 0;
    virtual void ShowCurFileProgress(int percent) = 0;
    // The login, registration and repair buttons together.
    virtual void EnableLoginButtons(bool enabled) = 0;
    // The repair button alone, after a failed fetch.
    virtual void EnableRepair() = 0;
    // The run ended ready for login. When the player saved the password and
    // asked to be logged in automatically, arms the delayed login and
    // returns true; otherwise false.
    virtual bool ArmAutoLogon() = 0;
    // A message box the player must close ("提示" as its caption).
    virtual void ShowMessage(const std::string& text) = 0;
    // The lobby was asked to put a new launcher in place: this one leaves.
    virtual void RequestQuit() = 0;
};

// A change to the view, run on its thread; and where such changes are sent.
using ViewChange = std::function<void(UpdateView&)>;
using ViewPost = std::function<void(ViewChange)>;
