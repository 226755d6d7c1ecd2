// A control that hosts a COM control (an ActiveX object) in place, inside a
// child window that follows the control's rectangle and visibility.
//
// The object is created from the "clsid" attribute when the control is
// initialised, and reaches the control only through a separate, counted site
// object (CActiveXSite). Teardown runs before COM goes away, in the order the
// object expects: in-place deactivation, Close, SetClientSite(nullptr), the
// site's own disconnections, then the last references. It runs when the host
// window is destroyed, which happens with the control or, earlier, with the
// window the control lives in, while the object's windows still exist.
#pragma once

#include <ole2.h>

#include <memory>

#include "base/ComPtr.h"
#include "ui/browser/ActiveXSite.h"
#include "ui/browser/ActiveXWnd.h"
#include "ui/core/Control.h"
#include "ui/core/ControlClass.h"
#include "ui/core/WindowManager.h"

namespace SkinUI {

class CActiveXUI : public CControlUI, public ITranslateAccelerator {
public:
    CActiveXUI();
    ~CActiveXUI() override;

    SKINUI_CONTROL_CLASS(CControlUI, "ActiveXUI", "ActiveX")

    // Hands out a referenced interface of the hosted object.
    virtual HRESULT GetControl(REFIID iid, void** object);
    CLSID GetClsid() const { return m_clsid; }
    bool SetClsid(const char* clsid);
    HWND GetHostWindow() const { return m_HostWnd.GetHWND(); }

    void DoInit() override;
    void SetPos(RECT rc) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetAttribute(const char* name, const char* value) override;

    // Keys for the object's own windows go to the object, and never to the
    // manager's Tab handling.
    LRESULT TranslateAccelerator(MSG* msg) override;

    // Tears the object down; safe to call more than once.
    void ReleaseObject();

protected:
    // The site a kind of control needs; the base hosts any object.
    virtual Base::ComPtr<CActiveXSite> CreateSite();
    // The host window is shown only while the content may be seen.
    void SetContentShown(bool shown);

    CLSID m_clsid = {};
    Base::ComPtr<IOleObject> m_pObject;
    Base::ComPtr<CActiveXSite> m_pSite;

private:
    bool CreateObject();
    void UpdateHostWindow();

    CActiveXWnd m_HostWnd;
    bool m_bContentShown = true;
};

}  // namespace SkinUI
