// Notifications from controls to their listeners.
#pragma once

#include <windows.h>

#include <string>

namespace SkinUI {

class CControlUI;

struct TNotifyMsg {
    std::string sType;
    std::string sVirtualWnd;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse = {0, 0};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyMsg& msg) = 0;
};

}  // namespace SkinUI
