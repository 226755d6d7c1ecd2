// Moving a finished download over its target. Another program that has the
// target open (an antivirus scanner looking at it, or the game itself) makes
// the move fail for as long as it holds the file; the move is retried with
// growing pauses for up to ten seconds, and a stop ends the wait at once.
// The small state files (ver.ini, release.ini, handover.ini) are read and
// replaced with the same waits.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>

class StopSignal;

enum class ReplaceResult {
    Moved,
    Locked,  // another program still held the target when the time was up
    Failed,  // any other reason; retrying would not help
    Stopped,
};

// Moves from over to, replacing it. stop may be null.
ReplaceResult MoveOverTarget(const std::string& from, const std::string& to,
                             const StopSignal* stop);

// Calls attempt until it returns true (Moved), fails with an error that is
// not another program holding the first of the files `held` that exists
// (Failed, with that error as the last error), or the wait is up (Locked).
// stop may be null.
ReplaceResult RetryWhileHeld(const std::function<bool()>& attempt,
                             std::initializer_list<std::string> held, const StopSignal* stop);
