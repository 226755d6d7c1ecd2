// The machine's fingerprint as the web services receive it: five short texts
// in fixed-size fields, refilled for every request.
#pragma once

struct MachineInfo {
    char szSystemVer[16];
    char szBiosSerial[16];
    char szCpuSerial[16];
    char szHDSerial[16];
    char szMacAddress[17];
};
static_assert(sizeof(MachineInfo) == 81, "the fingerprint record is 81 bytes");
