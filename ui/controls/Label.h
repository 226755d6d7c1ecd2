// Controls that show a line of text: the label and the multi-line text.
#pragma once

#include "ui/core/Control.h"
#include "ui/core/ControlClass.h"

namespace SkinUI {

class CLabelUI : public CControlUI {
public:
    SKINUI_CONTROL_CLASS(CControlUI, "LabelUI", "Label")

    void SetTextStyle(UINT style);
    UINT GetTextStyle() const { return m_uTextStyle; }
    void SetTextColor(DWORD color);
    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetDisabledTextColor(DWORD color);
    void SetFont(int index);
    int GetFont() const { return m_iFont; }
    RECT GetTextPadding() const { return m_rcTextPadding; }
    void SetTextPadding(RECT rc);

    void SetAttribute(const char* name, const char* value) override;
    SIZE EstimateSize(SIZE available) override;
    void PaintText(HDC hDC) override;

protected:
    // Draws the text in the given colour (0: the manager's default colour).
    void DrawLabelText(HDC hDC, const std::string& text, DWORD color);

    UINT m_uTextStyle = DT_VCENTER | DT_SINGLELINE;
    DWORD m_dwTextColor = 0;
    DWORD m_dwDisabledTextColor = 0;
    int m_iFont = -1;
    RECT m_rcTextPadding = {0, 0, 0, 0};
};

class CTextUI : public CLabelUI {
public:
    CTextUI();
    SKINUI_CONTROL_CLASS(CLabelUI, "TextUI", "Text")
};

}  // namespace SkinUI
