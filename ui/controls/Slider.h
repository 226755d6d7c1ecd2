// A progress bar with a thumb the user moves: by dragging, by clicking the
// bar, with the wheel and with the arrow keys. Each change the user makes
// is reported as "valuechanged" (a drag once, when it ends).
#pragma once

#include "ui/controls/Progress.h"
#include "ui/core/StateImages.h"

namespace SkinUI {

class CSliderUI : public CProgressUI {
public:
    CSliderUI();
    SKINUI_CONTROL_CLASS(CProgressUI, "SliderUI", "Slider")
    UINT GetControlFlags() const override;
    void SetEnabled(bool enabled = true) override;

    int GetChangeStep() const { return m_nStep; }
    void SetChangeStep(int step);
    SIZE GetThumbSize() const { return m_szThumb; }
    void SetThumbSize(SIZE size);
    RECT GetThumbRect() const;

    void DoEvent(TEventUI& event) override;
    void SetAttribute(const char* name, const char* value) override;
    void PaintStatusImage(HDC hDC) override;

private:
    // The value whose thumb centre lies at the point.
    int ValueAt(POINT pt) const;
    // Sets the value within the range and reports a change.
    void ChangeValue(int value);

    SIZE m_szThumb = {10, 10};
    int m_nStep = 1;
    PointerState m_pointer;
    int m_nValueAtPress = 0;
    // Where in the thumb it was grabbed, from its centre.
    POINT m_ptGrab = {0, 0};
    // The thumb's normal, hot and pushed images.
    StateImages m_thumbImages;
    DWORD m_dwThumbColor = 0xFF3C7FD0;
};

}  // namespace SkinUI
