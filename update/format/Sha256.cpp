#include "update/format/Sha256.h"

#include <botan/hash.h>

// SHA-256 is built into every tree (cmake/Dependencies.cmake): the look-up
// always finds it.
Sha256Stream::Sha256Stream() : m_pHash(Botan::HashFunction::create("SHA-256")) {}

Sha256Stream::~Sha256Stream() = default;

void Sha256Stream::Update(const uint8_t* data, std::size_t size) {
    m_pHash->update(data, size);
}

Sha256Digest Sha256Stream::Digest() const {
    Sha256Digest digest{};
    m_pHash->copy_state()->final(digest.data());
    return digest;
}

std::string Sha256Stream::Code() const {
    return m_pHash->provider();
}
