// Digests a file the way a download is digested, and prints the digest in
// md5sum's and sha256sum's format, then the code that ran and its own time
// (the file read in blocks of 256 KiB, Wine's start-up excluded):
//   digest_bench md5|sha256|sha256-portable FILE
// sha256-portable turns the processor's SHA instructions off first, so the
// portable code a processor without them runs is measured on this one.
#include <windows.h>

#include <botan/cpuid.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/Handles.h"
#include "identity/HexDigits.h"
#include "update/format/FileDigests.h"

int main(int argc, char** argv) {
    const std::string kind = argc == 3 ? argv[1] : "";
    if (kind != "md5" && kind != "sha256" && kind != "sha256-portable") {
        std::fprintf(stderr, "usage: digest_bench md5|sha256|sha256-portable FILE\n");
        return 2;
    }
    if (kind == "sha256-portable")
        Botan::CPUID::clear_cpuid_bit(Botan::CPUID::CPUID_SHA_BIT);
    Base::UniqueKernelHandle file(::CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        std::fprintf(stderr, "digest_bench: cannot open %s\n", argv[2]);
        return 1;
    }
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    FileDigests digests(kind == "md5" ? FileDigest::Md5 : FileDigest::Sha256);
    std::vector<uint8_t> block(256 << 10);
    DWORD got = 0;
    while (::ReadFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &got, nullptr) &&
           got > 0) {
        digests.Update(block.data(), got);
    }
    const std::string hex =
        kind == "md5" ? digests.Md5Hex() : ToHex(digests.Sha256().data(), Sha256Digest().size());
    ::QueryPerformanceCounter(&end);
    const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
    std::printf("%s  %s\n%s %.3f s %.0f MB/s\n", hex.c_str(), argv[2],
                kind == "md5" ? "md5" : Sha256Stream().Code().c_str(), seconds,
                digests.Length() / seconds / 1e6);
    return 0;
}
