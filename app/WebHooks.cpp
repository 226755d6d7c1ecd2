// Requests to the operator's web services. Each one navigates one of the
// window's browser controls (the answer is a page shown there, and only
// pages talk back) or hands a link to the default browser; the launcher
// never reads an answer itself. Config.ini, the bar number and the machine
// fingerprint are read afresh for every request, so a changed Config.ini
// counts at the next one.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "app/ControlLookup.h"
#include "app/PlazaUpdateWnd.h"
#include "identity/MachineIdentity.h"
#include "launcher_settings.h"
#include "pages/WebRequests.h"
#include "ui/controls/Edit.h"

using namespace SkinUI;

namespace {

ChannelConfig ReadChannelConfig() {
    const std::string ini = CWindowManagerUI::GetModuleDirectory() + "Config.ini";
    const auto read = [&ini](const char* key) {
        return static_cast<int>(::GetPrivateProfileIntA("Channel", key, 0, ini.c_str()));
    };
    return {read("MainID"), read("SubID"), read("SubID1"), read("SubID2")};
}

int ReadSiteNumber(const ChannelConfig& channel) {
    return SiteNumber(channel, channel.mainId == kCafeChannel ? ReadBarNumber() : 0);
}

MachineInfo ReadMachineInfo() {
    MachineInfo machine;
    FillMachineInfo(machine);
    return machine;
}

// Navigates the named browser to the URL that `makeUrl` formats. A missing
// control, or one without a browser inside, skips the request. `handler`,
// when given, becomes the browser's event handler first, so the window sees
// what the page does.
void Navigate(const CWindowManagerUI& manager, const char* name, CWebBrowserEventHandler* handler,
              const std::function<std::string()>& makeUrl) {
    auto* control = FindControlAs<CWebBrowserUI>(manager, name);
    if (!control)
        return;
    if (handler)
        control->SetEventHandler(handler);
    control->Navigate(makeUrl().c_str());
}

std::string TextOf(const CEditUI* edit) {
    return edit ? edit->GetText() : std::string();
}

}  // namespace

void CPlazaUpdateWnd::SendLogoPage() {
    Navigate(m_Manager, "web", nullptr, [] { return LogoPageUrl(settings::kHostDomain); });
}

void CPlazaUpdateWnd::SendStatisticsReport() {
    Navigate(m_Manager, "LogonWeb", this, [] {
        const ChannelConfig channel = ReadChannelConfig();
        return StatisticsReportUrl(settings::kHostService, channel.mainId, ReadSiteNumber(channel),
                                   ReadMachineInfo().szMacAddress);
    });
}

void CPlazaUpdateWnd::ShowQQLogonPage() {
    Navigate(m_Manager, "RegisterWeb", this, [] {
        const ChannelConfig channel = ReadChannelConfig();
        return QQLoginUrl(settings::kHostService, channel.mainId, ReadSiteNumber(channel),
                          ReadMachineInfo());
    });
}

void CPlazaUpdateWnd::ShowValidationPage() {
    Navigate(m_Manager, "RegisterWeb", this, [this] {
        return ValidationUrl(settings::kHostRegister, TextOf(m_pAccountEdit),
                             TextOf(m_pPasswordEdit));
    });
}

void CPlazaUpdateWnd::ShowRegisterPage() {
    Navigate(m_Manager, "RegisterWeb", this, [] {
        const ChannelConfig channel = ReadChannelConfig();
        return RegisterUrl(settings::kHostRegister, channel, ReadSiteNumber(channel),
                           ReadMachineInfo());
    });
}

bool CPlazaUpdateWnd::OpenServiceLink(const std::string& controlName) {
    const std::string url = ServiceLinkUrl(controlName);
    if (url.empty())
        return false;
    ::ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
    return true;
}
