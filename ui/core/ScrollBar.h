// A scroll bar: two arrow buttons, a rail and a thumb that can be dragged.
// Alone it reports "scroll" with its new position; a container that owns it
// scrolls its children instead. Each part takes its images as the part's
// name before a state's ("button1hotimage", "thumbpushedimage").
#pragma once

#include "ui/core/Control.h"
#include "ui/core/ControlClass.h"
#include "ui/core/StateImages.h"

namespace SkinUI {

class CContainerUI;

class CScrollBarUI : public CControlUI {
public:
    CScrollBarUI();
    ~CScrollBarUI() override;
    SKINUI_CONTROL_CLASS(CControlUI, "ScrollBarUI", "ScrollBar")
    UINT GetControlFlags() const override;

    CContainerUI* GetOwner() const { return m_pOwner; }
    void SetOwner(CContainerUI* owner) { m_pOwner = owner; }
    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool horizontal = true);
    int GetScrollRange() const { return m_nRange; }
    void SetScrollRange(int range);
    int GetScrollPos() const { return m_nPos; }
    // Moves the thumb without telling anyone (the owner syncs its bar).
    void SetScrollPos(int pos);
    int GetLineSize() const { return m_nLineSize; }
    void SetLineSize(int size);
    // The visible length of what is scrolled: one page, and the thumb's share.
    void SetPageSize(int size);
    // The bar's thickness: its fixed width (height when horizontal), else 16.
    int GetThickness() const;

    // User actions: move, then tell the owner or the listeners.
    void ScrollTo(int pos);
    void LineUp() { ScrollTo(m_nPos - m_nLineSize); }
    void LineDown() { ScrollTo(m_nPos + m_nLineSize); }

    void SetEnabled(bool enabled = true) override;
    void SetPos(RECT rc) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const char* name, const char* value) override;
    void PaintStatusImage(HDC hDC) override;

private:
    enum class Part { None, Button1, Button2, Thumb, RailBefore, RailAfter };
    Part PartAt(POINT pt) const;
    void StepPart(Part part);
    void PlaceThumb();
    void ShowButton(bool& shown, const char* value);
    UINT LookOf(Part part) const;
    void DrawPart(HDC hDC, const RECT& rc, Part part, const StateImages& images, DWORD color);

    CContainerUI* m_pOwner = nullptr;
    bool m_bHorizontal = false;
    bool m_bShowButton1 = true;
    bool m_bShowButton2 = true;
    int m_nRange = 100;
    int m_nPos = 0;
    int m_nLineSize = 8;
    int m_nPage = 0;
    RECT m_rcButton1 = {0, 0, 0, 0};
    RECT m_rcButton2 = {0, 0, 0, 0};
    RECT m_rcThumb = {0, 0, 0, 0};
    // The bar's pointer state, and the parts it is over and was pressed on.
    PointerState m_pointer;
    Part m_hot = Part::None;
    Part m_pressed = Part::None;
    POINT m_ptDragStart = {0, 0};
    int m_nDragStartPos = 0;
    StateImages m_button1Images;
    StateImages m_button2Images;
    StateImages m_thumbImages;
    std::string m_sRailImage;
    DWORD m_dwButtonColor = 0xFFD6D6D6;
    DWORD m_dwThumbColor = 0xFFA8A8A8;
};

}  // namespace SkinUI
