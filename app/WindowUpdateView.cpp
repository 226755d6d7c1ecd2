// The launcher window as the update engine's view: which skin control shows
// what, and the window's start and stop of the update thread. A control the
// skin does not have is skipped silently.
#include <cstdio>

#include "app/ControlLookup.h"
#include "app/Messages.h"
#include "app/PlazaUpdateWnd.h"
#include "base/MessageCaption.h"
#include "ui/controls/Progress.h"

using namespace SkinUI;

namespace {

void SetControlText(const CWindowManagerUI& manager, const char* name, const std::string& text) {
    if (CControlUI* control = manager.FindControl(name))
        control->SetText(text.c_str());
}

void SetControlEnabled(const CWindowManagerUI& manager, const char* name, bool enabled) {
    if (CControlUI* control = manager.FindControl(name))
        control->SetEnabled(enabled);
}

// Sets a progress bar's value; with showText also its text ("57%").
void SetProgressValue(const CWindowManagerUI& manager, const char* name, int value, bool showText) {
    auto* bar = FindControlAs<CProgressUI>(manager, name);
    if (!bar)
        return;
    bar->SetValue(value);
    if (showText) {
        char text[16];
        std::snprintf(text, sizeof(text), "%d%%", value);
        bar->SetText(text);
    }
}

}  // namespace

void CPlazaUpdateWnd::StartUpdateThread() {
    m_Engine.Start();
}

void CPlazaUpdateWnd::StopUpdateThread() {
    m_Engine.Stop();
}

void CPlazaUpdateWnd::ShowUpdateState(const std::string& text) {
    SetControlText(m_Manager, "UpdateState", text);
}

void CPlazaUpdateWnd::ShowCurInfo(const std::string& text) {
    SetControlText(m_Manager, "CurInfo", text);
}

void CPlazaUpdateWnd::ShowVersion(const std::string& text) {
    SetControlText(m_Manager, "PlazaVer", text);
}

void CPlazaUpdateWnd::ShowRecentFiles(const std::vector<std::string>& names) {
    for (size_t i = 0; i < names.size(); ++i) {
        char control[32];
        std::snprintf(control, sizeof(control), "UpdateFileInfo%d", static_cast<int>(i));
        SetControlText(m_Manager, control, names[i]);
    }
}

void CPlazaUpdateWnd::ShowAllFileProgress(int percent, bool withText) {
    SetProgressValue(m_Manager, "AllFileProgress", percent, withText);
}

void CPlazaUpdateWnd::ShowCurFileProgress(int percent) {
    SetProgressValue(m_Manager, "CurFileProgress", percent, false);
}

void CPlazaUpdateWnd::EnableLoginButtons(bool enabled) {
    for (const char* name : {"Logon", "Register", "RestoreUpdate"})
        SetControlEnabled(m_Manager, name, enabled);
}

void CPlazaUpdateWnd::EnableRepair() {
    SetControlEnabled(m_Manager, "RestoreUpdate", true);
}

bool CPlazaUpdateWnd::ArmAutoLogon() {
    if (!m_bSavePassword || !m_bAutoLogon)
        return false;
    ::SetTimer(m_hWnd, TIMER_AUTO_LOGON, kAutoLogonDelayMs, nullptr);
    return true;
}

void CPlazaUpdateWnd::ShowMessage(const std::string& text) {
    ::MessageBoxA(m_hWnd, text.c_str(), kMessageCaption, MB_OK);
}

void CPlazaUpdateWnd::RequestQuit() {
    ::PostMessageA(m_hWnd, WM_QUIT_LAUNCHER, 0, 0);
}
