// What the text boxes share: a native edit window kept over a windowless
// control for the typing, so the caret, selection and input methods are the
// system's. The window is a child of the paint window in the control's font
// and colours; every change typed into it is copied back into the control
// and heard as "textchanged", Enter as "return" where the box wants it.
// Either side may go first: the control forgets a window that closes, and a
// control that goes detaches its window before destroying it.
#pragma once

#include <string>

#include "ui/controls/Label.h"
#include "ui/core/WindowWnd.h"

namespace SkinUI {

class CNativeEditUI;

class CNativeEditWnd : public CWindowWnd {
public:
    explicit CNativeEditWnd(CNativeEditUI* owner) : m_pOwner(owner) {}

    // Creates the window with the owner's look and text.
    virtual bool Open() = 0;
    // Follows the owner's rectangle.
    virtual void Place() = 0;
    // Shows the owner's colours again after they changed.
    virtual void ApplyLook() { ::InvalidateRect(m_hWnd, nullptr, TRUE); }

    // Sets the text without hearing it back as a change.
    void SetOwnerText(const std::string& text);
    void Detach() { m_pOwner = nullptr; }

protected:
    // A child of the owner's paint window over rc, in the owner's font.
    bool CreateOver(DWORD style, RECT rc);
    void ApplyFont();
    // Moves the window to rc; false when it was there already.
    bool MoveTo(RECT rc);

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

    CNativeEditUI* m_pOwner;

private:
    void OnTextChanged();

    bool m_bSettingText = false;
};

class CNativeEditUI : public CLabelUI {
public:
    ~CNativeEditUI() override;

    void SetText(const char* text) override;
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetReadOnly(bool readOnly);
    // The native window while one is open, else null.
    HWND GetNativeWindow() const;
    // The colours the window shows the text in and behind it.
    COLORREF NativeTextColor() const;
    COLORREF NativeBkColor() const;

    void DoEvent(TEventUI& event) override;
    void SetAttribute(const char* name, const char* value) override;

protected:
    // Makes the box's own kind of native window, not yet created.
    virtual CNativeEditWnd* NewNativeWindow() = 0;
    // The box's window has gone.
    virtual void OnNativeWindowClosed() { m_pWindow = nullptr; }
    // Whether Enter in the window is heard as "return" (else it is typed).
    virtual bool NotifiesReturn() const { return true; }

    // Creates the native window if there is none and the control has a
    // paint window; true when one is open.
    bool OpenNativeWindow();
    // Destroys the window; the control hears of it as OnNativeWindowClosed.
    void CloseNativeWindow();
    // Destroys the window without telling the control.
    void DiscardNativeWindow();
    // Hands the keyboard focus to the native window, if it lacks it.
    void FocusNativeWindow();

    CNativeEditWnd* m_pWindow = nullptr;

private:
    friend class CNativeEditWnd;

    bool m_bReadOnly = false;
    DWORD m_dwEditBkColor = 0xFFFFFFFF;
};

}  // namespace SkinUI
