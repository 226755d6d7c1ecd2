// What an update run shows and where it leads. The launcher window
// implements it with its skin controls; the tests record it. Apart from
// GetUiPoster and GetOwnerWindow, which a run reads when it starts, every
// call comes on the view's thread, from a closure the run posted.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "update/UiPoster.h"
#include "update/UpdateViewState.h"

class UpdateView : public UpdateViewState {
public:
    virtual ~UpdateView() = default;

    // Where the run's closures go.
    virtual std::shared_ptr<UiPoster> GetUiPoster() const = 0;
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
    // The file list grew or the run ended.
    virtual void NotifyUpdateComplete() = 0;
    // The lobby was asked to put a new launcher in place: this one leaves.
    virtual void RequestQuit() = 0;
};
