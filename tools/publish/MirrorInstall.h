// Moves a release staged beside the mirror into it, one rename per file, in
// the order that never shows a launcher a stamp whose files are missing:
// the files under plaza/, zst/ and patch/ first, then file.html, release.sig
// and patches.txt, and ver.html last. A launcher that reads the old ver.html
// meanwhile finds the old release's texts or the new ones; files that no
// longer belong to the release are removed only after ver.html names the new
// one.
#pragma once

#include <filesystem>

// Objects under zst/ and patch/ are named by their content and never change
// once published: one already in the mirror with the staged size stays.
void InstallRelease(const std::filesystem::path& staging, const std::filesystem::path& mirror);
