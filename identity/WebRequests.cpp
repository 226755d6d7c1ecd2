#include "identity/WebRequests.h"

#include <cstdarg>
#include <cstdio>

#include "identity/Md5.h"
#include "launcher_settings.h"

namespace {

constexpr char kStatisticsSalt[] = "5b1f0c9a7e2d43a8b6c0f1e29d7a4c38";

__attribute__((format(printf, 1, 2))) std::string Formatted(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    std::vsnprintf(&text[0], text.size(), format, again);
    va_end(again);
    text.pop_back();
    return text;
}

struct ServiceLink {
    const char* name;
    const char* host;
    const char* path;
};

constexpr ServiceLink kServiceLinks[] = {
    {"QQOnline", settings::kHostService,
     "client.aspx?channelId=0&barId=0&userId=&password=&appId=10005"},
    {"GetPassword", settings::kHostMember, "Protect/?do=find"},
    {"WebIndex", settings::kHostMain, ""},
    {"Pay", settings::kHostPay, ""},
    {"Question", settings::kHostMain, "ct/news/"},
    {"UpdateWithHand", settings::kHostMain, "download/"},
};

}  // namespace

int SiteNumber(const ChannelConfig& channel, std::uint32_t barNumber) {
    // The services read the bar number as a signed decimal.
    return channel.mainId == kCafeChannel ? static_cast<int>(barNumber) : channel.subId;
}

std::string LogoPageUrl(std::string_view host) {
    return std::string(host) + "logo.html";
}

std::string StatisticsSignature(int mainId, int site, std::string_view mac) {
    const std::string signed_text =
        Formatted("%d%d%d%.*s%d%d%d%s", mainId, site, 0, static_cast<int>(mac.size()), mac.data(),
                  0, 0, 0, kStatisticsSalt);
    return Md5OfText(signed_text);
}

std::string StatisticsReportUrl(std::string_view host, int mainId, int site, std::string_view mac) {
    const std::string sign = StatisticsSignature(mainId, site, mac);
    return std::string(host) +
           Formatted(
               "DataSubmitAD.aspx?channelId=%d&barId=%d&userid=0&macSerial=%.*s&enter_type=0&"
               "object_type=0&object_id=0&sign=%s",
               mainId, site, static_cast<int>(mac.size()), mac.data(), sign.c_str());
}

std::string QQLoginUrl(std::string_view host, int mainId, int site, const MachineInfo& machine) {
    return std::string(host) +
           Formatted(
               "QQLogin.aspx?unionID=%d&siteID=%d&SystemVer=%s&BiosSerial=%s&CPUSerial=%s&"
               "HDSerial=%s&MACAddress=%s",
               mainId, site, machine.szSystemVer, machine.szBiosSerial, machine.szCpuSerial,
               machine.szHDSerial, machine.szMacAddress);
}

std::string ValidationUrl(std::string_view host, std::string_view account,
                          std::string_view password) {
    return std::string(host) + "client_validate.aspx?account=" + std::string(account) +
           "&pwd=" + Md5OfText(password);
}

std::string RegisterUrl(std::string_view host, const ChannelConfig& channel, int site,
                        const MachineInfo& machine) {
    return std::string(host) +
           Formatted(
               "client_reg.aspx?MainID=%d&SubID=%d&SubID1=%d&SubID2=%d&Os=%s&Bios=%s&Cpu=%s&"
               "Disk=%s&Mac=%s",
               channel.mainId, site, channel.subId1, channel.subId2, machine.szSystemVer,
               machine.szBiosSerial, machine.szCpuSerial, machine.szHDSerial, machine.szMacAddress);
}

std::string ServiceLinkUrl(std::string_view controlName) {
    for (const ServiceLink& link : kServiceLinks) {
        if (controlName == link.name)
            return std::string(link.host) + link.path;
    }
    return std::string();
}
