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
#include "update/format/ReleaseSignature.h"

struct crypto_hash_sha256_state;

class FileDigests {
public:
    FileDigests();
    ~FileDigests();
    // A signed release checks SHA-256 as well; before the first Update.
    void EnableSha256();
    void Update(const uint8_t* data, std::size_t size);
    uint64_t Length() const { return m_nLength; }
    // The MD5 hex text of everything given so far.
    std::string Md5Hex() const;
    // The SHA-256 of everything given so far (zeros unless enabled).
    Sha256Digest Sha256() const;

private:
    Md5State m_md5;
    std::array<uint8_t, kMd5BlockSize> m_tail{};  // bytes not yet a whole block
    std::size_t m_nTail = 0;
    uint64_t m_nLength = 0;
    std::unique_ptr<crypto_hash_sha256_state> m_pSha256;
};
