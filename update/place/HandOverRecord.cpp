#include "update/place/HandOverRecord.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "identity/Md5.h"
#include "update/place/AtomicFile.h"

namespace {

constexpr char kRecordName[] = "handover.ini";
constexpr char kMd5Key[] = "md5=";
constexpr char kAttemptsKey[] = "attempts=";
constexpr size_t kRecordCap = 256;

struct Record {
    std::string md5;
    unsigned attempts = 0;
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    return text;
}

// The value after key on its own line, or nothing.
std::string ValueOf(const std::string& text, const char* key) {
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind(key, 0) == 0)
            return line.substr(std::char_traits<char>::length(key));
        start = end + 1;
    }
    return std::string();
}

Record ReadRecord(const std::string& installDir) {
    Record record;
    FILE* f = std::fopen((installDir + kRecordName).c_str(), "rb");
    if (!f)
        return record;
    char buffer[kRecordCap];
    const size_t got = std::fread(buffer, 1, sizeof(buffer), f);
    std::fclose(f);
    const std::string text(buffer, got);
    const std::string attempts = ValueOf(text, kAttemptsKey);
    char* end = nullptr;
    const unsigned long count = std::strtoul(attempts.c_str(), &end, 10);
    // A torn or foreign record counts as none: at worst one more hand-over.
    if (attempts.empty() || *end != '\0' || count > 1000)
        return record;
    record.md5 = Lower(ValueOf(text, kMd5Key));
    record.attempts = static_cast<unsigned>(count);
    return record;
}

}  // namespace

std::string WaitingLauncherPath(const std::string& installDir) {
    return installDir + "Launcher.exe.tmp";
}

unsigned CountHandOvers(const std::string& installDir, const std::string& md5) {
    const Record record = ReadRecord(installDir);
    return !md5.empty() && record.md5 == Lower(md5) ? record.attempts : 0;
}

bool RecordHandOver(const std::string& installDir) {
    const std::string md5 = Md5OfFile(WaitingLauncherPath(installDir));
    if (md5 == kMd5FileOpenFailed)
        return false;
    const unsigned attempts = CountHandOvers(installDir, md5) + 1;
    return ReplaceFileAtomically(
        installDir + kRecordName,
        std::string(kMd5Key) + md5 + "\r\n" + kAttemptsKey + std::to_string(attempts) + "\r\n");
}

void ForgetHandOvers(const std::string& installDir) {
    ::DeleteFileA((installDir + kRecordName).c_str());
}
