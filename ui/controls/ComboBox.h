// The combo for skins: a CComboUI that draws its drop-down arrow at its
// right end from an image of its own ("arrowimage", with hot, pushed and
// disabled looks), so one background image serves every width.
#pragma once

#include "ui/controls/Combo.h"

namespace SkinUI {

class CComboBoxUI : public CComboUI {
public:
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

    // The arrow's part of the combo: its right end, "arrowwidth" wide (by
    // default as wide as the combo is high).
    RECT GetArrowRect() const;

    void DoEvent(TEventUI& event) override;
    void SetAttribute(const char* name, const char* value) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

private:
    UINT m_uArrowState = 0;
    int m_nArrowWidth = 0;
    std::string m_sArrowImage;
    std::string m_sArrowHotImage;
    std::string m_sArrowPushedImage;
    std::string m_sArrowDisabledImage;
};

}  // namespace SkinUI
