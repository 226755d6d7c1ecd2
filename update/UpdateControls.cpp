#include "update/UpdateControls.h"

#include <cstdio>

#include "app/PlazaUpdateWnd.h"
#include "ui/controls/Progress.h"

void SetControlText(CPlazaUpdateWnd& wnd, const char* name, const std::string& text) {
    if (SkinUI::CControlUI* control = wnd.m_Manager.FindControl(name)) {
        control->SetText(text.c_str());
    }
}

void SetControlEnabled(CPlazaUpdateWnd& wnd, const char* name, bool enabled) {
    if (SkinUI::CControlUI* control = wnd.m_Manager.FindControl(name)) {
        control->SetEnabled(enabled);
    }
}

void SetProgressValue(CPlazaUpdateWnd& wnd, const char* name, int value, bool showText) {
    auto* bar = dynamic_cast<SkinUI::CProgressUI*>(wnd.m_Manager.FindControl(name));
    if (!bar)
        return;
    bar->SetValue(value);
    if (showText) {
        char text[16];
        std::snprintf(text, sizeof(text), "%d%%", value);
        bar->SetText(text);
    }
}

void SetLogonButtonsEnabled(CPlazaUpdateWnd& wnd, bool enabled) {
    for (const char* name : {"Logon", "Register", "RestoreUpdate"}) {
        SetControlEnabled(wnd, name, enabled);
    }
}

void ShowUpdateState(CPlazaUpdateWnd& wnd, const std::string& text) {
    wnd.m_sUpdateState = text;
    SetControlText(wnd, "UpdateState", text);
}

void ShowCurInfo(CPlazaUpdateWnd& wnd, const std::string& text) {
    wnd.m_sCurInfo = text;
    SetControlText(wnd, "CurInfo", text);
}
