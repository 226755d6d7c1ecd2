// Applies a zstd patch the way the launcher does, from a file instead of the
// network, and prints how fast it ran and the most private memory the
// process held meanwhile. The old and the new file are mapped views, which
// are no private memory: what it prints is the decoder's own.
//   patch_apply_bench OLD PATCH OUT SIZE [unsigned]
// The digest is that of a signed release (SHA-256) unless
// "unsigned" (MD5). The patch is read in blocks of 256 KiB.
// Under Wine the private figure is the process's anonymous resident memory,
// sampled after every block (Wine keeps no peak of its own).
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "base/Handles.h"
#include "update/sinks/MappedFile.h"
#include "update/sinks/PatchSink.h"

namespace {

SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(),
                           reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    return std::max(counters.PrivateUsage, counters.PeakPagefileUsage);
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: patch_apply_bench OLD PATCH OUT SIZE [unsigned]\n");
        return 2;
    }
    const uint64_t size = std::strtoull(argv[4], nullptr, 10);
    const FileDigest digest =
        argc > 5 && std::strcmp(argv[5], "unsigned") == 0 ? FileDigest::Md5 : FileDigest::Sha256;
    const size_t block = 256 << 10;
    const SIZE_T before = PrivateBytes();
    SIZE_T peak = before;

    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    std::unique_ptr<MappedFile> old = MappedFile::OpenReadOnly(argv[1]);
    Base::UniqueKernelHandle patch(::CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                 OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                                                 nullptr));
    if (!old || !patch) {
        std::fprintf(stderr, "patch_apply_bench: cannot open the old file or the patch\n");
        return 1;
    }
    bool applied = false;
    {
        PatchSink sink(*old, argv[3], size, digest);
        std::vector<char> buffer(block);
        DWORD got = 0;
        bool written = true;
        while (written &&
               ::ReadFile(patch.get(), buffer.data(), static_cast<DWORD>(block), &got, nullptr) &&
               got > 0) {
            written = sink.Write(buffer.data(), got);
            peak = std::max(peak, PrivateBytes());
        }
        applied = written && sink.Finish();
        peak = std::max(peak, PrivateBytes());
    }
    ::QueryPerformanceCounter(&end);
    if (!applied) {
        std::fprintf(stderr, "patch_apply_bench: the patch did not apply\n");
        return 1;
    }
    const double seconds = Seconds(start, end);
    std::printf(
        "applied %llu bytes in %.3f s (%.0f MB/s); private memory %.1f MiB before, "
        "%.1f MiB at most (+%.1f MiB)\n",
        static_cast<unsigned long long>(size), seconds, size / seconds / 1e6, before / 1048576.0,
        peak / 1048576.0, (peak - before) / 1048576.0);
    return 0;
}
