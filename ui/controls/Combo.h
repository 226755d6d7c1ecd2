// A drop list. The closed combo shows the selected row; clicking it opens a
// pop-up window with a manager of its own that borrows the rows.
#pragma once

#include "ui/controls/ListElement.h"
#include "ui/core/ControlClass.h"
#include "ui/core/StateImages.h"

namespace SkinUI {

class CComboDropWnd;

class CComboUI : public CContainerUI, public IListOwnerUI {
public:
    CComboUI();
    ~CComboUI() override;
    const char* GetClass() const override { return "ComboUI"; }
    void* GetInterface(const char* name) override {
        return ListOwnerInterface<CContainerUI>(this, name, "Combo");
    }
    // The hand over the box says it opens a list.
    UINT GetControlFlags() const override {
        return (IsEnabled() ? static_cast<UINT>(UIFLAG_TABSTOP) : 0u) | UIFLAG_SETCURSOR;
    }

    std::string GetText() const override;
    void SetEnabled(bool enabled = true) override;

    int GetCurSel() const override { return m_iCurSel; }
    bool SelectItem(int index, bool takeFocus = false) override;

    bool Add(CControlUI* control) override { return AddAt(control, GetCount()); }
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override { return RemoveAt(GetItemIndex(control)); }
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    bool Activate() override;
    bool IsDropped() const { return m_pWindow != nullptr; }
    // The open drop-down's window, or null.
    HWND GetDropWindow() const;
    void CloseDropDown();
    SIZE GetDropBoxSize() const { return m_szDropBox; }
    RECT GetTextPadding() const { return m_rcTextPadding; }
    // The look of the rows, applied to every row the combo paints.
    const TListInfoUI& GetListInfo() const override { return m_listInfo; }
    DWORD GetItemTextColor() const { return m_listInfo.textColor; }
    int GetItemFont() const { return m_listInfo.font; }

    void SetPos(RECT rc) override;
    CControlUI* FindControl(FINDCONTROLPROC proc, LPVOID data, UINT flags) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const char* name, const char* value) override;
    // The rows are not inside the closed combo: it paints and sizes as a
    // plain control, and the open list shows the rows.
    SIZE EstimateSize(SIZE available) override { return CControlUI::EstimateSize(available); }
    void DoPaint(HDC hDC, const RECT& rcPaint) override { CControlUI::DoPaint(hDC, rcPaint); }
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

protected:
    // The box's state for its images.
    UINT LookOfBox() const;

private:
    friend class CComboDropWnd;
    // Closes the list without taking the focus back when it closes.
    void CloseOnFocusLoss();
    void OnDropClosed();

    CComboDropWnd* m_pWindow = nullptr;
    int m_iCurSel = -1;
    bool m_bClosingOnFocusLoss = false;
    PointerState m_pointer;
    SIZE m_szDropBox = {0, 150};
    RECT m_rcTextPadding = {4, 0, 4, 0};
    StateImages m_images;
    TListInfoUI m_listInfo;
};

}  // namespace SkinUI
