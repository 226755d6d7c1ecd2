// Looks shared by the controls that react to the pointer: the hot state and
// the disabled image.
#pragma once

#include <string>

#include "ui/Button.h"

namespace SkinUI {

// Sets or clears UISTATE_HOT on entering and leaving. True when the event
// was one of those two.
bool TrackHotState(CControlUI& control, const TEventUI& event, UINT& state);

// The disabled image, or without one the normal image faded.
void DrawDisabledLook(CControlUI& control, HDC hDC, const std::string& disabledImage,
                      const std::string& normalImage);

}  // namespace SkinUI
