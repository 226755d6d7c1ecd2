// One CWindowManagerUI per skinned native window: it owns the control tree,
// delivers notifications, keeps the focus and the name map, and turns window
// messages into control events. Its static part holds the process-wide skin
// settings and runs the message loop over every live manager.
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

#include "ui/Control.h"
#include "ui/Notify.h"

namespace SkinUI {

class IMessageFilterUI {
public:
    virtual ~IMessageFilterUI() = default;
    virtual LRESULT MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) = 0;
};

class ITranslateAccelerator {
public:
    virtual ~ITranslateAccelerator() = default;
    virtual LRESULT TranslateAccelerator(MSG* msg) = 0;
};

class CWindowManagerUI {
public:
    CWindowManagerUI();
    ~CWindowManagerUI();
    CWindowManagerUI(const CWindowManagerUI&) = delete;
    CWindowManagerUI& operator=(const CWindowManagerUI&) = delete;

    // Process-wide settings.
    static void SetInstance(HINSTANCE instance);
    static HINSTANCE GetInstance();
    static std::string GetModuleDirectory();
    static void SetResourcePath(const char* path);
    static std::string GetResourcePath();
    static void SetResourcePackage(const char* name, bool cached, const char* password);
    static std::string GetResourcePackage();
    static std::string GetResourcePackagePassword();
    static bool IsResourcePackageCached();
    static void RunMessageLoop();
    static bool TranslateUIMessage(MSG* msg);

    // Binding to a window and a control tree.
    void AttachWindow(HWND hWnd);
    HWND GetPaintWindow() const { return m_hWndPaint; }
    HDC GetPaintDC() const { return m_hDcPaint; }
    bool AttachRoot(CControlUI* root);
    CControlUI* GetRoot() const { return m_pRoot; }
    void InitControls(CControlUI* control, CControlUI* parent);
    void ReapObjects(CControlUI* control);
    void AddDelayedCleanup(CControlUI* control);

    // Notifications.
    bool AddNotifier(INotifyUI* notifier);
    bool RemoveNotifier(INotifyUI* notifier);
    void SendNotify(CControlUI* sender, const char* type, WPARAM wParam = 0, LPARAM lParam = 0,
                    bool async = false);
    bool AddMessageFilter(IMessageFilterUI* filter);
    bool AddTranslateAccelerator(ITranslateAccelerator* translator);

    // Lookup and focus.
    CControlUI* FindControl(const char* name) const;
    CControlUI* FindControlAt(POINT pt) const;
    CControlUI* GetFocus() const { return m_pFocus; }
    void SetFocus(CControlUI* control);
    bool SetNextTabControl(bool forward = true);
    POINT GetMousePos() const { return m_ptLastMouse; }

    // Repainting and layout requests from controls.
    void Invalidate(const RECT& rc);
    void NeedUpdate() { m_bUpdateNeeded = true; }

    bool PreMessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool TranslateAccelerator(MSG* msg);
    bool ProcessMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    void FlushAsyncNotify();
    void DeliverNotify(TNotifyMsg& msg);
    void ReapDelayedCleanup();

    HWND m_hWndPaint = nullptr;
    HDC m_hDcPaint = nullptr;
    CControlUI* m_pRoot = nullptr;
    CControlUI* m_pFocus = nullptr;
    CControlUI* m_pEventHover = nullptr;
    CControlUI* m_pEventClick = nullptr;
    POINT m_ptLastMouse = {-1, -1};
    bool m_bUpdateNeeded = false;
    bool m_bFirstLayout = true;

    std::vector<INotifyUI*> m_aNotifiers;
    std::deque<TNotifyMsg> m_aAsyncNotify;
    std::vector<IMessageFilterUI*> m_aMessageFilters;
    std::vector<ITranslateAccelerator*> m_aTranslators;
    std::vector<CControlUI*> m_aDelayedCleanup;
    std::unordered_map<std::string, CControlUI*> m_mNameHash;
};

}  // namespace SkinUI
