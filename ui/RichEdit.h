// A rich text box: a native rich-edit window kept over the control's
// rectangle (less its text padding) for as long as the control is shown,
// so formatted text, scrolling, selection and input methods are the
// system's. Its text is copied back at every change ("textchanged").
#pragma once

#include "ui/Label.h"

namespace SkinUI {

class CRichEditWnd;

class CRichEditUI : public CLabelUI {
public:
    CRichEditUI();
    ~CRichEditUI() override;
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;
    UINT GetControlFlags() const override;

    void SetText(const char* text) override;
    void SetEnabled(bool enabled = true) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetPos(RECT rc) override;

    bool IsReadOnly() const { return m_bReadOnly; }
    void SetReadOnly(bool readOnly);
    bool IsMultiLine() const { return m_bMultiLine; }
    void SetMultiLine(bool multiLine);
    bool IsWantTab() const { return m_bWantTab; }
    void SetWantTab(bool wantTab) { m_bWantTab = wantTab; }
    UINT GetMaxChar() const { return m_uMaxChar; }
    void SetMaxChar(UINT max);
    // The native window, once the control has been laid out in a window.
    HWND GetNativeWindow() const;

    void DoEvent(TEventUI& event) override;
    void SetAttribute(const char* name, const char* value) override;
    void PaintText(HDC hDC) override;

private:
    friend class CRichEditWnd;
    // Creates, shows or hides the native window to match the control.
    void SyncWindow();
    void RecreateWindow();

    CRichEditWnd* m_pWindow = nullptr;
    bool m_bReadOnly = false;
    bool m_bMultiLine = true;
    bool m_bWantTab = true;
    bool m_bRich = true;
    bool m_bVScroll = true;
    bool m_bHScroll = false;
    UINT m_uMaxChar = 0x7FFFFFFE;
    DWORD m_dwEditBkColor = 0xFFFFFFFF;
};

}  // namespace SkinUI
