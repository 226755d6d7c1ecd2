// A control that hosts a COM control in its rectangle. For now it only holds
// its place in the layout; the hosted control arrives with the browser host.
#pragma once

#include <unknwn.h>

#include "ui/Control.h"

namespace SkinUI {

class CActiveXUI : public CControlUI {
public:
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

    // Hands out a referenced interface of the hosted control.
    virtual HRESULT GetControl(REFIID iid, void** object);
    CLSID GetClsid() const { return m_clsid; }
    bool SetClsid(const char* clsid);

    void SetAttribute(const char* name, const char* value) override;

protected:
    CLSID m_clsid = {};
};

}  // namespace SkinUI
