#include "app/PageOrigin.h"

#include <algorithm>
#include <string>

#include "launcher_settings.h"

namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return lower;
}

int DefaultPort(const std::string& scheme) {
    if (scheme == "http")
        return 80;
    if (scheme == "https")
        return 443;
    return 0;
}

// A port of digits only, 1 to 65535; 0 for anything else.
int ReadPort(std::string_view digits) {
    int port = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return 0;
        port = port * 10 + (c - '0');
        if (port > 65535)
            return 0;
    }
    return port;
}

}  // namespace

std::optional<PageOrigin> OriginOf(std::string_view url) {
    const size_t colon = url.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    PageOrigin origin;
    origin.scheme = Lower(url.substr(0, colon));
    origin.port = DefaultPort(origin.scheme);
    if (origin.port == 0 || url.substr(colon + 1, 2) != "//")
        return std::nullopt;
    // The authority ends where the path, the query or the fragment begins;
    // browsers read a backslash there as a slash.
    std::string_view authority = url.substr(colon + 3);
    authority = authority.substr(0, authority.find_first_of("/\\?#"));
    if (const size_t at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    // A colon inside an IPv6 literal's brackets is not the port's.
    size_t hostEnd = 0;
    if (!authority.empty() && authority.front() == '[') {
        hostEnd = authority.find(']');
        if (hostEnd == std::string_view::npos)
            return std::nullopt;
        ++hostEnd;
        if (hostEnd < authority.size() && authority[hostEnd] != ':')
            return std::nullopt;
    }
    const size_t portColon = authority.find(':', hostEnd);
    const std::string_view host = authority.substr(0, portColon);
    if (host.empty())
        return std::nullopt;
    origin.host = Lower(host);
    if (portColon != std::string_view::npos && portColon + 1 < authority.size()) {
        origin.port = ReadPort(authority.substr(portColon + 1));
        if (origin.port == 0)
            return std::nullopt;
    }
    return origin;
}

std::vector<PageOrigin> OriginsOf(std::string_view urls) {
    std::vector<PageOrigin> origins;
    while (!urls.empty()) {
        const size_t end = std::min(urls.find(';'), urls.size());
        if (auto origin = OriginOf(urls.substr(0, end)))
            origins.push_back(std::move(*origin));
        urls.remove_prefix(std::min(end + 1, urls.size()));
    }
    return origins;
}

const std::vector<PageOrigin>& OperatorOrigins() {
    static const std::vector<PageOrigin> origins = [] {
        std::string hosts;
        for (const char* host : {settings::kHostService, settings::kHostRegister,
                                 settings::kHostMember, settings::kHostMain, settings::kHostPay,
                                 settings::kHostDomain, settings::kExtraPageHosts}) {
            hosts.append(host).append(";");
        }
        return OriginsOf(hosts);
    }();
    return origins;
}

bool IsOnOrigins(std::string_view url, const std::vector<PageOrigin>& origins) {
    const auto origin = OriginOf(url);
    return origin && std::find(origins.begin(), origins.end(), *origin) != origins.end();
}
