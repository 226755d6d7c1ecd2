// Builds a control tree from skin markup: a file under the resource path,
// markup text starting with "<", or a resource number.
#pragma once

#include <windows.h>

#include <string>

#include "ui/core/Control.h"

namespace SkinUI {

class CWindowManagerUI;

class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    // Makes a control for a tag the toolkit does not know, or returns null.
    virtual CControlUI* CreateControl(const char* className) = 0;
};

class CDialogBuilder {
public:
    // source: file name, markup text, or MAKEINTRESOURCE number; type: the
    // resource type for a resource number, else null. Returns the root or
    // null; GetLastError then tells why.
    CControlUI* BuildFromMarkup(const char* source, const char* type = nullptr,
                                IDialogBuilderCallback* callback = nullptr,
                                CWindowManagerUI* manager = nullptr, CControlUI* parent = nullptr);
    const std::string& GetLastError() const { return m_sError; }

private:
    std::string m_sError;
};

}  // namespace SkinUI
