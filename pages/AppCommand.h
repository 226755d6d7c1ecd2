// The "app:" navigation commands that the launcher's own pages use to talk
// back to it. A page navigates its browser to such a URL; the launcher reads
// the URL before the navigation happens and acts on it. The parser works on
// the URL's bytes in the launcher's ANSI code page and compares them exactly,
// so the partner prefixes match only where that code page is GBK.
#pragma once

#include <string>
#include <string_view>

enum class AppCommandKind {
    None,      // not a command: the navigation is an ordinary one
    Register,  // "app:register": show the registration page
    Cancel,    // "app:cancel": back to the login page
    Logon,     // fill the account and password boxes, then log in
};

struct AppCommand {
    AppCommandKind kind = AppCommandKind::None;
    std::string account;
    std::string password;
};

// The partner credential prefixes: "app:", two letters and the GBK bytes of
// the character U+2237 (A1 CB).
inline constexpr std::string_view kPartnerPrefixRb = "app:rb\xA1\xCB";
inline constexpr std::string_view kPartnerPrefixTs = "app:ts\xA1\xCB";

// Reads one navigation URL. The texts of a Logon command are cut out exactly
// as the pages place them:
// - partner ("app:rb" or "app:ts" + U+2237): the account is everything from
//   byte 4 up to the two separator bytes before the last 32 bytes (so it
//   keeps the partner prefix), the password is the last 32 bytes (the whole
//   URL when it is shorter);
// - plain "app:": account and password lie on either side of the first "&&";
//   without one, the account is empty and the password is the whole URL.
AppCommand ParseAppCommand(std::string_view url);
