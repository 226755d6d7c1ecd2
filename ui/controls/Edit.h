// A text box. It draws itself like a label and, while it has the focus,
// places a native EDIT window over itself for the actual typing.
#pragma once

#include "ui/controls/NativeEdit.h"
#include "ui/core/StateImages.h"

namespace SkinUI {

class CEditUI : public CNativeEditUI {
public:
    CEditUI();
    SKINUI_CONTROL_CLASS(CNativeEditUI, "EditUI", "Edit")
    UINT GetControlFlags() const override;

    void SetEnabled(bool enabled = true) override;
    void SetVisible(bool visible = true) override;
    void SetPos(RECT rc) override;

    void SetMaxChar(UINT max);
    UINT GetMaxChar() const { return m_uMaxChar; }
    void SetPasswordMode(bool password);
    bool IsPasswordMode() const { return m_bPasswordMode; }
    char GetPasswordChar() const { return m_cPasswordChar; }

    void DoEvent(TEventUI& event) override;
    void SetAttribute(const char* name, const char* value) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

protected:
    CNativeEditWnd* NewNativeWindow() override;
    void OnNativeWindowClosed() override;

private:
    void OpenNativeEdit(bool selectAll);

    UINT m_uMaxChar = 255;
    bool m_bPasswordMode = false;
    char m_cPasswordChar = '*';
    PointerState m_pointer;
    StateImages m_images;
};

}  // namespace SkinUI
