// Opens the launcher's own skin from the build tree the way the launcher
// does, with a stand-in for the launcher's browser class.
#pragma once

#include <string>

#include "launcher_settings.h"
#include "tests/ui/support/TestWindow.h"

namespace uitest {

// Stands in for the launcher's browser subclass that the skin names with the
// tag "WebBrowserEx".
class StandInBrowserEx : public SkinUI::CWebBrowserUI {
public:
    const char* GetClass() const override { return "WebBrowserExUI"; }
};

class StandInCallback : public SkinUI::IDialogBuilderCallback {
public:
    SkinUI::CControlUI* CreateControl(const char* className) override {
        if (::lstrcmpiA(className, "WebBrowserEx") == 0)
            return new StandInBrowserEx;
        return nullptr;
    }
};

// Points the toolkit at the build's Res/Launcher/ and the package the build
// packs there from res/, and returns that folder.
inline std::string UseBuiltSkin() {
    if (!SkinUI::CWindowManagerUI::GetInstance()) {
        SkinUI::CWindowManagerUI::SetInstance(::GetModuleHandleA(nullptr));
    }
    const std::string folder = LAUNCHER_SKIN_DIR;
    SkinUI::CWindowManagerUI::SetResourcePath(folder.c_str());
    SkinUI::CWindowManagerUI::SetResourcePackage("Launcher.pkg", false, settings::kPackagePassword);
    return folder;
}

}  // namespace uitest
