// The base of every windowless control: identity, text, visibility, enabling,
// position, and the links to its parent and its manager.
#pragma once

#include <windows.h>

#include <string>

#include "ui/core/Event.h"

namespace SkinUI {

class CWindowManagerUI;

// Control flags answered by GetControlFlags.
enum : UINT {
    UIFLAG_TABSTOP = 0x01,
    UIFLAG_SETCURSOR = 0x02,
    UIFLAG_WANTRETURN = 0x04,
    // Tab goes into the control (a rich edit) instead of moving the focus.
    UIFLAG_WANTTAB = 0x08,
};

// Flags of the FindControl visitor.
enum : UINT {
    UIFIND_ALL = 0x00,
    UIFIND_VISIBLE = 0x01,
    UIFIND_ENABLED = 0x02,
    UIFIND_HITTEST = 0x04,
    UIFIND_TOP_FIRST = 0x08,
    UIFIND_ME_FIRST = 0x80000000,
};

class CControlUI;
using FINDCONTROLPROC = CControlUI*(CALLBACK*)(CControlUI*, LPVOID);

class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual std::string GetName() const;
    virtual void SetName(const char* name);
    virtual const char* GetClass() const;
    virtual void* GetInterface(const char* name);
    virtual UINT GetControlFlags() const;
    virtual bool Activate();
    virtual CWindowManagerUI* GetManager() const;
    virtual void SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init = true);
    virtual CControlUI* GetParent() const;
    virtual std::string GetText() const;
    virtual void SetText(const char* text);
    virtual RECT GetPos() const;
    virtual void SetPos(RECT rc);

    virtual bool IsVisible() const;
    virtual void SetVisible(bool visible = true);
    virtual void SetInternVisible(bool visible = true);
    virtual bool IsEnabled() const;
    virtual void SetEnabled(bool enabled = true);
    virtual bool IsMouseEnabled() const;
    virtual void SetMouseEnabled(bool enabled = true);
    virtual bool IsFocused() const;
    virtual void SetFocus();

    virtual CControlUI* FindControl(FINDCONTROLPROC proc, LPVOID data, UINT flags);
    virtual void Event(TEventUI& event);
    virtual void DoEvent(TEventUI& event);
    virtual void SetAttribute(const char* name, const char* value);
    virtual SIZE EstimateSize(SIZE available);
    virtual void DoPaint(HDC hDC, const RECT& rcPaint);
    virtual void DoInit();

    // Drawing steps of DoPaint, in order.
    virtual void PaintBkColor(HDC hDC);
    virtual void PaintBkImage(HDC hDC);
    virtual void PaintStatusImage(HDC hDC);
    virtual void PaintText(HDC hDC);
    virtual void PaintBorder(HDC hDC);

    void Init();
    void Invalidate();
    void NeedUpdate();
    void NeedParentUpdate();

    // Applies name="value" pairs separated by single blanks; stops at the
    // first malformed pair and keeps the pairs before it.
    void ApplyAttributeList(const char* list);

    // Geometry used by the layouts. A fixed size of 0 stretches.
    int GetFixedWidth() const { return m_cxyFixed.cx; }
    void SetFixedWidth(int cx) { SetLayoutSize(m_cxyFixed.cx, cx); }
    int GetFixedHeight() const { return m_cxyFixed.cy; }
    void SetFixedHeight(int cy) { SetLayoutSize(m_cxyFixed.cy, cy); }
    int GetMinWidth() const { return m_cxyMin.cx; }
    void SetMinWidth(int cx) { SetLayoutSize(m_cxyMin.cx, cx); }
    int GetMaxWidth() const { return m_cxyMax.cx; }
    void SetMaxWidth(int cx) { SetLayoutSize(m_cxyMax.cx, cx); }
    int GetMinHeight() const { return m_cxyMin.cy; }
    void SetMinHeight(int cy) { SetLayoutSize(m_cxyMin.cy, cy); }
    int GetMaxHeight() const { return m_cxyMax.cy; }
    void SetMaxHeight(int cy) { SetLayoutSize(m_cxyMax.cy, cy); }
    RECT GetPadding() const { return m_rcPadding; }
    void SetPadding(RECT rc);
    bool IsFloat() const { return m_bFloat; }
    void SetFloat(bool isFloat = true);
    // The "pos" of a float control, relative to its parent's top left.
    RECT GetFloatPos() const { return m_rcFloatPos; }
    void SetFloatPos(RECT rc);

    // Appearance. Colours are 0xAARRGGBB; 0 means none.
    DWORD GetBkColor() const { return m_dwBkColor; }
    void SetBkColor(DWORD color);
    DWORD GetBorderColor() const { return m_dwBorderColor; }
    void SetBorderColor(DWORD color);
    void SetBorderSize(int size);
    void SetBorderRound(SIZE round);
    std::string GetBkImage() const { return m_sBkImage; }
    void SetBkImage(const char* image);
    std::string GetToolTip() const { return m_sToolTip; }
    void SetToolTip(const char* tip);
    std::string GetUserData() const { return m_sUserData; }
    void SetUserData(const char* data);
    // Alt and this character focus and activate the control; 0 for none.
    char GetShortcut() const { return m_chShortcut; }
    void SetShortcut(char ch) { m_chShortcut = ch; }

    // Draws an image description ("name" or "file='name' source='..' ...")
    // into this control's rectangle; false when the image is missing.
    bool DrawImage(HDC hDC, const std::string& image, const char* modify = nullptr);

private:
    // Sets one of the sizes the layouts read, unless value is negative.
    void SetLayoutSize(LONG& size, int value);

protected:
    CWindowManagerUI* m_pManager = nullptr;
    CControlUI* m_pParent = nullptr;
    std::string m_sName;
    std::string m_sText;
    RECT m_rcItem = {0, 0, 0, 0};
    bool m_bVisible = true;
    bool m_bInternVisible = true;
    bool m_bEnabled = true;
    bool m_bMouseEnabled = true;
    bool m_bFocused = false;
    bool m_bUpdateNeeded = true;
    bool m_bFloat = false;
    SIZE m_cxyFixed = {0, 0};
    SIZE m_cxyMin = {0, 0};
    SIZE m_cxyMax = {9999, 9999};
    RECT m_rcPadding = {0, 0, 0, 0};
    RECT m_rcFloatPos = {0, 0, 0, 0};
    RECT m_rcPaint = {0, 0, 0, 0};
    DWORD m_dwBkColor = 0;
    DWORD m_dwBorderColor = 0;
    int m_nBorderSize = 0;
    SIZE m_cxyBorderRound = {0, 0};
    std::string m_sBkImage;
    std::string m_sToolTip;
    std::string m_sUserData;
    char m_chShortcut = 0;
};

}  // namespace SkinUI
