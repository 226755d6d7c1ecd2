// The machine's fingerprint and the internet café's bar number, read afresh
// for every web request. Failures leave a field empty (or the number 0).
#pragma once

#include <cstdint>

#include "identity/MachineInfo.h"

void FillMachineInfo(MachineInfo& info);

// "BarId" of the iCafe8 café software, 0 when it is not installed.
std::uint32_t ReadBarNumber();
