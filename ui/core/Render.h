// GDI drawing helpers shared by the controls: colours with alpha, skin
// images with a source rectangle, nine-grid corners and fading, text with
// alignment and end ellipsis, and borders.
#pragma once

#include <windows.h>

#include <string>

namespace SkinUI {

class CWindowManagerUI;

// The colour of a 0xAARRGGBB skin colour, as GDI takes it (no alpha).
inline COLORREF ToColorRef(DWORD argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

namespace Render {

// A 32-bit top-down DIB section; its pixels are handed out through bits.
HBITMAP CreateTopDownDib(HDC hDC, int width, int height, void** bits);

// Fills rc with a 0xAARRGGBB colour, blending when alpha is below 255.
void DrawColor(HDC hDC, const RECT& rc, DWORD color);

// Draws an image description: a bare file name, or name='value' parts
// (file, source, dest, corner, mask, fade, hole). `modify` holds further
// parts that override the description's. False when the image is missing.
bool DrawImageString(HDC hDC, CWindowManagerUI* manager, const RECT& rcItem, const RECT& rcPaint,
                     const std::string& description, const char* modify = nullptr);

// Draws one line or a block of text in a 0xAARRGGBB colour with DT_* style.
// Single lines get an end ellipsis when they do not fit.
void DrawText(HDC hDC, CWindowManagerUI* manager, RECT rc, const std::string& text, DWORD color,
              int font, UINT style);

// Measures text as DrawText would lay it out in `width` pixels.
SIZE MeasureText(HDC hDC, CWindowManagerUI* manager, const std::string& text, int font, UINT style,
                 int width);

// A small solid triangle centred in rc, pointing the given way: the arrow
// of a control that has no image for it.
enum class ArrowDirection { Up, Down, Left, Right };
void DrawArrow(HDC hDC, const RECT& rc, ArrowDirection direction, DWORD color);

// A frame of `size` pixels inside rc; rounded when round.cx/cy are set.
void DrawBorder(HDC hDC, const RECT& rc, int size, DWORD color, SIZE round = SIZE{0, 0});

}  // namespace Render
}  // namespace SkinUI
