#include "update/format/MirrorFormat.h"

#include <algorithm>
#include <limits>
#include <map>

#include "identity/HexCodec.h"

namespace {

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

// The fields of one entry, by line number modulo 3.
enum ListField { kName = 0, kSize = 1, kDigest = 2, kFieldCount = 3 };

bool IsAsciiCaseEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 'a' + 'A') : a[i];
        if (x != b[i])
            return false;
    }
    return true;
}

// Windows opens these devices under any folder and with any extension
// ("\\Res\\aux.h" is the AUX device), ignoring blanks before the dot.
bool IsDeviceName(std::string_view component) {
    std::string_view base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.remove_suffix(1);
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (IsAsciiCaseEqual(base, device))
            return true;
    }
    return base.size() == 4 &&
           (IsAsciiCaseEqual(base.substr(0, 3), "COM") ||
            IsAsciiCaseEqual(base.substr(0, 3), "LPT")) &&
           base[3] >= '1' && base[3] <= '9';
}

// Windows drops trailing dots and blanks from a component, so "a." is "a",
// "... " climbs like "..", and "." is the folder itself. The empty component
// before a leading separator is the installation folder.
bool IsStorableComponent(std::string_view component, bool first) {
    if (component.empty())
        return first;
    return component.back() != '.' && component.back() != ' ' && !IsDeviceName(component);
}

}  // namespace

VersionText ParseVersionText(std::string_view body) {
    VersionText version;
    const std::size_t stampLength = std::min(body.size(), kVersionStampLength);
    version.stamp = std::string(body.substr(body.size() - stampLength));
    if (body.size() > stampLength + 1) {
        version.display = std::string(body.substr(0, body.size() - stampLength - 1));
    }
    return version;
}

std::string FormatVersionText(std::string_view display, std::string_view stamp) {
    std::string text(display);
    text += '\n';
    text += stamp;
    return text;
}

std::vector<std::string_view> SplitListLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && !IsLineBreak(text[end]))
            ++end;
        lines.push_back(text.substr(pos, end - pos));
        while (end < text.size() && IsLineBreak(text[end]))
            ++end;
        pos = end;
    }
    return lines;
}

std::string DecodeListLine(std::string_view line) {
    // A line's plain text is always shorter than the line itself.
    return UnscrambleText(line, line.size());
}

int64_t ParseListedSize(std::string_view text) {
    std::size_t i = 0;
    auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return negative ? -value : value;
}

FileList DecodeFileList(std::string_view text) {
    FileList list;
    ListedFile current;
    int field = kName;
    for (std::string_view line : SplitListLines(text)) {
        std::string decoded = DecodeListLine(line);
        switch (field) {
            case kName:
                current.name = std::move(decoded);
                break;
            case kSize:
                current.size = ParseListedSize(decoded);
                break;
            default:
                current.md5 = std::move(decoded);
                list.files.push_back(std::move(current));
                current = ListedFile();
                break;
        }
        field = (field + 1) % kFieldCount;
    }
    if (field != kName)
        list.unfinishedName = std::move(current.name);
    return list;
}

std::optional<std::string> EncodeFileList(const std::vector<ListedFile>& files) {
    std::string text;
    auto append = [&text](std::string_view field) {
        if (field.size() > kScrambleMaxLength)
            return false;
        for (char c : field) {
            if (IsLineBreak(c) || c == '\0')
                return false;
        }
        text += ScrambleText(field);
        text += "\r\n";
        return true;
    };
    for (const ListedFile& file : files) {
        if (!append(file.name) || !append(std::to_string(file.size)) || !append(file.md5)) {
            return std::nullopt;
        }
    }
    return text;
}

bool IsSafeListedName(std::string_view name) {
    if (name.empty())
        return false;
    for (char c : name) {
        if (c == ':' || static_cast<unsigned char>(c) < 0x20)
            return false;
    }
    // A lead byte must have its second byte, or the name turns into another
    // one (or into no name) when Windows reads it as GBK.
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (IsGbkLeadByte(name[i]) && (i + 1 == name.size() || !IsGbkTrailByte(name[++i])))
            return false;
    }
    // The second byte of a GBK character is part of its component, even
    // when it is '\\': Windows reads the name as GBK before splitting it.
    std::size_t start = 0;
    for (std::size_t i = 0;; ++i) {
        if (i < name.size() && IsGbkLeadByte(name[i])) {
            ++i;
        } else if (i == name.size() || name[i] == '\\' || name[i] == '/') {
            if (!IsStorableComponent(name.substr(start, i - start), start == 0))
                return false;
            if (i == name.size())
                return true;
            start = i + 1;
        }
    }
}

namespace {

// The upper-case letters among GBK's double-byte characters, which Windows
// folds as it folds ASCII: Roman numerals, full-width Latin, Greek and
// Cyrillic. Each run shares its lead byte with its lower-case run.
struct GbkCaseRun {
    unsigned char lead, first, last;
    int toLower;  // added to the second byte
};
constexpr GbkCaseRun kGbkCaseRuns[] = {
    {0xA2, 0xF1, 0xFA, -0x50},  // Ⅰ-Ⅹ (Ⅺ and Ⅻ have no lower case in GBK)
    {0xA3, 0xC1, 0xDA, 0x20},   // Ａ-Ｚ
    {0xA6, 0xA1, 0xB8, 0x20},   // Α-Ω
    {0xA7, 0xA1, 0xC1, 0x30},   // А-Я
};

char FoldGbkTrailByte(char lead, char trail) {
    const auto l = static_cast<unsigned char>(lead);
    const auto t = static_cast<unsigned char>(trail);
    for (const GbkCaseRun& run : kGbkCaseRuns) {
        if (l == run.lead && t >= run.first && t <= run.last)
            return static_cast<char>(t + run.toLower);
    }
    return trail;
}

}  // namespace

std::string FoldListedName(std::string_view name) {
    std::string folded(name);
    for (std::size_t i = 0; i < folded.size(); ++i) {
        if (IsGbkLeadByte(folded[i]) && i + 1 < folded.size()) {
            folded[i + 1] = FoldGbkTrailByte(folded[i], folded[i + 1]);
            ++i;
        } else if (folded[i] >= 'A' && folded[i] <= 'Z')
            folded[i] = static_cast<char>(folded[i] - 'A' + 'a');
        else if (folded[i] == '/')
            folded[i] = '\\';
    }
    return folded;
}

std::vector<bool> FindFoldedCollisions(const std::vector<std::string_view>& names,
                                       std::size_t* comparisons) {
    std::map<std::string, std::vector<std::size_t>> byFolded;
    for (std::size_t i = 0; i < names.size(); ++i)
        byFolded[FoldListedName(names[i])].push_back(i);
    std::vector<bool> colliding(names.size(), false);
    // A group with two different names makes each member differ from one of
    // them, so comparing with the first name is enough, and stays linear in a
    // list that repeats one name hundreds of thousands of times.
    for (const auto& [folded, indexes] : byFolded) {
        const std::string_view first = names[indexes.front()];
        const bool mixed = std::any_of(indexes.begin(), indexes.end(), [&](std::size_t i) {
            if (comparisons)
                ++*comparisons;
            return names[i] != first;
        });
        for (std::size_t i : indexes)
            colliding[i] = mixed;
    }
    // A name that is a folder on another's path: Windows holds a file or a
    // folder there, not both, so the second to be written would fail.
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string folded = FoldListedName(names[i]);
        for (std::size_t j = 0; j < folded.size(); ++j) {
            if (IsGbkLeadByte(folded[j])) {
                ++j;
            } else if (folded[j] == '\\' && j > 0) {
                const auto file = byFolded.find(folded.substr(0, j));
                if (file == byFolded.end())
                    continue;
                colliding[i] = true;
                for (std::size_t k : file->second)
                    colliding[k] = true;
            }
        }
    }
    return colliding;
}

std::string ToUrlPath(std::string_view name) {
    std::string path;
    path.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (IsGbkLeadByte(name[i]) && i + 1 < name.size()) {
            path += name[i];
            path += name[++i];
        } else {
            path += name[i] == '\\' ? '/' : name[i];
        }
    }
    return path;
}

std::size_t FindLastSeparator(std::string_view name) {
    std::size_t last = std::string_view::npos;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (IsGbkLeadByte(name[i]) && i + 1 < name.size())
            ++i;
        else if (name[i] == '\\')
            last = i;
    }
    return last;
}

std::string PercentEncodePath(std::string_view path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(path.size());
    for (char c : path) {
        const auto u = static_cast<unsigned char>(c);
        const bool unreserved = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') ||
                                (u >= '0' && u <= '9') || u == '-' || u == '.' || u == '_' ||
                                u == '~' || u == '/';
        if (unreserved) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[u >> 4];
            encoded += kHex[u & 15];
        }
    }
    return encoded;
}
