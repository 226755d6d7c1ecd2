// The update thread: its body and the start used by the window's thread
// operations (StartUpdateThread, StopUpdateThread).
#pragma once

#include <memory>
#include <string>

class CPlazaUpdateWnd;
class UpdateRun;

// One update run, attempt after attempt, on the worker thread. Returns 0.
unsigned UpdateThreadProc(const std::shared_ptr<UpdateRun>& run);

// UI thread: stops the current run and starts a new one whose first mirror
// is builtInMirror (the program's built-in mirror outside tests).
void StartUpdateRun(CPlazaUpdateWnd& wnd, const std::string& builtInMirror);
