// The launcher's only window. It owns the toolkit manager and all state that
// the update, login and web parts share.
#pragma once

#include <string>

#include "ui/Notify.h"
#include "ui/WindowManager.h"
#include "ui/WindowWnd.h"

class CPlazaUpdateWnd : public SkinUI::CWindowWnd, public SkinUI::INotifyUI {
public:
    CPlazaUpdateWnd() = default;

    void Notify(SkinUI::TNotifyMsg& msg) override;

    SkinUI::CWindowManagerUI m_Manager;
    int m_nChannelId = -1;
    std::string m_sCmdTail;

protected:
    const char* GetWindowClassName() const override;
    UINT GetClassStyle() const override { return CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;
};
