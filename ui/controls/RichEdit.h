// A rich text box: a native rich-edit window kept over the control's
// rectangle (less its text padding) for as long as the control is shown,
// so formatted text, scrolling, selection and input methods are the
// system's. Its text is copied back at every change ("textchanged").
#pragma once

#include "ui/controls/NativeEdit.h"

namespace SkinUI {

class CRichEditWnd;

class CRichEditUI : public CNativeEditUI {
public:
    CRichEditUI();
    SKINUI_CONTROL_CLASS(CNativeEditUI, "RichEditUI", "RichEdit")
    UINT GetControlFlags() const override;

    void SetEnabled(bool enabled = true) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetPos(RECT rc) override;

    bool IsMultiLine() const { return m_bMultiLine; }
    void SetMultiLine(bool multiLine);
    bool IsWantTab() const { return m_bWantTab; }
    void SetWantTab(bool wantTab) { m_bWantTab = wantTab; }
    UINT GetMaxChar() const { return m_uMaxChar; }
    void SetMaxChar(UINT max);

    void DoEvent(TEventUI& event) override;
    void SetAttribute(const char* name, const char* value) override;
    void PaintText(HDC hDC) override;

protected:
    CNativeEditWnd* NewNativeWindow() override;
    bool NotifiesReturn() const override { return !m_bMultiLine; }

private:
    friend class CRichEditWnd;
    // Creates, shows or hides the native window to match the control.
    void SyncWindow();
    // Sets a style fixed at creation, and makes the window again.
    void Remake(bool& style, bool value);
    void RecreateWindow();

    bool m_bMultiLine = true;
    bool m_bWantTab = true;
    bool m_bRich = true;
    bool m_bVScroll = true;
    bool m_bHScroll = false;
    UINT m_uMaxChar = 0x7FFFFFFE;
};

}  // namespace SkinUI
