#include "identity/HDSerial.h"

#include <windows.h>
#include <winioctl.h>
#include <ntddscsi.h>

#include <array>
#include <cstddef>
#include <cstring>

#include "base/Handles.h"
#include "identity/IdentityText.h"

namespace {

// The drivers size their parameter blocks without packing: the command block
// is 35 bytes on the way in, and the answer has its 512 data bytes after a
// 16-byte head (20 + 512 - 1 = 531 bytes in all).
constexpr DWORD kCommandInSize = 35;
constexpr DWORD kIdentifyOutSize = 531;
constexpr std::size_t kAnswerDataOffset = 16;
constexpr std::size_t kIdentifyBytes = 512;

constexpr BYTE kIdentifyDevice = 0xEC;
constexpr BYTE kIdentifyPacketDevice = 0xA1;
constexpr BYTE kAtapiDeviceMapBit = 0x10;

constexpr ULONG kMiniportIdentify = 0x001B0501;
constexpr std::size_t kSrbHeaderSize = sizeof(SRB_IO_CONTROL);
static_assert(kSrbHeaderSize == 28, "SRB_IO_CONTROL is 28 bytes");
constexpr DWORD kMiniportInSize = kSrbHeaderSize + kCommandInSize;
constexpr DWORD kMiniportOutSize = 560;
constexpr std::size_t kModelNumberByte = 54;

Base::UniqueKernelHandle OpenDevice(const char* path) {
    return Base::UniqueKernelHandle(::CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                  OPEN_EXISTING, 0, nullptr));
}

void CopyIdentify(const BYTE* data, IdentifyWords& words) {
    std::memcpy(words.data(), data, kIdentifyBytes);
}

// The SMART driver wants the whole register set (one sector, drive 0 on the
// first channel: head 0xA0); the miniport only reads the command and the
// target drive.
void WriteCommand(BYTE* at, BYTE command, BYTE drive, bool fullRegisters) {
    SENDCMDINPARAMS params = {};
    params.bDriveNumber = drive;
    params.irDriveRegs.bCommandReg = command;
    if (fullRegisters) {
        params.cBufferSize = kIdentifyBytes;
        params.irDriveRegs.bSectorCountReg = 1;
        params.irDriveRegs.bSectorNumberReg = 1;
        params.irDriveRegs.bDriveHeadReg = 0xA0;
    }
    std::memcpy(at, &params, offsetof(SENDCMDINPARAMS, bBuffer));
}

bool ReadBySmart(IdentifyWords& words) {
    const Base::UniqueKernelHandle drive = OpenDevice("\\\\.\\PhysicalDrive0");
    if (!drive)
        return false;
    GETVERSIONINPARAMS version = {};
    DWORD returned = 0;
    if (!::DeviceIoControl(drive.get(), SMART_GET_VERSION, nullptr, 0, &version, sizeof(version),
                           &returned, nullptr) ||
        version.bIDEDeviceMap == 0)
        return false;
    const BYTE command =
        (version.bIDEDeviceMap & kAtapiDeviceMapBit) ? kIdentifyPacketDevice : kIdentifyDevice;
    alignas(4) std::array<BYTE, 36> in = {};
    WriteCommand(in.data(), command, 0, true);
    alignas(4) std::array<BYTE, kIdentifyOutSize> out = {};
    if (!::DeviceIoControl(drive.get(), SMART_RCV_DRIVE_DATA, in.data(), kCommandInSize, out.data(),
                           kIdentifyOutSize, &returned, nullptr))
        return false;
    CopyIdentify(out.data() + kAnswerDataOffset, words);
    return true;
}

bool ReadByScsiMiniport(IdentifyWords& words) {
    const Base::UniqueKernelHandle port = OpenDevice("\\\\.\\Scsi0:");
    if (!port)
        return false;
    for (BYTE target = 0; target < 2; ++target) {
        alignas(4) std::array<BYTE, kMiniportOutSize> buffer = {};
        SRB_IO_CONTROL header = {};
        header.HeaderLength = kSrbHeaderSize;
        std::memcpy(header.Signature, "SCSIDISK", 8);
        header.Timeout = 10000;
        header.ControlCode = kMiniportIdentify;
        header.Length = kMiniportOutSize - kSrbHeaderSize;
        std::memcpy(buffer.data(), &header, sizeof(header));
        WriteCommand(buffer.data() + kSrbHeaderSize, kIdentifyDevice, target, false);
        DWORD returned = 0;
        const BYTE* identify = buffer.data() + kSrbHeaderSize + kAnswerDataOffset;
        if (::DeviceIoControl(port.get(), IOCTL_SCSI_MINIPORT, buffer.data(), kMiniportInSize,
                              buffer.data(), kMiniportOutSize, &returned, nullptr) &&
            identify[kModelNumberByte] != 0) {
            CopyIdentify(identify, words);
            return true;
        }
    }
    return false;
}

}  // namespace

std::string CGetHDSerial::GetHDSerial() {
    IdentifyWords words = {};
    if (!ReadBySmart(words))
        ReadByScsiMiniport(words);
    return SerialFromIdentify(words);
}
