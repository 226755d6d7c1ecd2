// The download pass: every file of the run's download list is fetched into
// "<name>.tmp" beside its target (as a patch or a compressed copy when the
// mirror offers one, see DeltaDownload.h), checked against its length and its
// listed digest, and only then moved over the target. A new Launcher.exe
// stays as its .tmp for the lobby to put in place. The first failure ends
// the pass; no target is ever replaced by a file that failed its checks.
#pragma once

class UpdateRun;

// True when every listed file was handled (or the list was empty).
bool DownloadFiles(UpdateRun& run);
