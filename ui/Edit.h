// A text box. It draws itself like a label and, while it has the focus,
// places a native EDIT window over itself for the actual typing.
#pragma once

#include "ui/ControlState.h"
#include "ui/Label.h"

namespace SkinUI {

class CEditWnd;

class CEditUI : public CLabelUI {
public:
    CEditUI();
    ~CEditUI() override;
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;
    UINT GetControlFlags() const override;

    void SetText(const char* text) override;
    void SetEnabled(bool enabled = true) override;
    void SetVisible(bool visible = true) override;
    void SetPos(RECT rc) override;

    void SetMaxChar(UINT max);
    UINT GetMaxChar() const { return m_uMaxChar; }
    void SetReadOnly(bool readOnly);
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetPasswordMode(bool password);
    bool IsPasswordMode() const { return m_bPasswordMode; }
    char GetPasswordChar() const { return m_cPasswordChar; }
    // The native edit window while one is open, else null.
    HWND GetNativeWindow() const;

    void DoEvent(TEventUI& event) override;
    void SetAttribute(const char* name, const char* value) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

private:
    friend class CEditWnd;
    void OpenNativeEdit(bool selectAll);
    void OnNativeEditClosed();

    CEditWnd* m_pWindow = nullptr;
    UINT m_uMaxChar = 255;
    bool m_bReadOnly = false;
    bool m_bPasswordMode = false;
    char m_cPasswordChar = '*';
    UINT m_uButtonState = 0;
    StateImages m_images;
    DWORD m_dwEditBkColor = 0xFFFFFFFF;
};

}  // namespace SkinUI
