// SHA-256 over bytes given in pieces of any size. The code is Botan's: it
// uses the processor's SHA instructions where the processor has them
// (asked once, at run time) and portable code where it has not, so the same
// program runs on every processor and digests several times faster on the
// ones players have had for years.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace Botan {
class HashFunction;
}

using Sha256Digest = std::array<uint8_t, 32>;

class Sha256Stream {
public:
    Sha256Stream();
    ~Sha256Stream();
    Sha256Stream(const Sha256Stream&) = delete;
    Sha256Stream& operator=(const Sha256Stream&) = delete;

    void Update(const uint8_t* data, std::size_t size);
    // The digest of everything given so far; more may follow.
    Sha256Digest Digest() const;
    // Which code digests: "shani" with the processor's instructions, else
    // the name of the portable code. For benchmarks and tests.
    std::string Code() const;

private:
    std::unique_ptr<Botan::HashFunction> m_pHash;
};
