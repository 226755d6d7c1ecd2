// The control changes an update run makes, run on the UI thread inside posted
// closures. A control the skin does not have is skipped silently.
#pragma once

#include <string>

class CPlazaUpdateWnd;

void SetControlText(CPlazaUpdateWnd& wnd, const char* name, const std::string& text);
void SetControlEnabled(CPlazaUpdateWnd& wnd, const char* name, bool enabled);
// Sets a progress bar's value; with showText also its text ("57%").
void SetProgressValue(CPlazaUpdateWnd& wnd, const char* name, int value, bool showText);
// "Logon", "Register" and "RestoreUpdate".
void SetLogonButtonsEnabled(CPlazaUpdateWnd& wnd, bool enabled);
// Status text: m_sUpdateState and the control "UpdateState".
void ShowUpdateState(CPlazaUpdateWnd& wnd, const std::string& text);
// Current-file text: m_sCurInfo and the control "CurInfo".
void ShowCurInfo(CPlazaUpdateWnd& wnd, const std::string& text);
