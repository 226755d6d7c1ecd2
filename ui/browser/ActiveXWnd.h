// The child window in which a CActiveXUI hosts its COM object. It takes the
// control's rectangle and visibility, so the object's own windows move, show
// and hide with the control. When it is destroyed (with the control, or with
// the window it sits in) it first has the object torn down, while the
// object's windows still exist.
#pragma once

#include "ui/core/WindowWnd.h"

namespace SkinUI {

class CActiveXUI;

class CActiveXWnd : public CWindowWnd {
public:
    explicit CActiveXWnd(CActiveXUI* owner) : m_pOwner(owner) {}
    bool Init(HWND parent, const RECT& rc);

protected:
    const char* GetWindowClassName() const override { return "ActiveXHostUI"; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    CActiveXUI* m_pOwner;
};

}  // namespace SkinUI
