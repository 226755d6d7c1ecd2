// Helpers for the browser tests: COM for the whole run, the browser's own
// site as the object sees it, and events fired at the control the way the
// browser fires them (arguments last first).
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "base/Handles.h"
#include "ui/browser/WebBrowser.h"

// The site the hosted object was given, asked for one of its interfaces.
template <typename I>
Base::ComPtr<I> SiteOf(SkinUI::CActiveXUI* control, REFIID iid) {
    Base::ComPtr<IOleObject> object;
    Base::ComPtr<IOleClientSite> site;
    if (control && SUCCEEDED(control->GetControl(IID_IOleObject, object.put_void())))
        object->GetClientSite(site.put());
    return site.template Query<I>(iid);
}

// The hosted object's IDispatch, as the browser passes itself in events.
Base::ComPtr<IDispatch> BrowserDispatch(SkinUI::CActiveXUI* control);

// Fires an event at the control's sink; `args` in their declared order.
HRESULT FireEvent(SkinUI::CActiveXUI* control, DISPID id, std::vector<VARIANT> args);

// A VARIANT by reference to another, as the browser passes URLs.
VARIANT ByRef(VARIANT* target);
VARIANT Dispatch(IDispatch* disp);

// Pumps the thread's messages through the toolkit for `ms` milliseconds.
void PumpFor(DWORD ms);
