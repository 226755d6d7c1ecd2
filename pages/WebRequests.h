// The request URLs sent to the operator's web services and the signature of
// the statistics report. Field texts go out as they are, GBK bytes included,
// except for the few bytes that would break the query ('%', '&', '#', '+',
// controls, a GBK lead byte without its second byte): those are %-escaped.
// The signature covers the texts before escaping.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "identity/MachineInfo.h"

// The numbers of Config.ini's "Channel" section; 0 when missing.
struct ChannelConfig {
    int mainId = 0;
    int subId = 0;
    int subId1 = 0;
    int subId2 = 0;
};

// Channel 1 marks an internet café: the café's bar number stands for the site
// there, the sub-channel everywhere else.
inline constexpr int kCafeChannel = 1;
int SiteNumber(const ChannelConfig& channel, std::uint32_t barNumber);

// Each URL is `host` (a base URL ending in a slash) followed by its page and
// query.
std::string LogoPageUrl(std::string_view host);
std::string StatisticsSignature(int mainId, int site, std::string_view mac);
std::string StatisticsReportUrl(std::string_view host, int mainId, int site, std::string_view mac);
std::string QQLoginUrl(std::string_view host, int mainId, int site, const MachineInfo& machine);
// Carries the account as typed (escaped as above) and the MD5 text of the
// password.
std::string ValidationUrl(std::string_view host, std::string_view account,
                          std::string_view password);
std::string RegisterUrl(std::string_view host, const ChannelConfig& channel, int site,
                        const MachineInfo& machine);

// The page a service-link button opens in the player's default browser, on
// the built-in hosts; empty when `controlName` is not such a button.
std::string ServiceLinkUrl(std::string_view controlName);
