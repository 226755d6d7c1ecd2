// How long a request may keep the update waiting. A mirror or a proxy that
// holds an answer open, sending nothing or a byte now and then, would
// otherwise keep the run (and the login, which waits for it) going for ever.
// A request that breaks a limit fails like any other failed fetch.
#pragma once

#include <cstdint>

struct NetLimits {
    // From the request to its response headers: name lookup, connect, send
    // and the server's first answer.
    uint32_t answerMs = 30000;
    // A body must bring at least minBytesPerSecond on average over each span
    // of rateWindowMs; slower, and the transfer ends.
    uint32_t rateWindowMs = 30000;
    uint32_t minBytesPerSecond = 1024;
};
