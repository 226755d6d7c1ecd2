// The native window base: registers the class, binds the object to its window
// at WM_NCCREATE and routes every later message to HandleMessage.
//
// OnFinalMessage is where a window object that owns itself deletes itself.
// A window may be destroyed from inside one of its own handlers (a listener
// that closes a drop-down list from the list's own click, or runs a message
// box whose loop closes it), so the final message waits until every handler
// of the window has returned: the object outlives the code that runs on it.
#pragma once

#include <windows.h>

namespace SkinUI {

class CWindowWnd {
public:
    CWindowWnd() = default;
    virtual ~CWindowWnd() = default;
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    HWND GetHWND() const { return m_hWnd; }

    HWND Create(HWND parent, const char* name, DWORD style, DWORD exStyle, int x = CW_USEDEFAULT,
                int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT,
                HMENU menu = nullptr);
    void CenterWindow();
    void ShowWindow(bool show = true, bool takeFocus = true);
    void Close(UINT result = IDOK);
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

protected:
    virtual const char* GetWindowClassName() const = 0;
    virtual const char* GetSuperClassName() const { return nullptr; }
    virtual UINT GetClassStyle() const { return 0; }
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual void OnFinalMessage(HWND hWnd);

    HWND m_hWnd = nullptr;
    WNDPROC m_OldWndProc = ::DefWindowProcA;

private:
    // Messages of this window being handled, one inside another, and whether
    // the window was destroyed meanwhile.
    int m_nHandling = 0;
    bool m_bFinalPending = false;

    bool RegisterWindowClass();
    bool RegisterSuperclass();
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

}  // namespace SkinUI
