// The update thread's body, as a script: fetch the version, check the
// release, check the files, download what differs, save the stamp, and end
// ready for login, or hand the new launcher over to the lobby. Everything it
// shows goes through the run's posts; it never touches the window.
#pragma once

#include <memory>

class UpdateRun;

// One update run, attempt after attempt, on the worker thread. Catches
// everything: a failure nobody expected is logged and posted to the view.
void RunUpdateThread(const std::shared_ptr<UpdateRun>& run);
