#include "tools/publish/ReleaseHistory.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "tools/publish/FileText.h"
#include "tools/publish/NativePath.h"

namespace fs = std::filesystem;

namespace {

constexpr char kSuffix[] = ".patches.txt";
constexpr size_t kDigits = 6;

// The number of a record's file name, or 0 for any other name.
unsigned long RecordNumber(const std::string& name) {
    const size_t suffix = sizeof kSuffix - 1;
    if (name.size() <= suffix || name.size() > suffix + 9 ||
        name.compare(name.size() - suffix, suffix, kSuffix) != 0)
        return 0;
    const std::string digits = name.substr(0, name.size() - suffix);
    if (digits.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return std::stoul(digits);
}

std::string RecordName(unsigned long number) {
    char name[32];
    std::snprintf(name, sizeof name, "%0*lu%s", static_cast<int>(kDigits), number, kSuffix);
    return name;
}

}  // namespace

std::vector<RecordedRelease> ReadReleaseHistory(const fs::path& mirror,
                                                std::vector<std::string>& problems) {
    std::vector<RecordedRelease> records;
    const fs::path folder = mirror / kReleaseHistoryFolder;
    if (!fs::is_directory(folder))
        return records;
    for (const fs::directory_entry& item : fs::directory_iterator(folder)) {
        const unsigned long number = RecordNumber(ToNarrow(item.path().filename()));
        if (number == 0 || !item.is_regular_file())
            continue;
        RecordedRelease record;
        record.path = fs::path(kReleaseHistoryFolder) / item.path().filename();
        record.number = number;
        const auto text = ReadFileBytes(item.path());
        const auto index =
            text && text->size() <= kPatchIndexCap ? ParsePatchIndex(*text, {}) : std::nullopt;
        if (!index) {
            problems.push_back(ToNarrow(record.path) + " is not a readable patches.txt");
            continue;
        }
        record.index = *index;
        records.push_back(std::move(record));
    }
    std::sort(
        records.begin(), records.end(),
        [](const RecordedRelease& a, const RecordedRelease& b) { return a.number < b.number; });
    return records;
}

void RecordRelease(const fs::path& mirror, const std::string& indexText, const std::string& stamp) {
    std::vector<std::string> ignored;  // an unreadable record only takes a number
    const std::vector<RecordedRelease> records = ReadReleaseHistory(mirror, ignored);
    unsigned long number = 1;
    for (const fs::directory_entry& item :
         fs::is_directory(mirror / kReleaseHistoryFolder)
             ? fs::directory_iterator(mirror / kReleaseHistoryFolder)
             : fs::directory_iterator()) {
        number = std::max(number, RecordNumber(ToNarrow(item.path().filename())) + 1);
    }
    if (!records.empty() && records.back().index.stamp == stamp &&
        records.back().number + 1 == number) {
        number = records.back().number;  // the same release again
    }
    const fs::path folder = mirror / kReleaseHistoryFolder;
    fs::create_directories(folder);
    const fs::path target = folder / RecordName(number);
    const fs::path temporary = folder / (RecordName(number) + ".tmp");
    if (!WriteFileBytes(temporary, indexText)) {
        std::error_code ignoredError;
        fs::remove(temporary, ignoredError);
        throw fs::filesystem_error("cannot write", temporary,
                                   std::make_error_code(std::errc::io_error));
    }
    fs::rename(temporary, target);
}
