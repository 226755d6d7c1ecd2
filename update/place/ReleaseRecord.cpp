#include "update/place/ReleaseRecord.h"

#include <windows.h>

#include <string_view>

#include "base/Handles.h"
#include "update/format/ReleaseSignature.h"
#include "update/place/AtomicFile.h"
#include "update/place/ReplaceFile.h"

namespace {

constexpr char kCounterName[] = "release.ini";
// One number of at most 18 digits, with room for blanks and a line break
// that an editor may add around it.
constexpr DWORD kCounterCap = 64;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::string HighestReleasePath(const std::string& installDir) {
    return installDir + kCounterName;
}

std::optional<uint64_t> ReadHighestRelease(const std::string& installDir, const StopSignal* stop) {
    const std::string path = HighestReleasePath(installDir);
    Base::UniqueKernelHandle file;
    // A scanner that holds the file for a moment is waited for, as a move
    // waits; read as damaged, it would refuse the release.
    RetryWhileHeld(
        [&] {
            file.reset(::CreateFileA(path.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
            return static_cast<bool>(file);
        },
        {path}, stop);
    if (!file) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return 0;
        return std::nullopt;
    }
    char buffer[kCounterCap + 1];
    DWORD got = 0;
    if (!::ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) || got > kCounterCap)
        return std::nullopt;
    std::string_view text(buffer, got);
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return ParseDecimalNumber(text);
}

bool SaveHighestRelease(const std::string& installDir, uint64_t release) {
    return ReplaceFileAtomically(HighestReleasePath(installDir), std::to_string(release));
}
