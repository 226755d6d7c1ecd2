#include "update/net/InternetSession.h"

#include <mutex>

namespace {

void RaiseConnectionLimits() {
    static std::once_flag once;
    std::call_once(once, [] {
        DWORD connections = kConnectionsPerServer;
        ::InternetSetOptionA(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &connections,
                             sizeof(connections));
        ::InternetSetOptionA(nullptr, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER, &connections,
                             sizeof(connections));
    });
}

}  // namespace

HINTERNET OpenInternetSession(const std::string& agent, const NetLimits& limits) {
    RaiseConnectionLimits();
    // PRECONFIG, never PRECONFIG_WITH_NO_AUTOPROXY: Wine treats the latter as
    // a direct connection and ignores the configured proxy, and its
    // InternetGetConnectedState never reports INTERNET_CONNECTION_PROXY, so
    // choosing by that flag sent the texts past the proxy while the files
    // went through it. Where only the proxy reaches the mirror, every
    // request must use it.
    const HINTERNET session =
        ::InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session)
        return nullptr;
    // Windows ends a silent socket by these; Wine ignores the send and
    // receive ones, which is why CHttpFile also keeps its own deadlines.
    DWORD answer = limits.answerMs;
    // A silence as long as the rate window already breaks the rate; the
    // wait for the headers has its own, possibly longer, limit.
    DWORD silence = limits.rateWindowMs > limits.answerMs ? limits.rateWindowMs : limits.answerMs;
    ::InternetSetOptionA(session, INTERNET_OPTION_CONNECT_TIMEOUT, &answer, sizeof(answer));
    ::InternetSetOptionA(session, INTERNET_OPTION_SEND_TIMEOUT, &answer, sizeof(answer));
    ::InternetSetOptionA(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &silence, sizeof(silence));
    return session;
}
