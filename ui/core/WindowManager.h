// One CWindowManagerUI per skinned native window: it owns the control tree,
// delivers notifications, keeps the focus and the name map, and turns window
// messages into control events. Its static part holds the process-wide skin
// settings and runs the message loop over every live manager.
#pragma once

#include <windows.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ui/core/GdiHandles.h"

#include "ui/core/Control.h"
#include "ui/core/Notify.h"

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

// A decoded skin image: a 32-bit premultiplied top-down DIB section.
struct TImageInfo {
    UniqueBitmap bitmap;
    int width = 0;
    int height = 0;
    bool alpha = false;
};

struct TFontInfo {
    UniqueFont font;
    std::string faceName;
    int size = 0;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    TEXTMETRICA metrics = {};
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
    HDC GetPaintDC() const { return m_paintDc.get(); }
    bool AttachRoot(CControlUI* root);
    CControlUI* GetRoot() const { return m_pRoot; }
    void InitControls(CControlUI* control, CControlUI* parent);
    void ReapObjects(CControlUI* control);
    // Keeps the name map in step when a control's name changes.
    void RenameControl(CControlUI* control, const std::string& oldName, const std::string& newName);
    // Destroys a removed control later, at a message that arrives while no
    // notification is being delivered.
    void AddDelayedCleanup(CControlUI* control);

    // Notifications.
    bool AddNotifier(INotifyUI* notifier);
    bool RemoveNotifier(INotifyUI* notifier);
    void SendNotify(CControlUI* sender, const char* type, WPARAM wParam = 0, LPARAM lParam = 0,
                    bool async = false);
    bool AddMessageFilter(IMessageFilterUI* filter);
    bool AddTranslateAccelerator(ITranslateAccelerator* translator);
    void RemoveTranslateAccelerator(ITranslateAccelerator* translator);

    // Lookup and focus.
    CControlUI* FindControl(const char* name) const;
    CControlUI* FindControlAt(POINT pt) const;
    CControlUI* GetFocus() const { return m_pFocus; }
    // A window that must never be activated (a drop-down list) keeps the
    // keyboard focus where it is when its controls take focus.
    void SetNoActivate(bool noActivate) { m_bNoActivate = noActivate; }
    void SetFocus(CControlUI* control);
    bool SetNextTabControl(bool forward = true);
    // Focuses and activates the control whose "shortcut" is ch (Alt+ch).
    bool ActivateShortcut(char ch);
    // Moves the focus on at the next paint, after the pending layout.
    void NeedFocusNext() { m_bFocusNeeded = true; }
    POINT GetMousePos() const { return m_ptLastMouse; }

    // Repainting and layout requests from controls.
    void Invalidate(const RECT& rc);
    void NeedUpdate();

    // Mouse capture by the control that received the button press.
    void SetCapture();
    void ReleaseCapture();
    bool IsCaptured() const { return m_bMouseCapture; }

    // Control timers; WM_TIMER ids the manager did not hand out pass through.
    bool SetTimer(CControlUI* control, UINT timerId, UINT elapse);
    bool KillTimer(CControlUI* control, UINT timerId);
    void KillTimers(CControlUI* control);

    // Window-level skin values.
    SIZE GetInitSize() const { return m_szInitWindowSize; }
    void SetInitSize(int cx, int cy);
    RECT GetCaptionRect() const { return m_rcCaption; }
    void SetCaptionRect(RECT rc) { m_rcCaption = rc; }
    SIZE GetRoundCorner() const { return m_szRoundCorner; }
    void SetRoundCorner(int cx, int cy) { m_szRoundCorner = SIZE{cx, cy}; }
    RECT GetSizeBox() const { return m_rcSizeBox; }
    void SetSizeBox(RECT rc) { m_rcSizeBox = rc; }
    SIZE GetMinInfo() const { return m_szMinWindow; }
    void SetMinInfo(int cx, int cy) { m_szMinWindow = SIZE{cx, cy}; }
    SIZE GetMaxInfo() const { return m_szMaxWindow; }
    void SetMaxInfo(int cx, int cy) { m_szMaxWindow = SIZE{cx, cy}; }
    void SetTransparent(int alpha);
    DWORD GetDefaultFontColor() const { return m_dwDefaultFontColor; }
    void SetDefaultFontColor(DWORD color) { m_dwDefaultFontColor = color; }
    DWORD GetDefaultDisabledColor() const { return m_dwDefaultDisabledColor; }
    void SetDefaultDisabledColor(DWORD color) { m_dwDefaultDisabledColor = color; }

    // Fonts: index -1 is the default font. Fonts use the GBK character set.
    int AddFont(const char* faceName, int size, bool bold, bool underline, bool italic);
    void SetDefaultFont(const char* faceName, int size, bool bold, bool underline, bool italic);
    HFONT GetFont(int index);
    const TEXTMETRICA& GetFontMetrics(int index);

    // Images, loaded on first use and kept per manager by name and mask (the
    // colour drawn see-through). The skin declares a file's mask once with
    // AddImage; a plain GetImage uses that mask, and one that names a mask of
    // its own gets an image of its own.
    const TImageInfo* GetImage(const std::string& name);
    const TImageInfo* GetImage(const std::string& name, DWORD mask);
    const TImageInfo* AddImage(const std::string& name, DWORD mask);

    // Attribute lists applied to every new control of a tag before its own.
    void AddDefaultAttributeList(const char* controlName, const char* attributes);
    std::string GetDefaultAttributeList(const char* controlName) const;

    // Option groups.
    bool AddOptionGroup(const char* group, CControlUI* control);
    const std::vector<CControlUI*>* GetOptionGroup(const char* group) const;
    void RemoveOptionGroup(const char* group, CControlUI* control);

    bool PreMessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool TranslateAccelerator(MSG* msg);
    bool ProcessMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    void PaintWindow();
    void LayoutIfNeeded();
    void UpdateHover(CControlUI* hover);
    void RestoreFocus();
    void ShowToolTip(CControlUI* control);
    void HideToolTip();
    bool HandleMouseMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    bool HandleKeyMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void SendEvent(CControlUI* control, UIEventType type, WPARAM wParam = 0, LPARAM lParam = 0,
                   char key = 0);
    // Both return false when a listener destroyed the window, after which
    // nothing more is delivered; if the manager went with it, they touch
    // nothing of it on the way out.
    bool FlushAsyncNotify();
    bool DeliverNotify(TNotifyMsg& msg);
    void ScheduleCleanup();
    void ReapDelayedCleanup();

    HWND m_hWndPaint = nullptr;
    WindowDc m_paintDc;
    CControlUI* m_pRoot = nullptr;
    CControlUI* m_pFocus = nullptr;
    CControlUI* m_pEventHover = nullptr;
    CControlUI* m_pEventClick = nullptr;
    POINT m_ptLastMouse = {-1, -1};
    bool m_bUpdateNeeded = false;
    // Counts NeedUpdate calls, so a layout pass sees whether it asked for another.
    unsigned m_nUpdateRequests = 0;
    bool m_bFirstLayout = true;
    bool m_bFocusNeeded = false;
    bool m_bNoActivate = false;
    bool m_bMouseTracking = false;
    bool m_bMouseCapture = false;
    UniqueWindow m_tooltip;
    MemoryCanvas m_offscreen;
    SIZE m_szOffscreen = {0, 0};
    CControlUI* m_pTooltipControl = nullptr;
    bool m_bTooltipToolAdded = false;
    std::string m_sTooltipText;

    SIZE m_szInitWindowSize = {0, 0};
    RECT m_rcCaption = {0, 0, 0, 0};
    SIZE m_szRoundCorner = {0, 0};
    RECT m_rcSizeBox = {0, 0, 0, 0};
    SIZE m_szMinWindow = {0, 0};
    SIZE m_szMaxWindow = {0, 0};
    DWORD m_dwDefaultFontColor = 0xFF000000;
    DWORD m_dwDefaultDisabledColor = 0xFFA7A6AA;

    struct TimerInfo {
        CControlUI* control;
        UINT localId;
        UINT_PTR windowId;
    };
    std::vector<TimerInfo> m_aTimers;
    UINT_PTR m_nextTimerId = 0x4000;

    TFontInfo m_defaultFont;
    std::vector<std::unique_ptr<TFontInfo>> m_aFonts;
    std::map<std::pair<std::string, DWORD>, std::unique_ptr<TImageInfo>> m_mImages;
    std::map<std::string, DWORD> m_mImageMasks;
    std::map<std::string, std::string> m_mDefaultAttributes;
    std::map<std::string, std::vector<CControlUI*>> m_mOptionGroups;

    std::vector<INotifyUI*> m_aNotifiers;
    std::deque<TNotifyMsg> m_aAsyncNotify;
    std::vector<IMessageFilterUI*> m_aMessageFilters;
    std::vector<ITranslateAccelerator*> m_aTranslators;
    std::vector<CControlUI*> m_aDelayedCleanup;
    // How many notifications are being delivered, one inside another.
    int m_nNotifyDepth = 0;
    // Expires with the manager, which a listener may destroy with the window.
    const std::shared_ptr<char> m_lifetime = std::make_shared<char>();
    std::unordered_map<std::string, CControlUI*> m_mNameHash;
};

}  // namespace SkinUI
