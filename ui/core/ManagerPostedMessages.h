// Private messages a manager posts to its own window.
#pragma once

#include <windows.h>

namespace SkinUI {

// Removed controls wait for this to be destroyed, once the notification
// that removed them has unwound.
constexpr UINT kDelayedCleanupMessage = WM_APP + 1;
// The window got the native focus back; the focused control is told again.
constexpr UINT kRestoreFocusMessage = WM_APP + 2;

}  // namespace SkinUI
