// The launcher window with the update controls only, built from a small skin
// whose "UpdateState" and "CurInfo" labels remember every text they showed.
// Creating it starts no run; tests start runs against the loopback mirror.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/PlazaUpdateWnd.h"

class UpdateTestWindow : public CPlazaUpdateWnd {
public:
    UpdateTestWindow();
    ~UpdateTestWindow() override;

    // Starts a run whose built-in mirror is builtInMirror and pumps messages
    // until its thread has ended and its posts have run.
    void RunUpdate(const std::string& builtInMirror, DWORD timeoutMs = 60000);
    // Pumps messages for ms milliseconds.
    void Pump(DWORD ms);
    // Pumps until done() is true or timeoutMs passed; returns done().
    template <typename F>
    bool PumpUntil(F done, DWORD timeoutMs) {
        const DWORD start = ::GetTickCount();
        while (!done() && ::GetTickCount() - start < timeoutMs)
            Pump(10);
        return done();
    }

    std::string Text(const char* name) const;
    bool IsEnabled(const char* name) const;
    int ProgressValue(const char* name) const;
    std::vector<std::string> StateHistory() const;
    std::vector<std::string> InfoHistory() const;
    void ClearHistory();
    bool QuitRequested() const { return m_bQuitRequested; }
    bool AutoLogonTimerFired() const { return m_bAutoLogonFired; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND) override {}

private:
    bool m_bQuitRequested = false;
    bool m_bAutoLogonFired = false;
};
