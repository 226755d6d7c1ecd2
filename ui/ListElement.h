// Rows of a list owner (the combo). A row is a horizontal layout, so it can
// hold child controls beside its own text.
#pragma once

#include "ui/Layouts.h"

namespace SkinUI {

class IListOwnerUI;

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
    CListElementUI();
    const char* GetClass() const override;
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
    UINT m_uButtonState = 0;
    IListOwnerUI* m_pOwner = nullptr;
};

class CListLabelElementUI : public CListElementUI {
public:
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

    void DoEvent(TEventUI& event) override;
    SIZE EstimateSize(SIZE available) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

private:
    void ShowButtons(bool show);
};

}  // namespace SkinUI
