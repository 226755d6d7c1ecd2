#include "pages/WebRequests.h"

#include <initializer_list>
#include <string>

#include "base/GbkText.h"
#include "identity/Md5.h"
#include "launcher_settings.h"

namespace {

constexpr char kStatisticsSalt[] = "5b1f0c9a7e2d43a8b6c0f1e29d7a4c38";

// A field's text as the query carries it. The services read the bytes as
// they are, GBK included, so only what would end the field or the query, or
// change what it decodes to, is %-escaped: '%', '&', '#', '+' and the control
// bytes. So is a GBK lead byte without its second byte (cut off, or followed
// by one of those): once the URL is widened from GBK it would take the next
// byte, even a '&', into one character with it. Escaping it rather than
// dropping it keeps the field's bytes exactly those of the text.
void AppendQueryValue(std::string& query, std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (IsGbkLeadByte(byte) && pos + 1 < text.size() &&
            IsGbkTrailByte(static_cast<unsigned char>(text[pos + 1]))) {
            query.append(text.substr(pos, 2));
            ++pos;
            continue;
        }
        const bool escaped = byte == '%' || byte == '&' || byte == '#' || byte == '+' ||
                             byte < 0x20 || byte == 0x7F || IsGbkLeadByte(byte);
        if (escaped) {
            query += '%';
            query += kHex[byte >> 4];
            query += kHex[byte & 15];
        } else {
            query += static_cast<char>(byte);
        }
    }
}

struct QueryField {
    const char* name;
    std::string value;
};

// `page` followed by its fields, in order, each value escaped.
std::string Query(const char* page, std::initializer_list<QueryField> fields) {
    std::string query = page;
    char separator = '?';
    for (const QueryField& field : fields) {
        query += separator;
        query += field.name;
        query += '=';
        AppendQueryValue(query, field.value);
        separator = '&';
    }
    return query;
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
    // The channel, the site, the user (0), the address, the entry and object
    // numbers (all 0), then the salt.
    return Md5OfText(std::to_string(mainId) + std::to_string(site) + "0" + std::string(mac) +
                     "000" + kStatisticsSalt);
}

std::string StatisticsReportUrl(std::string_view host, int mainId, int site, std::string_view mac) {
    return std::string(host) +
           Query("DataSubmitAD.aspx", {{"channelId", std::to_string(mainId)},
                                       {"barId", std::to_string(site)},
                                       {"userid", "0"},
                                       {"macSerial", std::string(mac)},
                                       {"enter_type", "0"},
                                       {"object_type", "0"},
                                       {"object_id", "0"},
                                       {"sign", StatisticsSignature(mainId, site, mac)}});
}

std::string QQLoginUrl(std::string_view host, int mainId, int site, const MachineInfo& machine) {
    return std::string(host) + Query("QQLogin.aspx", {{"unionID", std::to_string(mainId)},
                                                      {"siteID", std::to_string(site)},
                                                      {"SystemVer", machine.szSystemVer},
                                                      {"BiosSerial", machine.szBiosSerial},
                                                      {"CPUSerial", machine.szCpuSerial},
                                                      {"HDSerial", machine.szHDSerial},
                                                      {"MACAddress", machine.szMacAddress}});
}

std::string ValidationUrl(std::string_view host, std::string_view account,
                          std::string_view password) {
    return std::string(host) + Query("client_validate.aspx", {{"account", std::string(account)},
                                                              {"pwd", Md5OfText(password)}});
}

std::string RegisterUrl(std::string_view host, const ChannelConfig& channel, int site,
                        const MachineInfo& machine) {
    return std::string(host) + Query("client_reg.aspx", {{"MainID", std::to_string(channel.mainId)},
                                                         {"SubID", std::to_string(site)},
                                                         {"SubID1", std::to_string(channel.subId1)},
                                                         {"SubID2", std::to_string(channel.subId2)},
                                                         {"Os", machine.szSystemVer},
                                                         {"Bios", machine.szBiosSerial},
                                                         {"Cpu", machine.szCpuSerial},
                                                         {"Disk", machine.szHDSerial},
                                                         {"Mac", machine.szMacAddress}});
}

std::string ServiceLinkUrl(std::string_view controlName) {
    for (const ServiceLink& link : kServiceLinks) {
        if (controlName == link.name)
            return std::string(link.host) + link.path;
    }
    return std::string();
}
