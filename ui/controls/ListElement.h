// Rows of a list owner (the combo, the list). A row is a horizontal layout,
// so it can hold child controls beside its own text.
#pragma once

#include <cstring>

#include "ui/core/ControlClass.h"
#include "ui/core/PointerState.h"
#include "ui/layout/FlowLayouts.h"

namespace SkinUI {

// The look of an owner's rows, from its "item..." attributes.
struct TListInfoUI {
    DWORD textColor = 0;
    DWORD selectedTextColor = 0;
    DWORD hotBkColor = 0;
    DWORD selectedBkColor = 0;
    int font = -1;
    RECT textPadding = {6, 0, 6, 0};
};

// Applies one "item..." attribute; false when the name is not one of them.
bool SetListInfoAttribute(TListInfoUI& info, const char* name, const char* value);

class IListOwnerUI {
public:
    virtual ~IListOwnerUI() = default;
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int index, bool takeFocus = false) = 0;
    virtual void DoEvent(TEventUI& event) = 0;
    virtual const TListInfoUI& GetListInfo() const = 0;
};

class IListItemUI {
public:
    virtual ~IListItemUI() = default;
    virtual int GetIndex() const = 0;
    virtual void SetIndex(int index) = 0;
    virtual IListOwnerUI* GetOwner() = 0;
    virtual void SetOwner(CControlUI* owner) = 0;
    virtual bool IsSelected() const = 0;
    virtual bool Select(bool select = true) = 0;
};

class CListElementUI : public CHorizontalLayoutUI, public IListItemUI {
public:
    const char* GetClass() const override { return "ListElementUI"; }
    void* GetInterface(const char* name) override;
    UINT GetControlFlags() const override;

    int GetIndex() const override { return m_iIndex; }
    void SetIndex(int index) override { m_iIndex = index; }
    IListOwnerUI* GetOwner() override { return m_pOwner; }
    void SetOwner(CControlUI* owner) override;
    bool IsSelected() const override { return m_bSelected; }
    bool Select(bool select = true) override;

    void SetVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;
    bool Activate() override;
    void DoEvent(TEventUI& event) override;

protected:
    int m_iIndex = -1;
    bool m_bSelected = false;
    PointerState m_pointer;
    IListOwnerUI* m_pOwner = nullptr;
    CControlUI* m_pOwnerControl = nullptr;
};

// Helpers of the list owners, over their children.
IListItemUI* AsListItem(CControlUI* control);
// GetInterface of a list owner: "IListOwner" and its own name.
template <typename Base, typename Owner>
void* ListOwnerInterface(Owner* owner, const char* name, const char* own) {
    if (std::strcmp(name, "IListOwner") == 0)
        return static_cast<IListOwnerUI*>(owner);
    return InterfaceOf<Base>(owner, name, own);
}
bool IsSelectableItem(CControlUI* control);
// Keep the owner's rows numbered and its selection on the same row after a
// row went in at `index`, or after the row at `index` went. True when that
// was the selected row, which leaves nothing selected.
void OnRowInserted(const IContainerUI& owner, int index, int& selected);
bool OnRowRemoved(const IContainerUI& owner, int index, int& selected);
// After the selected row at `removed` went: the row now in its place, or the
// nearest selectable one before it, or the first selectable one; -1 if none.
int FindReplacementItem(const IContainerUI& owner, int removed);

class CListLabelElementUI : public CListElementUI {
public:
    SKINUI_CONTROL_CLASS(CListElementUI, "ListLabelElementUI", "ListLabelElement")

    void DoEvent(TEventUI& event) override;
    SIZE EstimateSize(SIZE available) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

private:
    void ShowButtons(bool show);
};

}  // namespace SkinUI
