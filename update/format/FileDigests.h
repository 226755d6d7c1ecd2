// The digests a downloaded file is checked against, taken over its bytes as
// they arrive in pieces of any size. Every digest the check needs is kept
// here, so all of them see the same bytes at the same place.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "identity/Md5Transform.h"
#include "update/format/Sha256.h"

// What a downloaded file is checked by: the MD5 that the file list gives,
// or, in a signed release, the signed SHA-256 alone. The signature binds
// the listed MD5 to the same bytes, so the MD5 would prove nothing more,
// and taking it costs as much processor time as the SHA-256.
enum class FileDigest { Md5, Sha256 };

class FileDigests {
public:
    // The one digest `taken`; EnableSha256 adds the SHA-256 to the MD5.
    explicit FileDigests(FileDigest taken = FileDigest::Md5);
    ~FileDigests();
    // Before the first Update.
    void EnableSha256();
    void Update(const uint8_t* data, std::size_t size);
    uint64_t Length() const { return m_nLength; }
    // The MD5 hex text of everything given so far (empty when not taken).
    std::string Md5Hex() const;
    // The SHA-256 of everything given so far (zeros when not taken).
    Sha256Digest Sha256() const;

private:
    bool m_bMd5;
    Md5State m_md5;
    std::array<uint8_t, kMd5BlockSize> m_tail{};  // bytes not yet a whole block
    std::size_t m_nTail = 0;
    uint64_t m_nLength = 0;
    std::unique_ptr<Sha256Stream> m_pSha256;
};
