#include "tools/publish/KeyFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

constexpr char kHeader[] = "launcher-release-key 1\n";

bool WriteNew(const std::string& path, const std::string& text) {
#ifdef _WIN32
    // Windows has no mode bits; the folder's permissions protect the file.
    const int fd =
        ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return false;
    const bool written = ::_write(fd, text.data(), static_cast<unsigned>(text.size())) ==
                         static_cast<int>(text.size());
    return ::_close(fd) == 0 && written;
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0)
        return false;
    const bool written = ::fchmod(fd, 0600) == 0 &&
                         ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    return ::close(fd) == 0 && written;
#endif
}

}  // namespace

std::optional<ReleasePublicKey> CreateKeyFile(const std::string& path, std::string& error) {
    ReleasePublicKey publicKey{};
    ReleaseSecretKey secretKey{};
    MakeReleaseKeyPair(publicKey, secretKey);
    const std::string text = kHeader + ToHex(secretKey) + "\n";
    if (!WriteNew(path, text)) {
        error = "cannot create " + path + ": " + std::strerror(errno) +
                " (an existing key file is never overwritten)";
        return std::nullopt;
    }
    return publicKey;
}

int CreateKeyFileCommand(const std::string& path, const char* program) {
    std::string error;
    const auto publicKey = CreateKeyFile(path, error);
    if (!publicKey) {
        std::fprintf(stderr, "%s: %s\n", program, error.c_str());
        return 1;
    }
    std::printf("%s\n", ToHex(*publicKey).c_str());
    return 0;
}

std::optional<ReleaseSecretKey> ReadKeyFile(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t header = std::strlen(kHeader);
    if (!in.is_open() || text.compare(0, header, kHeader) != 0) {
        error = "cannot read a release key from " + path;
        return std::nullopt;
    }
    std::string hex = text.substr(header);
    while (!hex.empty() && (hex.back() == '\n' || hex.back() == '\r'))
        hex.pop_back();
    const auto key = FromHex<64>(hex);
    if (!key)
        error = path + " does not hold a release key";
    return key;
}

ReleasePublicKey PublicKeyOf(const ReleaseSecretKey& secretKey) {
    // libsodium keeps the public key as the second half of the secret key.
    ReleasePublicKey publicKey{};
    std::copy(secretKey.begin() + 32, secretKey.end(), publicKey.begin());
    return publicKey;
}
