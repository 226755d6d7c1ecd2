#include "ui/core/Render.h"

#include <algorithm>
#include <cstring>

#include "ui/core/AttributeTable.h"
#include "ui/core/GdiHandles.h"
#include "ui/core/RectAttributes.h"
#include "ui/core/WindowManager.h"

namespace SkinUI {
namespace Render {

namespace {

struct ImageDescription {
    std::string file;
    RECT dest = {0, 0, 0, 0};
    bool hasDest = false;
    RECT source = {0, 0, 0, 0};
    bool hasSource = false;
    RECT corner = {0, 0, 0, 0};
    DWORD mask = 0;
    BYTE fade = 255;
    bool hole = false;
};

using Part = AttributeSetter<ImageDescription>;
const Part kDescriptionParts[] = {
    {"file", [](ImageDescription& d, const char* v) { d.file = v; }},
    {"res", [](ImageDescription& d, const char* v) { d.file = v; }},
    {"dest",
     [](ImageDescription& d, const char* v) {
         d.dest = ParseRect(v);
         d.hasDest = true;
     }},
    {"source",
     [](ImageDescription& d, const char* v) {
         d.source = ParseRect(v);
         d.hasSource = true;
     }},
    {"corner", [](ImageDescription& d, const char* v) { d.corner = ParseRect(v); }},
    {"mask", [](ImageDescription& d, const char* v) { d.mask = ParseColor(v); }},
    {"fade", [](ImageDescription& d,
                const char* v) { d.fade = static_cast<BYTE>(std::clamp(std::atoi(v), 0, 255)); }},
    {"hole", [](ImageDescription& d, const char* v) { d.hole = ParseBool(v); }},
};

// Reads name='value' parts separated by blanks. A text without any "='" is
// a bare file name.
void ParseDescription(const std::string& text, ImageDescription& desc) {
    if (text.find("='") == std::string::npos) {
        if (!text.empty())
            desc.file = text;
        return;
    }
    size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
        const size_t eq = text.find("='", pos);
        if (eq == std::string::npos)
            break;
        const size_t close = text.find('\'', eq + 2);
        if (close == std::string::npos)
            break;
        const std::string name = text.substr(pos, eq - pos);
        const std::string value = text.substr(eq + 2, close - eq - 2);
        pos = close + 1;
        ApplyAttribute(kDescriptionParts, desc, name.c_str(), value.c_str());
    }
}

void BlitPart(HDC hDC, HDC source, const RECT& dst, const RECT& src, bool alpha, BYTE fade) {
    const int dw = dst.right - dst.left;
    const int dh = dst.bottom - dst.top;
    const int sw = src.right - src.left;
    const int sh = src.bottom - src.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return;
    if (alpha || fade < 255) {
        BLENDFUNCTION bf = {AC_SRC_OVER, 0, fade, static_cast<BYTE>(alpha ? AC_SRC_ALPHA : 0)};
        ::AlphaBlend(hDC, dst.left, dst.top, dw, dh, source, src.left, src.top, sw, sh, bf);
    } else if (dw == sw && dh == sh) {
        ::BitBlt(hDC, dst.left, dst.top, dw, dh, source, src.left, src.top, SRCCOPY);
    } else {
        ::SetStretchBltMode(hDC, COLORONCOLOR);
        ::StretchBlt(hDC, dst.left, dst.top, dw, dh, source, src.left, src.top, sw, sh, SRCCOPY);
    }
}

// Draws the source in nine parts: corners keep their size, edges stretch
// along one axis and the middle along both.
void DrawNineGrid(HDC hDC, HDC source, const RECT& dst, const RECT& src, const RECT& c, bool alpha,
                  BYTE fade, bool hole) {
    const LONG dx[4] = {dst.left, dst.left + c.left, dst.right - c.right, dst.right};
    const LONG dy[4] = {dst.top, dst.top + c.top, dst.bottom - c.bottom, dst.bottom};
    const LONG sx[4] = {src.left, src.left + c.left, src.right - c.right, src.right};
    const LONG sy[4] = {src.top, src.top + c.top, src.bottom - c.bottom, src.bottom};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            if (hole && row == 1 && col == 1)
                continue;
            BlitPart(hDC, source, RECT{dx[col], dy[row], dx[col + 1], dy[row + 1]},
                     RECT{sx[col], sy[row], sx[col + 1], sy[row + 1]}, alpha, fade);
        }
    }
}

}  // namespace

HBITMAP CreateTopDownDib(HDC hDC, int width, int height, void** bits) {
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    *bits = nullptr;
    UniqueBitmap bitmap(::CreateDIBSection(hDC, &bmi, DIB_RGB_COLORS, bits, nullptr, 0));
    return *bits ? bitmap.release() : nullptr;
}

void DrawColor(HDC hDC, const RECT& rc, DWORD color) {
    const BYTE alpha = static_cast<BYTE>(color >> 24);
    if (alpha == 0 || rc.right <= rc.left || rc.bottom <= rc.top)
        return;
    if (alpha == 255) {
        UniqueBrush brush(::CreateSolidBrush(ToColorRef(color)));
        ::FillRect(hDC, &rc, brush.get());
        return;
    }
    // One premultiplied pixel, stretched over the rectangle.
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = 1;
    bmi.bmiHeader.biHeight = 1;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(::CreateDIBSection(hDC, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap)
        return;
    const DWORD r = ((color >> 16) & 0xFF) * alpha / 255;
    const DWORD g = ((color >> 8) & 0xFF) * alpha / 255;
    const DWORD b = (color & 0xFF) * alpha / 255;
    *static_cast<DWORD*>(bits) = (static_cast<DWORD>(alpha) << 24) | (r << 16) | (g << 8) | b;
    UniqueMemoryDc memory(::CreateCompatibleDC(hDC));
    SelectObjectScope select(memory.get(), bitmap.get());
    BlitPart(hDC, memory.get(), rc, RECT{0, 0, 1, 1}, true, 255);
}

bool DrawImageString(HDC hDC, CWindowManagerUI* manager, const RECT& rcItem, const RECT& rcPaint,
                     const std::string& description, const char* modify) {
    if (!manager || description.empty())
        return false;
    ImageDescription desc;
    ParseDescription(description, desc);
    if (modify)
        ParseDescription(modify, desc);
    if (desc.file.empty())
        return false;
    const TImageInfo* image =
        desc.mask != 0 ? manager->GetImage(desc.file, desc.mask) : manager->GetImage(desc.file);
    if (!image)
        return false;
    RECT dst = rcItem;
    if (desc.hasDest) {
        dst = RECT{rcItem.left + desc.dest.left, rcItem.top + desc.dest.top,
                   rcItem.left + desc.dest.right, rcItem.top + desc.dest.bottom};
        dst.right = std::min(dst.right, rcItem.right);
        dst.bottom = std::min(dst.bottom, rcItem.bottom);
    }
    RECT clipped;
    if (!::IntersectRect(&clipped, &dst, &rcPaint))
        return true;
    RECT src = desc.hasSource ? desc.source : RECT{0, 0, image->width, image->height};
    src.right = std::min<LONG>(src.right, image->width);
    src.bottom = std::min<LONG>(src.bottom, image->height);
    UniqueMemoryDc memory(::CreateCompatibleDC(hDC));
    SelectObjectScope select(memory.get(), image->bitmap.get());
    DrawNineGrid(hDC, memory.get(), dst, src, desc.corner, image->alpha, desc.fade, desc.hole);
    return true;
}

void DrawText(HDC hDC, CWindowManagerUI* manager, RECT rc, const std::string& text, DWORD color,
              int font, UINT style) {
    if (text.empty() || !manager)
        return;
    ::SetBkMode(hDC, TRANSPARENT);
    ::SetTextColor(hDC, ToColorRef(color));
    SelectObjectScope select(hDC, manager->GetFont(font));
    if ((style & DT_SINGLELINE) != 0)
        style |= DT_END_ELLIPSIS;
    ::DrawTextA(hDC, text.c_str(), static_cast<int>(text.size()), &rc, style | DT_NOPREFIX);
}

SIZE MeasureText(HDC hDC, CWindowManagerUI* manager, const std::string& text, int font, UINT style,
                 int width) {
    RECT rc = {0, 0, width, 0};
    if (!manager || text.empty())
        return SIZE{0, 0};
    SelectObjectScope select(hDC, manager->GetFont(font));
    ::DrawTextA(hDC, text.c_str(), static_cast<int>(text.size()), &rc,
                (style & ~(DT_END_ELLIPSIS | DT_VCENTER | DT_BOTTOM)) | DT_CALCRECT | DT_NOPREFIX);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

void DrawBorder(HDC hDC, const RECT& rc, int size, DWORD color, SIZE round) {
    if (size <= 0 || (color >> 24) == 0)
        return;
    UniquePen pen(::CreatePen(PS_SOLID | PS_INSIDEFRAME, size, ToColorRef(color)));
    SelectObjectScope selectPen(hDC, pen.get());
    SelectObjectScope selectBrush(hDC, ::GetStockObject(NULL_BRUSH));
    if (round.cx > 0 || round.cy > 0) {
        ::RoundRect(hDC, rc.left, rc.top, rc.right, rc.bottom, round.cx, round.cy);
    } else {
        ::Rectangle(hDC, rc.left, rc.top, rc.right, rc.bottom);
    }
}

void DrawArrow(HDC hDC, const RECT& rc, ArrowDirection direction, DWORD color) {
    const int cx = (rc.left + rc.right) / 2;
    const int cy = (rc.top + rc.bottom) / 2;
    // A triangle pointing down, mirrored or turned for the other ways.
    static const POINT kDown[3] = {{-4, -2}, {5, -2}, {0, 3}};
    POINT points[3];
    for (int i = 0; i < 3; ++i) {
        const LONG x = kDown[i].x;
        const LONG y = kDown[i].y;
        const POINT turned = direction == ArrowDirection::Up      ? POINT{x, -y}
                             : direction == ArrowDirection::Left  ? POINT{-y, x}
                             : direction == ArrowDirection::Right ? POINT{y, x}
                                                                  : POINT{x, y};
        points[i] = POINT{cx + turned.x, cy + turned.y};
    }
    // Stock objects only, so nothing is created or has to be freed.
    const int saved = ::SaveDC(hDC);
    ::SelectObject(hDC, ::GetStockObject(NULL_PEN));
    ::SelectObject(hDC, ::GetStockObject(DC_BRUSH));
    ::SetDCBrushColor(hDC, ToColorRef(color));
    ::Polygon(hDC, points, 3);
    ::RestoreDC(hDC, saved);
}

}  // namespace Render
}  // namespace SkinUI
