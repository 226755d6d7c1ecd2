// Looks a skin control up by name as the class the caller needs. A control
// that is missing, or that the skin made of another class, is null, so the
// step that needs it is skipped.
#pragma once

#include "ui/core/Control.h"
#include "ui/core/WindowManager.h"

template <typename T>
T* FindControlAs(const SkinUI::CWindowManagerUI& manager, const char* name) {
    return dynamic_cast<T*>(manager.FindControl(name));
}
