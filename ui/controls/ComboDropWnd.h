// The pop-up list of an open combo. It has a manager of its own and borrows
// the combo's rows for as long as it is open.
#pragma once

#include "ui/core/WindowManager.h"
#include "ui/core/WindowWnd.h"
#include "ui/layout/FlowLayouts.h"

namespace SkinUI {

class CComboUI;

class CComboDropWnd : public CWindowWnd {
public:
    explicit CComboDropWnd(CComboUI* owner) : m_pOwner(owner) {}

    bool Open();
    // Gives the rows back to the combo; the window stays until destroyed.
    void ReturnItems();
    // Takes one row out of the open list (the combo removed it).
    void Forget(CControlUI* item);
    void Detach() { m_pOwner = nullptr; }
    // Scrolls the rows for a turn of the mouse wheel (positive: up).
    void ScrollByWheel(int delta);
    // The combo's window lost the keyboard focus: the list closes.
    void OnComboWindowLostFocus();
    CWindowManagerUI& GetManager() { return m_pm; }

protected:
    const char* GetWindowClassName() const override { return "SkinUIComboDrop"; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    void OnButtonUp(LPARAM lParam);
    int ClientHeight() const;
    void ScrollTo(int offset);
    void OnVScroll(int code);
    // Returns the rows and tells the combo, once.
    void Finish();

    CComboUI* m_pOwner;
    // The combo's window, watched for losing the focus while the list is open.
    HWND m_hWndWatched = nullptr;
    CWindowManagerUI m_pm;
    CVerticalLayoutUI* m_pLayout = nullptr;
    bool m_bItemsReturned = false;
    // The rows' total height and how far they are scrolled up.
    int m_nRowsHeight = 0;
    int m_nScroll = 0;
};

}  // namespace SkinUI
