#include "update/format/PatchIndex.h"

namespace {

constexpr std::string_view kFormatLine = "launcher-patches 1";

bool IsMd5(std::string_view text) {
    if (text.size() != 32)
        return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t pos = 0;
    while (pos <= line.size()) {
        const size_t end = std::min(line.find(' ', pos), line.size());
        fields.push_back(line.substr(pos, end - pos));
        pos = end + 1;
    }
    return fields;
}

bool IsPlainStamp(std::string_view stamp) {
    return !stamp.empty() &&
           stamp.find_first_of(std::string_view(" \r\n\0", 4)) == std::string_view::npos;
}

}  // namespace

std::string FormatPatchIndex(const PatchIndex& index) {
    if (!IsPlainStamp(index.stamp))
        return {};
    std::string text = std::string(kFormatLine) + "\nstamp " + index.stamp + "\n";
    for (const auto& [md5, size] : index.compressed) {
        if (!IsMd5(md5))
            return {};
        text += "zst " + md5 + " " + std::to_string(size) + "\n";
    }
    for (const auto& [pair, size] : index.patches) {
        if (!IsMd5(pair.first) || !IsMd5(pair.second))
            return {};
        text += "patch " + pair.first + " " + pair.second + " " + std::to_string(size) + "\n";
    }
    return text;
}

std::optional<PatchIndex> ParsePatchIndex(std::string_view text,
                                          const std::vector<ReleasePublicKey>& keys) {
    std::string signedBody;
    if (!keys.empty()) {
        std::optional<SignedText> split = SplitSignedText(text);
        if (!split || !IsSignedByOneOf(*split, keys))
            return std::nullopt;
        signedBody = std::move(split->body);
        text = signedBody;
    }
    if (text.empty() || text.back() != '\n' || text.find('\r') != std::string_view::npos)
        return std::nullopt;
    PatchIndex index;
    size_t lineNumber = 0;
    for (size_t pos = 0; pos < text.size(); ++lineNumber) {
        const size_t end = text.find('\n', pos);
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        const std::vector<std::string_view> f = SplitFields(line);
        if (lineNumber == 0) {
            if (line != kFormatLine)
                return std::nullopt;
        } else if (lineNumber == 1) {
            if (f.size() != 2 || f[0] != "stamp" || !IsPlainStamp(f[1]))
                return std::nullopt;
            index.stamp = std::string(f[1]);
        } else if (f[0] == "zst" && f.size() == 3 && IsMd5(f[1]) && ParseDecimalNumber(f[2])) {
            index.compressed[std::string(f[1])] = *ParseDecimalNumber(f[2]);
        } else if (f[0] == "patch" && f.size() == 4 && IsMd5(f[1]) && IsMd5(f[2]) &&
                   ParseDecimalNumber(f[3])) {
            index.patches[{std::string(f[1]), std::string(f[2])}] = *ParseDecimalNumber(f[3]);
        } else if (f[0] != "signature" || !keys.empty() || pos != text.size()) {
            // Unsigned readers skip a signature, but only as the last line.
            return std::nullopt;
        }
    }
    if (lineNumber < 2)
        return std::nullopt;
    return index;
}

std::string CompressedObjectPath(const std::string& md5) {
    return "zst/" + md5 + ".zst";
}

std::string PatchObjectPath(const std::string& newMd5, const std::string& oldMd5) {
    return "patch/" + newMd5 + "-" + oldMd5 + ".zst";
}
