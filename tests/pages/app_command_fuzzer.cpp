// Any URL a page navigates to: the parser never reads out of bounds, and the
// texts it returns are pieces of the URL where its rules put them.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "pages/AppCommand.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string url(reinterpret_cast<const char*>(data), size);
    const AppCommand command = ParseAppCommand(url);
    if (command.kind != AppCommandKind::Logon) {
        if (!command.account.empty() || !command.password.empty())
            std::abort();
        return 0;
    }
    if (url.compare(0, 4, "app:") != 0)
        std::abort();
    // The account starts at byte 4 and the password ends the URL.
    if (url.compare(4, command.account.size(), command.account) != 0)
        std::abort();
    if (command.password.size() > url.size() ||
        url.compare(url.size() - command.password.size(), std::string::npos, command.password) !=
            0) {
        std::abort();
    }
    return 0;
}
