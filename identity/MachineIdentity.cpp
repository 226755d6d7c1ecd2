#include "identity/MachineIdentity.h"

#include <windows.h>
#include <iphlpapi.h>
#include <cpuid.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Handles.h"
#include "identity/HDSerial.h"
#include "identity/IdentityText.h"

namespace {

bool IsSystemLeadByte(unsigned char byte) {
    return ::IsDBCSLeadByte(byte) != FALSE;
}

std::string MacAddressText() {
    ULONG size = 0;
    if (::GetAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW)
        return std::string();
    const std::unique_ptr<BYTE[]> buffer(new BYTE[size]);
    auto* adapters = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get());
    // The list may have grown since the first call; then the field stays empty.
    if (::GetAdaptersInfo(adapters, &size) != ERROR_SUCCESS)
        return std::string();
    std::vector<AdapterAddress> addresses;
    for (const IP_ADAPTER_INFO* adapter = adapters; adapter; adapter = adapter->Next) {
        AdapterAddress address;
        std::memcpy(address.data(), adapter->Address, address.size());
        addresses.push_back(address);
    }
    return FirstAdapterMacText(addresses);
}

std::optional<std::string> ReadMachineText(const char* keyPath, const char* valueName) {
    Base::UniqueKey key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    // One byte more than the value may fill, so a full 256-byte value still
    // ends in a NUL.
    unsigned char data[257] = {};
    DWORD size = 256;
    if (::RegQueryValueExA(key.get(), valueName, nullptr, nullptr, data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return TextOfRegistryData(data, size);
}

std::string ProcessorText() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    __cpuid(0, eax, ebx, ecx, edx);
    __cpuid(1, eax, ebx, ecx, edx);
    return ProcessorWordText(edx);
}

// At most 4 bytes of any registry type, little-endian; a longer value fails.
bool ReadBarId(HKEY key, std::uint32_t& barNumber) {
    unsigned char data[4] = {};
    DWORD size = sizeof(data);
    if (::RegQueryValueExA(key, "BarId", nullptr, nullptr, data, &size) != ERROR_SUCCESS)
        return false;
    barNumber = data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24;
    return true;
}

std::uint32_t ReadBarIdInDefaultView() {
    Base::UniqueKey key;
    std::uint32_t barNumber = 0;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\iCafe8", 0, KEY_READ, key.put()) ==
            ERROR_SUCCESS &&
        ReadBarId(key.get(), barNumber))
        return barNumber;
    return 0;
}

}  // namespace

void FillMachineInfo(MachineInfo& info) {
    std::memset(&info, 0, sizeof(info));
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (::GetVersionExA(&version)) {
        CopyFirstCharacters(info.szSystemVer, sizeof(info.szSystemVer),
                            SystemVersionText(version.dwMajorVersion, version.dwMinorVersion,
                                              version.dwBuildNumber));
    }
    CopyFirstCharacters(info.szMacAddress, sizeof(info.szMacAddress), MacAddressText());
    CopyLastCharacters(info.szHDSerial, sizeof(info.szHDSerial),
                       CleanIdentityText(CGetHDSerial().GetHDSerial(), IsSystemLeadByte),
                       IsSystemLeadByte);
    CopyFirstCharacters(info.szBiosSerial, sizeof(info.szBiosSerial),
                        BiosText(version.dwMajorVersion, ReadMachineText, IsSystemLeadByte),
                        IsSystemLeadByte);
    CopyFirstCharacters(info.szCpuSerial, sizeof(info.szCpuSerial), ProcessorText());
}

// A 32-bit installation of the café software on a 64-bit system keeps its
// key in the 32-bit view only, hence the second look in the default view.
std::uint32_t ReadBarNumber() {
    Base::UniqueKey key64;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\iCafe8", 0, KEY_READ | KEY_WOW64_64KEY,
                        key64.put()) != ERROR_SUCCESS)
        return ReadBarIdInDefaultView();
    std::uint32_t barNumber = 0;
    if (ReadBarId(key64.get(), barNumber))
        return barNumber;
    return ReadBarIdInDefaultView();
}
