// A blocking call made on a thread of the system's pool while its caller
// waits for it, for its stop or for a deadline, whichever comes first.
//
// Why not make the call on the caller's thread: WinInet calls block on the
// network (the name lookup and connect, a read that waits for data), and
// on Windows closing the handle ends such a call, but Wine lets it run on
// until the network answers, which for a mirror that stalls may be never.
// A caller that must end on time therefore only waits; a call it no longer
// waits for is abandoned and ends on its own. An abandoned call owns what
// it touches through what its closures captured, so nothing it writes to
// goes away under it. The pool keeps its threads: a thread made for every
// call would cost more than a small file's whole request (under Wine
// several milliseconds).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

class StopSignal;

class PoolCall {
public:
    enum class Wait {
        Done,      // the call returned in time
        Stopped,   // stop was set first: the call is abandoned
        TimedOut,  // ms passed first: the call is abandoned
    };

    PoolCall() = default;
    PoolCall(const PoolCall&) = delete;
    PoolCall& operator=(const PoolCall&) = delete;

    // Runs call on the pool and waits up to ms milliseconds for it, or until
    // stop (when given) is set. An abandoned call runs `late` (when given)
    // once it returns, on its pool thread: there it can free what it got.
    Wait Run(std::function<void()> call, StopSignal* stop, DWORD ms,
             std::function<void()> late = {});

private:
    struct State;
    static DWORD WINAPI OnPool(void* state);

    // Made once and kept while the calls return in time; an abandoned
    // call keeps its own.
    std::shared_ptr<State> m_state;
};
