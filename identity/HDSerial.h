// Reads the serial number of the first disk from its ATA IDENTIFY data,
// through the SMART driver interface and, failing that, the first SCSI
// port's miniport. Both need administrator rights on Windows; without them,
// or on a disk that answers neither, the serial is empty.
#pragma once

#include <string>

class CGetHDSerial {
public:
    virtual ~CGetHDSerial() = default;

    // Up to 20 characters, trailing spaces removed; empty when no path worked.
    std::string GetHDSerial();
};
