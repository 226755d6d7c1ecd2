// The combo for skins: a CComboUI that draws its drop-down arrow at its
// right end from an image of its own ("arrowimage", with hot, pushed and
// disabled looks), so one background image serves every width.
#pragma once

#include "ui/controls/Combo.h"

namespace SkinUI {

class CComboBoxUI : public CComboUI {
public:
    SKINUI_CONTROL_CLASS(CComboUI, "ComboBoxUI", "ComboBox")

    // The arrow's part of the combo: its right end, "arrowwidth" wide (by
    // default as wide as the combo is high).
    RECT GetArrowRect() const;

    void SetAttribute(const char* name, const char* value) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

private:
    int m_nArrowWidth = 0;
    StateImages m_arrowImages;
};

}  // namespace SkinUI
