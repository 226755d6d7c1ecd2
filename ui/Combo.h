// A drop list. The closed combo shows the selected row; clicking it opens a
// pop-up window with a manager of its own that borrows the rows.
#pragma once

#include "ui/Container.h"
#include "ui/ControlState.h"

namespace SkinUI {

class CComboDropWnd;

class IListOwnerUI {
public:
    virtual ~IListOwnerUI() = default;
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int index, bool takeFocus = false) = 0;
    virtual void DoEvent(TEventUI& event) = 0;
};

class CComboUI : public CContainerUI, public IListOwnerUI {
public:
    CComboUI();
    ~CComboUI() override;
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;
    UINT GetControlFlags() const override;

    std::string GetText() const override;
    void SetEnabled(bool enabled = true) override;

    int GetCurSel() const override { return m_iCurSel; }
    bool SelectItem(int index, bool takeFocus = false) override;

    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
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
    DWORD GetItemTextColor() const { return m_dwItemTextColor; }
    DWORD GetItemHotBkColor() const { return m_dwItemHotBkColor; }
    DWORD GetItemSelectedBkColor() const { return m_dwItemSelectedBkColor; }
    int GetItemFont() const { return m_iItemFont; }
    RECT GetItemTextPadding() const { return m_rcItemTextPadding; }

    void SetPos(RECT rc) override;
    CControlUI* FindControl(FINDCONTROLPROC proc, LPVOID data, UINT flags) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const char* name, const char* value) override;
    SIZE EstimateSize(SIZE available) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

private:
    friend class CComboDropWnd;
    void RenumberFrom(int index);
    void ReselectAfterRemoval(int removedIndex);
    void OnDropClosed();

    CComboDropWnd* m_pWindow = nullptr;
    int m_iCurSel = -1;
    bool m_bClosingOnFocusLoss = false;
    UINT m_uButtonState = 0;
    SIZE m_szDropBox = {0, 150};
    RECT m_rcTextPadding = {4, 0, 4, 0};
    StateImages m_images;
    std::string m_sDropBoxAttributes;
    DWORD m_dwItemTextColor = 0;
    DWORD m_dwItemHotBkColor = 0;
    DWORD m_dwItemSelectedBkColor = 0;
    int m_iItemFont = -1;
    RECT m_rcItemTextPadding = {6, 0, 6, 0};
};

}  // namespace SkinUI
