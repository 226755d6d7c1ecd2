// The update thread: its body, and the start and stop behind the window's
// StartUpdateThread and StopUpdateThread.
#pragma once

#include <memory>
#include <string>

class UpdateRun;
class UpdateView;

// One update run, attempt after attempt, on the worker thread. Returns 0.
unsigned UpdateThreadProc(const std::shared_ptr<UpdateRun>& run);

// View thread: stops the current run and starts a new one whose first
// mirror is builtInMirror (the program's built-in mirror outside tests).
void StartUpdateRun(UpdateView& view, const std::string& builtInMirror);
// View thread: stops the current run, if any. A stop never kills the thread:
// it sets the run's stop token, which closes the run's internet handles,
// waits at most 100 ms and then lets the thread end on its own. From that
// moment the old run's posts are dropped (it is no longer the view's current
// run), so a late thread changes nothing.
void StopUpdateRun(UpdateView& view);
