// The base of every windowless control: identity, text, visibility, enabling,
// position, and the links to its parent and its manager.
#pragma once

#include <windows.h>

#include <string>

#include "ui/Event.h"

namespace SkinUI {

class CWindowManagerUI;

// Control flags answered by GetControlFlags.
enum : UINT {
    UIFLAG_TABSTOP = 0x01,
    UIFLAG_SETCURSOR = 0x02,
    UIFLAG_WANTRETURN = 0x04,
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

    void Init();
    void Invalidate();
    void NeedUpdate();
    void NeedParentUpdate();

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
};

}  // namespace SkinUI
