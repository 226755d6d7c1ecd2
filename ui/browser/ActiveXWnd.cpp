#include "ui/browser/ActiveXWnd.h"

#include "ui/browser/ActiveX.h"

namespace SkinUI {

bool CActiveXWnd::Init(HWND parent, const RECT& rc) {
    // Hidden until the control says its content may be seen.
    return Create(parent, nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, rc.left, rc.top,
                  rc.right - rc.left, rc.bottom - rc.top) != nullptr;
}

LRESULT CActiveXWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY)
        m_pOwner->ReleaseObject();
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
}

}  // namespace SkinUI
