// demokey KEYFILE: what "publish keygen KEYFILE" does, for the configure step.
#include "tools/publish/KeyFile.h"

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    return CreateKeyFileCommand(argv[1], "demokey");
}
