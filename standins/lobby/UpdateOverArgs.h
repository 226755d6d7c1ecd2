// Reads the login command line the launcher hands to the lobby. The three
// lengths say how many bytes the account, the password and the address take,
// so texts with spaces in them come out whole.
#pragma once

#include <optional>
#include <string>

struct UpdateOverArgs {
    int nServerLine = 0;
    int nPartnerLogon = 0;
    std::string sAccount;
    std::string sPassword;
    std::string sServerAddr;
};

// Parses "-Update_Over line partner accountLen passwordLen addressLen account
// password address". Returns nothing when the switch, a number or a separator
// is missing, or when a length runs past the end of the text.
std::optional<UpdateOverArgs> ParseUpdateOverArgs(const std::string& cmdLine);
