// Every private window message and timer of the launcher window, with who
// sends it and what its parameters carry.
#pragma once

#include <windows.h>

// Ask the launcher to quit. Posted by the window to itself: at creation when
// a lobby already runs, and when an update run has handed the new launcher
// over to the lobby. wParam, lParam: 0.
constexpr UINT WM_QUIT_LAUNCHER = WM_USER + 100;

// Sent by the login page's script object: log in with these credentials.
// wParam: account, lParam: password, both UTF-16 strings owned by the sender.
constexpr UINT WM_LOGON_LOBBY = WM_USER + 700;

// Sent by the login page's script object: leave the registration page.
// wParam, lParam: 0.
constexpr UINT WM_REGISTER_CANCEL = WM_USER + 701;

// Sent by the login page's script object with the outcome of a validation.
// wParam: result code as decimal UTF-16 text, lParam: message as UTF-16 text.
constexpr UINT WM_LOGON_RESULT = WM_USER + 702;

// Posted by a worker thread to run queued closures on the UI thread, in the
// order they were posted. wParam, lParam: 0.
constexpr UINT WM_RUN_ON_UI = WM_USER + 800;

// One-shot timer armed at the end of an update run in auto-logon mode.
constexpr UINT_PTR TIMER_AUTO_LOGON = 1001;
constexpr UINT kAutoLogonDelayMs = 3000;
