// The loopback mirror the update tests run against (started by
// tests/e2e/with_mirror.py), and the test's own installation folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "update/format/MirrorFormat.h"
#include "update/format/ReleaseSignature.h"

namespace mirror {

std::string Url();                              // base URL, ending in a slash
std::string InstallDir();                       // the test program's folder, ending in a backslash
std::string Path(const std::string& relative);  // a file the mirror serves

// Faults switched on the mirror; times = 0 means every request. seconds
// (when above 0) sets the fault's pause, rate the bytes per piece of a
// trickle (0: the mirror's own), and after (when above 0) the bytes a stall
// or a drip sends at once first.
void SetFault(const std::string& path, const std::string& kind, int times = 0, double seconds = 0,
              int rate = 0, int after = 0);
// Switches every fault off and empties the request log.
void ClearFaults();
// The request log, one JSON object per line, oldest first.
std::vector<std::string> Requests();
// The log lines of the requests for one URL path ("/vedu/plaza/a.txt").
std::vector<std::string> RequestsFor(const std::string& path);
size_t CountRequests(const std::string& path);

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
void RemoveTree(const std::string& path);

// Publishes "ver.html" and a file list whose files are served under plaza/.
struct File {
    std::string name;  // "\Res\x.png"
    std::string bytes;
};
void PublishVersion(const std::string& display, const std::string& stamp);
void PublishFiles(const std::vector<File>& files);
// Signs what is published (ver.html, file.html and files) as release
// number `release`, expiring expiresIn seconds from now.
void SignPublished(const std::vector<File>& files, uint64_t release, const ReleaseSecretKey& secret,
                   int64_t expiresIn = 3600);

// The zstd command line on the mirror's host, on files below its root: the
// compressed copy of `in` into `out`, or with `from` the patch from it to `in`.
void Zstd(const std::string& in, const std::string& out, const std::string& from = "");

}  // namespace mirror
