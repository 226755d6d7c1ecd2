#include "ui/core/StateImages.h"

#include "ui/core/AttributeTable.h"
#include "ui/core/Render.h"

namespace SkinUI {

bool StateImages::SetAttribute(const char* name, const char* value) {
    static const AttributeSetter<StateImages> kAttributes[] = {
        {"normalimage", [](StateImages& s, const char* v) { s.normal = v; }},
        {"hotimage", [](StateImages& s, const char* v) { s.hot = v; }},
        {"pushedimage", [](StateImages& s, const char* v) { s.pushed = v; }},
        {"focusedimage", [](StateImages& s, const char* v) { s.focused = v; }},
        {"disabledimage", [](StateImages& s, const char* v) { s.disabled = v; }},
    };
    return ApplyAttribute(kAttributes, *this, name, value ? value : "");
}

bool StateImages::Draw(HDC hDC, CWindowManagerUI* manager, const RECT& rc, const RECT& paint,
                       UINT state) const {
    auto draw = [&](const std::string& image, const char* modify = nullptr) {
        return Render::DrawImageString(hDC, manager, rc, paint, image, modify);
    };
    if ((state & UISTATE_DISABLED) != 0)
        return draw(disabled) || draw(normal, "fade='110'");
    return ((state & UISTATE_PUSHED) != 0 && draw(pushed)) ||
           ((state & UISTATE_HOT) != 0 && draw(hot)) ||
           ((state & UISTATE_FOCUSED) != 0 && draw(focused)) || draw(normal);
}

}  // namespace SkinUI
