// Moves a release staged beside the mirror into it, one rename per file, in
// the order that never shows a launcher a stamp whose files are missing:
// the files under plaza/, zst/ and patch/ first, then file.html, release.sig
// and patches.txt, and ver.html last. A launcher that reads the old ver.html
// meanwhile finds the old release's texts or the new ones; files that no
// longer belong to the release are removed only after ver.html names the new
// one.
#pragma once

#include <filesystem>

// The staging folder holds only the zst/ and patch/ objects the mirror lacks
// (or holds damaged): published ones are never written again.
void InstallRelease(const std::filesystem::path& staging, const std::filesystem::path& mirror);
