// The tab layout: shows one page at a time, over the whole layout.
#pragma once

#include "ui/core/Container.h"
#include "ui/core/ControlClass.h"

namespace SkinUI {

class CTabLayoutUI : public CContainerUI {
public:
    SKINUI_CONTROL_CLASS(CContainerUI, "TabLayoutUI", "TabLayout")

    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    void RemoveAll() override;

    int GetCurSel() const { return m_iCurSel; }
    bool SelectItem(int index);

    void SetAttribute(const char* name, const char* value) override;

private:
    void ShowOnly(int index);
    void SelectFromSkin(int index);

    int m_iCurSel = -1;
    // A "selectedid" read before its page was added.
    int m_iPendingSel = -1;
};

}  // namespace SkinUI
