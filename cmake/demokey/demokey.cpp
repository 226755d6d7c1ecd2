// demokey KEYFILE: what "publish keygen KEYFILE" does, for the configure step.
#include <cstdio>
#include <string>

#include "tools/publish/KeyFile.h"

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    std::string error;
    const auto publicKey = CreateKeyFile(argv[1], error);
    if (!publicKey) {
        std::fprintf(stderr, "demokey: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", ToHex(*publicKey).c_str());
    return 0;
}
