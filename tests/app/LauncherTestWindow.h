// Test support for the launcher window: the real CPlazaUpdateWnd built from a
// small skin given as markup, without the web pages and the worker threads
// that its own creation starts, plus helpers for the modal message boxes and
// the posted quit.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/PlazaUpdateWnd.h"
#include "tests/support/MessageBoxWatcher.h"

// Every control name the launcher looks up, in a layout the hit test can use:
// a 40-pixel caption band holding a label and the window buttons.
std::string TestSkinMarkup(
    const char* windowAttributes = "caption=\"0,0,0,40\" roundcorner=\"8,8\"");

class LauncherTestWindow : public CPlazaUpdateWnd {
public:
    explicit LauncherTestWindow(std::string markup = TestSkinMarkup());
    ~LauncherTestWindow() override;

    template <typename T>
    T* Control(const char* name) const {
        return dynamic_cast<T*>(m_Manager.FindControl(name));
    }
    void SendNotify(const char* type, const char* senderName);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The test owns the object.
    void OnFinalMessage(HWND) override {}

private:
    std::string m_sMarkup;
};

// Runs the thread's queued messages for a while, the way the message loop
// would (closures from worker threads included). WM_QUIT is kept for
// TakeQuitMessage.
void PumpMessages(DWORD milliseconds);
// True when a quit was posted on this thread since the last call.
bool TakeQuitMessage();
