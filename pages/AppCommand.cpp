#include "pages/AppCommand.h"

namespace {

constexpr std::string_view kAppPrefix = "app:";
constexpr std::string_view kCredentialSeparator = "&&";
// A partner URL ends with two separator bytes and a 32-byte token.
constexpr size_t kPartnerTokenLength = 32;
constexpr size_t kPartnerTrailerLength = kPartnerTokenLength + 2;

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The last `count` bytes, or the whole text when it is shorter.
std::string_view LastBytes(std::string_view text, size_t count) {
    return count >= text.size() ? text : text.substr(text.size() - count);
}

AppCommand Logon(std::string_view account, std::string_view password) {
    return AppCommand{AppCommandKind::Logon, std::string(account), std::string(password)};
}

}  // namespace

AppCommand ParseAppCommand(std::string_view url) {
    if (url == "app:register")
        return AppCommand{AppCommandKind::Register, {}, {}};
    if (url == "app:cancel")
        return AppCommand{AppCommandKind::Cancel, {}, {}};
    if (StartsWith(url, kPartnerPrefixRb) || StartsWith(url, kPartnerPrefixTs)) {
        const size_t accountEnd = url.size() > kPartnerTrailerLength
                                      ? url.size() - kPartnerTrailerLength
                                      : kAppPrefix.size();
        const size_t accountLength =
            accountEnd > kAppPrefix.size() ? accountEnd - kAppPrefix.size() : 0;
        return Logon(url.substr(kAppPrefix.size(), accountLength),
                     LastBytes(url, kPartnerTokenLength));
    }
    if (StartsWith(url, kAppPrefix)) {
        const size_t separator = url.find(kCredentialSeparator);
        if (separator == std::string_view::npos)
            return Logon({}, url);
        const size_t passwordStart = separator + kCredentialSeparator.size();
        return Logon(url.substr(kAppPrefix.size(), separator - kAppPrefix.size()),
                     url.substr(passwordStart));
    }
    return AppCommand{};
}
