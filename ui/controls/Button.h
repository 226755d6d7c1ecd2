// A clickable label with normal, hot, pushed, focused and disabled looks.
#pragma once

#include "ui/controls/Label.h"
#include "ui/core/StateImages.h"

namespace SkinUI {

class CButtonUI : public CLabelUI {
public:
    SKINUI_CONTROL_CLASS(CLabelUI, "ButtonUI", "Button")
    UINT GetControlFlags() const override;
    bool Activate() override;
    void SetEnabled(bool enabled = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const char* name, const char* value) override;
    void PaintText(HDC hDC) override;
    void PaintStatusImage(HDC hDC) override;

    void SetHotTextColor(DWORD color) { m_dwHotTextColor = color; }
    DWORD GetHotTextColor() const { return m_dwHotTextColor; }

protected:
    PointerState m_pointer;
    DWORD m_dwHotTextColor = 0;
    DWORD m_dwPushedTextColor = 0;
    DWORD m_dwHotBkColor = 0;
    StateImages m_images;
};

}  // namespace SkinUI
