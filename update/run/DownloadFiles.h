// The download pass: every file of the run's download list is fetched into
// "<name>.tmp" beside its target (as a patch or a compressed copy when the
// mirror offers one, see DeltaDownload.h), checked against its length and its
// listed digest, and only then moved over the target. Several files are
// fetched at once (FetchWorkers.h), and their results are taken, and the
// files moved, in list order. A new Launcher.exe stays as its .tmp for the
// lobby to put in place. The first failure in list order ends the pass,
// whichever transfer ended first; no target is ever replaced by a file that
// failed its checks. A signed release moves only once every file passed, as
// one transaction.
#pragma once

#include <memory>

#include "update/format/ReleaseSignature.h"

class InstallTransaction;
class UpdateRun;

struct PassResult {
    enum class Outcome {
        Done,     // every listed file was handled (or the list was empty)
        Failed,   // a file failed; the window says which and why
        Stopped,  // the run was stopped
        Refused,  // a signed release's file does not hold: the release is refused
    };
    Outcome outcome = Outcome::Done;
    ReleaseVerdict refusal = ReleaseVerdict::Accepted;  // when Refused
    // A new launcher waits as its .tmp (also after a later file failed).
    bool launcherWaiting = false;
    // The waiting launcher was handed over as often as it may be: the old
    // one carries on.
    bool handOverAbandoned = false;
    // A signed release whose files all moved into place: its backups and
    // journal stay until the stamp is saved (Commit).
    std::shared_ptr<InstallTransaction> installed;
};

PassResult DownloadFiles(UpdateRun& run);
