// A list: rows stacked top to bottom without a header, one of them
// selected, moved through with the arrow keys, and a scroll bar that shows
// when the rows overflow.
#pragma once

#include "ui/controls/ListElement.h"

namespace SkinUI {

class CListUI : public CVerticalLayoutUI, public IListOwnerUI {
public:
    CListUI();
    const char* GetClass() const override { return "ListUI"; }
    void* GetInterface(const char* name) override {
        return ListOwnerInterface<CVerticalLayoutUI>(this, name, "List");
    }
    UINT GetControlFlags() const override { return IsEnabled() ? UIFLAG_TABSTOP : 0u; }

    int GetCurSel() const override { return m_iCurSel; }
    // Selects a visible, enabled row, scrolls it into view and sends
    // "itemselect" (new index, old index).
    bool SelectItem(int index, bool takeFocus = false) override;
    const TListInfoUI& GetListInfo() const override { return m_listInfo; }

    bool Add(CControlUI* control) override { return AddAt(control, GetCount()); }
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override { return RemoveAt(GetItemIndex(control)); }
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    void DoEvent(TEventUI& event) override;
    void SetAttribute(const char* name, const char* value) override;

private:
    // The next selectable row from `from` in steps of `step`, or -1.
    int FindSelectable(int from, int step) const;
    int RowsPerPage() const;

    int m_iCurSel = -1;
    TListInfoUI m_listInfo;
};

}  // namespace SkinUI
