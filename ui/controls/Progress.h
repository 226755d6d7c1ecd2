// A bar filled in proportion to its value between minimum and maximum, with
// an optional text drawn over it.
#pragma once

#include "ui/controls/Label.h"

namespace SkinUI {

class CProgressUI : public CLabelUI {
public:
    CProgressUI();
    SKINUI_CONTROL_CLASS(CLabelUI, "ProgressUI", "Progress")

    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool horizontal = true);
    int GetMinValue() const { return m_nMin; }
    void SetMinValue(int value);
    int GetMaxValue() const { return m_nMax; }
    void SetMaxValue(int value);
    int GetValue() const { return m_nValue; }
    void SetValue(int value);

    void SetAttribute(const char* name, const char* value) override;
    void PaintStatusImage(HDC hDC) override;

private:
    bool m_bHorizontal = true;
    bool m_bStretchForeImage = true;
    int m_nMin = 0;
    int m_nMax = 100;
    int m_nValue = 0;
    std::string m_sForeImage;
    DWORD m_dwForeColor = 0;
};

}  // namespace SkinUI
