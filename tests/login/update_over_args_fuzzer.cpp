// Any command line: the lobby's reader never reads outside it, and whatever it
// accepts is written back by the launcher's format unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "login/LobbyCommandLine.h"
#include "standins/lobby/UpdateOverArgs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string cmdLine(reinterpret_cast<const char*>(data), size);
    const auto args = ParseUpdateOverArgs(cmdLine);
    if (!args)
        return 0;
    const bool plain = args->nServerLine >= 0 &&
                       (args->nPartnerLogon == 0 || args->nPartnerLogon == 1) &&
                       args->sAccount.find('\0') == std::string::npos &&
                       args->sPassword.find('\0') == std::string::npos &&
                       args->sServerAddr.find('\0') == std::string::npos;
    if (!plain)
        return 0;
    LobbyLogin login{args->nServerLine, args->nPartnerLogon == 1, args->sAccount, args->sPassword,
                     args->sServerAddr};
    if (const auto again = FormatUpdateOverParameters(login)) {
        const auto reparsed = ParseUpdateOverArgs(*again);
        if (!reparsed || reparsed->sAccount != args->sAccount ||
            reparsed->sPassword != args->sPassword || reparsed->sServerAddr != args->sServerAddr) {
            std::abort();
        }
    }
    return 0;
}
