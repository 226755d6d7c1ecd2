// Buttons with a selected state: radio-like options in a named group, or
// toggles without one. The check box is an option without a group.
#pragma once

#include "ui/controls/Button.h"

namespace SkinUI {

class COptionUI : public CButtonUI {
public:
    ~COptionUI() override;
    SKINUI_CONTROL_CLASS(CButtonUI, "OptionUI", "Option")
    void SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init = true) override;
    bool Activate() override;

    std::string GetGroup() const { return m_sGroupName; }
    void SetGroup(const char* group);
    bool IsSelected() const { return m_bSelected; }
    virtual void SetSelected(bool selected);

    void SetAttribute(const char* name, const char* value) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

protected:
    bool m_bSelected = false;
    std::string m_sGroupName;
    std::string m_sSelectedImage;
    DWORD m_dwSelectedTextColor = 0;
    DWORD m_dwSelectedBkColor = 0;
};

class CCheckBoxUI : public COptionUI {
public:
    const char* GetClass() const override { return "CheckBoxUI"; }
};

}  // namespace SkinUI
