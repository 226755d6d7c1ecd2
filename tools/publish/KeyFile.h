// The operator's signing key on disk: a text file readable by its owner only,
//   launcher-release-key 1
//   <libsodium's 64-byte Ed25519 secret key in hex>
#pragma once

#include <optional>
#include <string>

#include "update/format/ReleaseSignature.h"

// Makes a key pair and writes the secret key to a new file (mode 0600; an
// existing file is never overwritten). Gives the public key, or nothing with
// `error` set.
std::optional<ReleasePublicKey> CreateKeyFile(const std::string& path, std::string& error);

// The keygen command, for publish and the configure step's demo keys alike:
// CreateKeyFile, then the public key printed as hex (the value the launcher
// is built with), or the error printed after `program`. Gives the exit code.
int CreateKeyFileCommand(const std::string& path, const char* program);

std::optional<ReleaseSecretKey> ReadKeyFile(const std::string& path, std::string& error);

// The public half of a secret key.
ReleasePublicKey PublicKeyOf(const ReleaseSecretKey& secretKey);
