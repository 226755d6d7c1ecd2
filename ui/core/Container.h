// Controls that own other controls. A container lays its children out inside
// its own rectangle less the inset; the layouts derive from it and only say
// how they arrange the children (see ChildPlacement.h).
#pragma once

#include <vector>

#include "ui/core/ChildPlacement.h"
#include "ui/core/Control.h"

namespace SkinUI {

class IContainerUI {
public:
    virtual ~IContainerUI() = default;
    virtual CControlUI* GetItemAt(int index) const = 0;
    virtual int GetItemIndex(CControlUI* control) const = 0;
    virtual int GetCount() const = 0;
    virtual bool Add(CControlUI* control) = 0;
    virtual bool AddAt(CControlUI* control, int index) = 0;
    virtual bool Remove(CControlUI* control) = 0;
    virtual bool RemoveAt(int index) = 0;
    virtual void RemoveAll() = 0;
};

class CScrollBarUI;

class CContainerUI : public CControlUI, public IContainerUI {
public:
    CContainerUI() = default;
    ~CContainerUI() override;

    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    int GetCount() const override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    // A container that only borrows its children (the combo's drop-down list)
    // leaves them alive when it is destroyed or when they are removed.
    void SetAutoDestroy(bool autoDestroy) { m_bAutoDestroy = autoDestroy; }
    // Takes a child out without destroying it; the caller owns it afterwards.
    bool Detach(CControlUI* control);

    RECT GetInset() const { return m_rcInset; }
    void SetInset(RECT rc);
    int GetChildPadding() const { return m_iChildPadding; }
    void SetChildPadding(int padding);

    // Scrolling: a container with "vscrollbar" or "hscrollbar" lays its
    // children out at their full size and scrolls them under a scroll bar
    // that appears when they overflow (flow and tile layouts).
    void EnableScrollBar(bool vertical, bool horizontal);
    CScrollBarUI* GetVerticalScrollBar() const { return m_pVerticalScrollBar; }
    CScrollBarUI* GetHorizontalScrollBar() const { return m_pHorizontalScrollBar; }
    SIZE GetScrollPos() const;
    SIZE GetScrollRange() const;
    void SetScrollPos(SIZE pos);
    // Scrolls the least distance that brings rc (laid out) into view.
    void ScrollIntoView(const RECT& rc);
    void DoEvent(TEventUI& event) override;

    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init = true) override;
    CControlUI* FindControl(FINDCONTROLPROC proc, LPVOID data, UINT flags) override;
    void SetAttribute(const char* name, const char* value) override;
    void SetPos(RECT rc) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

protected:
    // How the children that do not float are arranged: a plain container
    // lays each over the whole content.
    virtual Arrangement GetArrangement() const;
    void PaintScrollBars(HDC hDC, const RECT& rcPaint);
    CControlUI* FindInScrollBars(FINDCONTROLPROC proc, LPVOID data, UINT flags);

    std::vector<CControlUI*> m_items;
    RECT m_rcInset = {0, 0, 0, 0};
    int m_iChildPadding = 0;
    bool m_bAutoDestroy = true;
    CScrollBarUI* m_pVerticalScrollBar = nullptr;
    CScrollBarUI* m_pHorizontalScrollBar = nullptr;
    std::string m_sVerticalScrollBarStyle;
    std::string m_sHorizontalScrollBarStyle;
    // Where the scrolled children show: the content less the scroll bars.
    RECT m_rcScrollView = {0, 0, 0, 0};

private:
    // Places the visible children and the scroll bars in m_rcItem.
    void LayOutChildren();
    // Shows, sizes and places the scroll bars as the layout decided.
    void ShowScrollBars(const Placement& placed);
    void SetScrollBarStyle(bool horizontal, const char* style);
    void SetChildrenInternVisible();
};

}  // namespace SkinUI
