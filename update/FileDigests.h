// The digests a downloaded file is checked against, taken over its bytes as
// they arrive in pieces of any size. Every digest the check needs is kept
// here, so all of them see the same bytes at the same place.
#pragma once

#include <sodium.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "identity/Md5Transform.h"
#include "update/ReleaseSignature.h"

class FileDigests {
public:
    // withSha256: also the SHA-256 that a signed release vouches for (it
    // costs more than the MD5, so only signed releases take it).
    explicit FileDigests(bool withSha256 = false);

    void Update(const uint8_t* data, std::size_t size);
    uint64_t Length() const { return m_nLength; }
    // The MD5 hex text of everything given so far.
    std::string Md5Hex() const;
    // The SHA-256 of everything given so far (all zeros without it).
    Sha256Digest Sha256() const;

private:
    Md5State m_md5;
    std::array<uint8_t, kMd5BlockSize> m_tail{};  // bytes not yet a whole block
    std::size_t m_nTail = 0;
    uint64_t m_nLength = 0;
    bool m_bSha256;
    crypto_hash_sha256_state m_sha256;
};
