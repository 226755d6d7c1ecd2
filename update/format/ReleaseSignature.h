// "release.sig": the operator's signed statement about one release. Text
// lines, LF-terminated:
//
//   launcher-release 1
//   release N                      (a number that only grows)
//   expires YYYY-MM-DDTHH:MM:SSZ   (UTC)
//   stamp STAMP                    (the stamp of ver.html)
//   ver.html SHA256HEX
//   file.html SHA256HEX
//   file SHA256HEX NAME            (one per file-list entry, in list order)
//   signature ED25519HEX           (over every byte before this line)
//
// Pure: parsing, formatting, signing and the checks the launcher and the
// publish tool share. The cryptography is libsodium's.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "identity/HexDigits.h"
#include "update/format/Sha256.h"

inline constexpr char kReleaseSigName[] = "release.sig";

using ReleasePublicKey = std::array<uint8_t, 32>;
using ReleaseSecretKey = std::array<uint8_t, 64>;  // libsodium's seed + public key

struct SignedFile {
    std::string name;  // as listed in file.html
    Sha256Digest sha256{};
};

struct ReleaseManifest {
    uint64_t release = 0;
    int64_t expires = 0;  // seconds since 1970-01-01 UTC
    std::string stamp;
    Sha256Digest versionSha256{};
    Sha256Digest listSha256{};
    std::vector<SignedFile> files;
};

struct SignedRelease {
    ReleaseManifest manifest;
    std::string signedText;  // every byte before the signature line
    std::array<uint8_t, 64> signature{};
};

// Why a release was refused; Accepted when it was not.
enum class ReleaseVerdict {
    Accepted,
    Malformed,
    BadSignature,
    Expired,
    RolledBack,
    HashMismatch,
    TooLarge,  // a text over its cap, or a file body longer than listed
    // The highest release accepted so far cannot be known: its record
    // exists but cannot be read or holds no number.
    StateUnreadable,
};

// A release number or an object size: 1 to 18 decimal digits and nothing
// else, so it never overflows.
std::optional<uint64_t> ParseDecimalNumber(std::string_view text);

// The words a log line names the reason with ("signature", "expired", ...).
const char* ReleaseVerdictReason(ReleaseVerdict verdict);

Sha256Digest Sha256Of(std::string_view bytes);
template <size_t N>
std::string ToHex(const std::array<uint8_t, N>& bytes) {
    return ToHex(bytes.data(), N);
}
// Exactly 2*N hex digits (either case); nothing otherwise.
template <size_t N>
std::optional<std::array<uint8_t, N>> FromHex(std::string_view text);

// Keys as configured: hex public keys separated by blanks, commas or
// semicolons. Nothing when any of them is not 64 hex digits.
std::optional<std::vector<ReleasePublicKey>> ParseReleaseKeys(std::string_view text);

// "2027-01-31T12:00:00Z" and back; nothing for any other shape or a date
// that does not exist.
std::string FormatUtc(int64_t seconds);
std::optional<int64_t> ParseUtc(std::string_view text);

// The signed part of release.sig for a manifest; empty when a file name or
// the stamp holds a line break or NUL.
std::string FormatManifest(const ReleaseManifest& manifest);
// The whole release.sig, signed with secretKey; empty as above.
std::string SignRelease(const ReleaseManifest& manifest, const ReleaseSecretKey& secretKey);
// A fresh key pair from the system's random source.
void MakeReleaseKeyPair(ReleasePublicKey& publicKey, ReleaseSecretKey& secretKey);

std::optional<SignedRelease> ParseReleaseSignature(std::string_view text);

// Signed texts end in one line "signature ED25519HEX" over every byte
// before it. release.sig is one; the patch index is another.
struct SignedText {
    std::string body;  // every byte before the signature line
    std::array<uint8_t, 64> signature{};
};
// text + its signature line.
std::string AppendSignature(std::string text, const ReleaseSecretKey& secretKey);
// Nothing unless text ends in a well-formed signature line and holds no CR
// or NUL.
std::optional<SignedText> SplitSignedText(std::string_view text);
bool IsSignedByOneOf(const SignedText& text, const std::vector<ReleasePublicKey>& keys);

// Checks release.sig against the fetched version text: parsed, signed by one
// of keys, not expired at `now`, a release number not below highestAccepted,
// and the SHA-256 of versionText as signed. Fills `out` on acceptance.
ReleaseVerdict VerifyRelease(std::string_view sigText, const std::vector<ReleasePublicKey>& keys,
                             int64_t now, uint64_t highestAccepted, std::string_view versionText,
                             SignedRelease& out);

// The fetched file list: its SHA-256 as signed, and its entries the signed
// files, name for name and in order.
ReleaseVerdict CheckSignedFileList(const ReleaseManifest& manifest, std::string_view listText);

// The signed digest of a listed name; nothing when the name is not signed.
const Sha256Digest* FindSignedFile(const ReleaseManifest& manifest, std::string_view name);
