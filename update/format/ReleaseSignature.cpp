#include "update/format/ReleaseSignature.h"

#include <sodium.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "update/format/MirrorFormat.h"

namespace {

constexpr std::string_view kFormatLine = "launcher-release 1";
constexpr std::string_view kSignatureKey = "signature ";

void InitSodium() {
    // Safe to call from any thread and more than once; it only fails when
    // the system has no random source, which signing alone would notice.
    if (sodium_init() < 0)
        std::abort();
}

// Splits "key value" at the first blank; false when the key differs.
bool TakeField(std::string_view line, std::string_view key, std::string_view& value) {
    if (line.size() <= key.size() || line.compare(0, key.size(), key) != 0 ||
        line[key.size()] != ' ') {
        return false;
    }
    value = line.substr(key.size() + 1);
    return true;
}

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
}

bool ParseDigits(std::string_view text, size_t at, size_t count, unsigned& value) {
    value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    return true;
}

bool HasLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

std::optional<uint64_t> ParseDecimalNumber(std::string_view text) {
    // Eighteen digits fit any counter an operator will reach and never
    // overflow.
    if (text.empty() || text.size() > 18)
        return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value;
}

const char* ReleaseVerdictReason(ReleaseVerdict verdict) {
    // In the order of the enumeration.
    static constexpr const char* kReasons[] = {
        "accepted",    "signature (release.sig missing or malformed)",
        "signature",   "expired",
        "rolled back", "hash mismatch",
        "too large",   "release.ini unreadable"};
    const auto index = static_cast<size_t>(verdict);
    return index < std::size(kReasons) ? kReasons[index] : "signature";
}

Sha256Digest Sha256Of(std::string_view bytes) {
    InitSodium();
    Sha256Digest digest{};
    crypto_hash_sha256(digest.data(), reinterpret_cast<const unsigned char*>(bytes.data()),
                       bytes.size());
    return digest;
}

template <size_t N>
std::optional<std::array<uint8_t, N>> FromHex(std::string_view text) {
    if (text.size() != 2 * N)
        return std::nullopt;
    std::array<uint8_t, N> bytes{};
    for (size_t i = 0; i < N; ++i) {
        const auto byte = HexPair(text[2 * i], text[2 * i + 1]);
        if (!byte)
            return std::nullopt;
        bytes[i] = *byte;
    }
    return bytes;
}
template std::optional<std::array<uint8_t, 32>> FromHex<32>(std::string_view);
template std::optional<std::array<uint8_t, 64>> FromHex<64>(std::string_view);

std::optional<std::vector<ReleasePublicKey>> ParseReleaseKeys(std::string_view text) {
    std::vector<ReleasePublicKey> keys;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t start = text.find_first_not_of(" \t,;", pos);
        if (start == std::string_view::npos)
            break;
        const size_t end = std::min(text.find_first_of(" \t,;", start), text.size());
        const auto key = FromHex<32>(text.substr(start, end - start));
        if (!key)
            return std::nullopt;
        keys.push_back(*key);
        pos = end;
    }
    return keys;
}

std::string FormatUtc(int64_t seconds) {
    const int64_t days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
    const int64_t rest = seconds - days * 86400;
    int64_t y = 0;
    unsigned m = 0, d = 0;
    CivilFromDays(days, y, m, d);
    char text[64];
    std::snprintf(text, sizeof(text), "%04lld-%02u-%02uT%02u:%02u:%02uZ", static_cast<long long>(y),
                  m, d, static_cast<unsigned>(rest / 3600), static_cast<unsigned>(rest / 60 % 60),
                  static_cast<unsigned>(rest % 60));
    return text;
}

std::optional<int64_t> ParseUtc(std::string_view text) {
    // YYYY-MM-DDTHH:MM:SSZ
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text[19] != 'Z') {
        return std::nullopt;
    }
    unsigned y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (!ParseDigits(text, 0, 4, y) || !ParseDigits(text, 5, 2, mo) ||
        !ParseDigits(text, 8, 2, d) || !ParseDigits(text, 11, 2, h) ||
        !ParseDigits(text, 14, 2, mi) || !ParseDigits(text, 17, 2, s)) {
        return std::nullopt;
    }
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59)
        return std::nullopt;
    const int64_t days = DaysFromCivil(y, mo, d);
    int64_t back_y = 0;
    unsigned back_m = 0, back_d = 0;
    CivilFromDays(days, back_y, back_m, back_d);
    if (back_m != mo || back_d != d)  // 31 April, 29 February of a common year
        return std::nullopt;
    return days * 86400 + h * 3600 + mi * 60 + s;
}

std::string FormatManifest(const ReleaseManifest& manifest) {
    if (HasLineBreakOrNul(manifest.stamp) || manifest.stamp.empty())
        return {};
    std::string text(kFormatLine);
    text += "\nrelease " + std::to_string(manifest.release);
    text += "\nexpires " + FormatUtc(manifest.expires);
    text += "\nstamp " + manifest.stamp;
    text += "\nver.html " + ToHex(manifest.versionSha256);
    text += "\nfile.html " + ToHex(manifest.listSha256);
    for (const SignedFile& file : manifest.files) {
        if (HasLineBreakOrNul(file.name))
            return {};
        text += "\nfile " + ToHex(file.sha256) + " " + file.name;
    }
    text += '\n';
    return text;
}

std::string AppendSignature(std::string text, const ReleaseSecretKey& secretKey) {
    InitSodium();
    std::array<uint8_t, crypto_sign_BYTES> signature{};
    crypto_sign_detached(signature.data(), nullptr,
                         reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                         secretKey.data());
    text += std::string(kSignatureKey) + ToHex(signature) + "\n";
    return text;
}

std::optional<SignedText> SplitSignedText(std::string_view text) {
    // The signature line is the last line; what it signs is everything
    // before it, byte for byte.
    if (text.empty() || text.back() != '\n' || text.find('\r') != std::string_view::npos ||
        text.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    const size_t lastStart = text.rfind('\n', text.size() - 2);
    if (lastStart == std::string_view::npos)
        return std::nullopt;
    std::string_view value;
    const std::string_view last = text.substr(lastStart + 1, text.size() - lastStart - 2);
    if (!TakeField(last, "signature", value))
        return std::nullopt;
    const auto signature = FromHex<64>(value);
    if (!signature)
        return std::nullopt;
    return SignedText{std::string(text.substr(0, lastStart + 1)), *signature};
}

bool IsSignedByOneOf(const SignedText& text, const std::vector<ReleasePublicKey>& keys) {
    InitSodium();
    for (const ReleasePublicKey& key : keys) {
        if (crypto_sign_verify_detached(text.signature.data(),
                                        reinterpret_cast<const unsigned char*>(text.body.data()),
                                        text.body.size(), key.data()) == 0) {
            return true;
        }
    }
    return false;
}

std::string SignRelease(const ReleaseManifest& manifest, const ReleaseSecretKey& secretKey) {
    std::string text = FormatManifest(manifest);
    return text.empty() ? text : AppendSignature(std::move(text), secretKey);
}

void MakeReleaseKeyPair(ReleasePublicKey& publicKey, ReleaseSecretKey& secretKey) {
    InitSodium();
    crypto_sign_keypair(publicKey.data(), secretKey.data());
}

std::optional<SignedRelease> ParseReleaseSignature(std::string_view text) {
    std::optional<SignedText> split = SplitSignedText(text);
    if (!split)
        return std::nullopt;
    SignedRelease result;
    std::string_view value;
    result.signature = split->signature;
    result.signedText = std::move(split->body);
    const size_t lastStart = result.signedText.size() - 1;

    std::vector<std::string_view> lines;
    for (size_t pos = 0; pos <= lastStart;) {
        const size_t end = text.find('\n', pos);
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    if (lines.size() < 6 || lines[0] != kFormatLine)
        return std::nullopt;
    ReleaseManifest& m = result.manifest;
    std::optional<uint64_t> release;
    std::optional<int64_t> expires;
    std::optional<Sha256Digest> versionSha, listSha;
    if (TakeField(lines[1], "release", value))
        release = ParseDecimalNumber(value);
    if (TakeField(lines[2], "expires", value))
        expires = ParseUtc(value);
    if (!TakeField(lines[3], "stamp", value) || value.empty())
        return std::nullopt;
    m.stamp = std::string(value);
    if (TakeField(lines[4], "ver.html", value))
        versionSha = FromHex<32>(value);
    if (TakeField(lines[5], "file.html", value))
        listSha = FromHex<32>(value);
    if (!release || !expires || !versionSha || !listSha)
        return std::nullopt;
    m.release = *release;
    m.expires = *expires;
    m.versionSha256 = *versionSha;
    m.listSha256 = *listSha;
    for (size_t i = 6; i < lines.size(); ++i) {
        // "file " + 64 hex digits + " " + a name that may hold blanks.
        if (!TakeField(lines[i], "file", value) || value.size() < 66 || value[64] != ' ')
            return std::nullopt;
        const auto digest = FromHex<32>(value.substr(0, 64));
        if (!digest)
            return std::nullopt;
        m.files.push_back({std::string(value.substr(65)), *digest});
    }
    return result;
}

ReleaseVerdict VerifyRelease(std::string_view sigText, const std::vector<ReleasePublicKey>& keys,
                             int64_t now, uint64_t highestAccepted, std::string_view versionText,
                             SignedRelease& out) {
    std::optional<SignedRelease> parsed = ParseReleaseSignature(sigText);
    if (!parsed)
        return ReleaseVerdict::Malformed;
    if (!IsSignedByOneOf({parsed->signedText, parsed->signature}, keys))
        return ReleaseVerdict::BadSignature;
    if (now >= parsed->manifest.expires)
        return ReleaseVerdict::Expired;
    if (parsed->manifest.release < highestAccepted)
        return ReleaseVerdict::RolledBack;
    if (Sha256Of(versionText) != parsed->manifest.versionSha256 ||
        ParseVersionText(versionText).stamp != parsed->manifest.stamp) {
        return ReleaseVerdict::HashMismatch;
    }
    out = std::move(*parsed);
    return ReleaseVerdict::Accepted;
}

ReleaseVerdict CheckSignedFileList(const ReleaseManifest& manifest, std::string_view listText) {
    if (Sha256Of(listText) != manifest.listSha256)
        return ReleaseVerdict::HashMismatch;
    const FileList list = DecodeFileList(listText);
    if (list.files.size() != manifest.files.size())
        return ReleaseVerdict::HashMismatch;
    for (size_t i = 0; i < list.files.size(); ++i) {
        if (list.files[i].name != manifest.files[i].name)
            return ReleaseVerdict::HashMismatch;
    }
    return ReleaseVerdict::Accepted;
}

const Sha256Digest* FindSignedFile(const ReleaseManifest& manifest, std::string_view name) {
    for (const SignedFile& file : manifest.files) {
        if (file.name == name)
            return &file.sha256;
    }
    return nullptr;
}
