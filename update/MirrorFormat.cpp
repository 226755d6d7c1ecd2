#include "update/MirrorFormat.h"

#include <algorithm>
#include <limits>

#include "identity/HexCodec.h"

namespace {

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

// The fields of one entry, by line number modulo 3.
enum ListField { kName = 0, kSize = 1, kDigest = 2, kFieldCount = 3 };

bool IsParentComponent(std::string_view component) {
    // Windows drops trailing dots and spaces from a path component, so "... "
    // climbs like ".." does.
    if (component.find("..") == std::string_view::npos)
        return false;
    return component.find_first_not_of(". ") == std::string_view::npos;
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
    // Split on every separator byte, even one that ends a double-byte
    // character: that can only refuse more names, never fewer.
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = name.find_first_of("\\/", start);
        if (IsParentComponent(name.substr(start, end - start)))
            return false;
        if (end == std::string_view::npos)
            return true;
        start = end + 1;
    }
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
