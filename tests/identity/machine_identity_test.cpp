// The fingerprint and the bar number read from this Wine: the real adapter
// list, processor and version, and HKLM values that the tests write and put
// back. The disk ioctls fail here, so the disk field must come out empty
// without leaking a device handle.
#include <windows.h>
#include <iphlpapi.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "identity/HDSerial.h"
#include "identity/MachineIdentity.h"

namespace {

constexpr char kBiosKey[] = "HARDWARE\\DESCRIPTION\\System\\BIOS";
constexpr char kCafeKey[] = "SOFTWARE\\iCafe8";

// A value of HKLM that a test overwrites; the old one comes back afterwards.
class SavedValue {
public:
    SavedValue(const char* key, const char* name) : m_key(key), m_name(name) {
        DWORD size = 0;
        m_existed = ::RegGetValueA(HKEY_LOCAL_MACHINE, key, name, RRF_RT_ANY | RRF_NOEXPAND,
                                   &m_type, nullptr, &size) == ERROR_SUCCESS;
        m_data.resize(size);
        if (m_existed)
            ::RegGetValueA(HKEY_LOCAL_MACHINE, key, name, RRF_RT_ANY | RRF_NOEXPAND, &m_type,
                           m_data.data(), &size);
    }
    ~SavedValue() {
        if (m_existed)
            Put(m_key, m_name, m_type, m_data);
        else
            ::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, m_key, m_name);
    }

    static void Put(const char* key, const char* name, DWORD type,
                    const std::vector<unsigned char>& data) {
        ASSERT_EQ(::RegSetKeyValueA(HKEY_LOCAL_MACHINE, key, name, type, data.data(),
                                    static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }
    static void PutText(const char* key, const char* name, const char* text, DWORD type = REG_SZ) {
        Put(key, name, type,
            std::vector<unsigned char>(text,
                                       text + std::strlen(text) + 1 + (type == REG_MULTI_SZ)));
    }

private:
    const char* m_key;
    const char* m_name;
    bool m_existed = false;
    DWORD m_type = 0;
    std::vector<unsigned char> m_data;
};

bool IsUpperHex(const char* text, size_t digits) {
    if (std::strlen(text) != digits)
        return false;
    for (size_t i = 0; i < digits; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])) && (text[i] < 'A' || text[i] > 'F'))
            return false;
    }
    return true;
}

// Whether any adapter has a non-zero address (a machine with only loopback,
// such as a bare network namespace, has none).
bool HasAddressedAdapter() {
    ULONG size = 0;
    if (::GetAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW)
        return false;
    std::vector<unsigned char> buffer(size);
    auto* adapter = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
    if (::GetAdaptersInfo(adapter, &size) != ERROR_SUCCESS)
        return false;
    for (; adapter; adapter = adapter->Next) {
        for (int i = 0; i < 6; ++i)
            if (adapter->Address[i] != 0)
                return true;
    }
    return false;
}

MachineInfo Filled() {
    MachineInfo info;
    std::memset(&info, 0x5A, sizeof(info));
    FillMachineInfo(info);
    return info;
}

TEST(MachineIdentity, FieldsFromThisMachine) {
    const MachineInfo info = Filled();
    EXPECT_EQ(std::strncmp(info.szSystemVer, "Win:", 4), 0) << info.szSystemVer;
    EXPECT_TRUE(IsUpperHex(info.szCpuSerial, 8)) << info.szCpuSerial;
    if (HasAddressedAdapter()) {
        EXPECT_TRUE(IsUpperHex(info.szMacAddress, 12)) << info.szMacAddress;
        EXPECT_STRNE(info.szMacAddress, "000000000000");
    } else {
        EXPECT_STREQ(info.szMacAddress, "") << "no adapter has an address";
    }
    EXPECT_STREQ(info.szHDSerial, "") << "this Wine refuses the disk ioctls";
    // Every field is zero after its text: the record was cleared first.
    const char* fields[] = {info.szSystemVer, info.szBiosSerial, info.szCpuSerial, info.szHDSerial};
    for (const char* field : fields) {
        for (size_t i = std::strlen(field); i < 16; ++i)
            EXPECT_EQ(field[i], 0) << field;
    }
    EXPECT_EQ(info.szMacAddress[12] | info.szMacAddress[16], 0);
}

TEST(MachineIdentity, DiskQueriesCloseTheirDevices) {
    // This Wine's handle count is a stub, but it always hands out the lowest
    // free handle: a device left open by a query would take the slot of the
    // event closed before it. (Here the drive opens and its ioctls fail.)
    const HANDLE probe = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ::CloseHandle(probe);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(CGetHDSerial().GetHDSerial(), "");
    const HANDLE again = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(again, probe);
    ::CloseHandle(again);
}

TEST(MachineIdentity, BiosTextFromTheRegistry) {
    const SavedValue version(kBiosKey, "BIOSVersion");
    const SavedValue board(kBiosKey, "BaseBoardProduct");
    SavedValue::PutText(kBiosKey, "BIOSVersion", "ALASKA - 1072009 REV 5.17");
    SavedValue::PutText(kBiosKey, "BaseBoardProduct", "PRIME B450M-A");
    EXPECT_STREQ(Filled().szBiosSerial, "ALASKA-1072009R");

    // Too short to tell machines apart: the board's name stands in.
    SavedValue::PutText(kBiosKey, "BIOSVersion", "1.0\0REV 2.0", REG_MULTI_SZ);
    EXPECT_STREQ(Filled().szBiosSerial, "PRIMEB450M-A");
    ::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kBiosKey, "BaseBoardProduct");
    EXPECT_STREQ(Filled().szBiosSerial, "1.0");

    // A full 256-byte value without a NUL still reads; a longer one does not.
    SavedValue::Put(kBiosKey, "BIOSVersion", REG_BINARY, std::vector<unsigned char>(256, 'V'));
    EXPECT_STREQ(Filled().szBiosSerial, "VVVVVVVVVVVVVVV");
    SavedValue::Put(kBiosKey, "BIOSVersion", REG_BINARY, std::vector<unsigned char>(257, 'V'));
    const MachineInfo info = Filled();
    EXPECT_STREQ(info.szBiosSerial, "");
    EXPECT_TRUE(IsUpperHex(info.szCpuSerial, 8)) << "the other fields are still filled";
}

TEST(MachineIdentity, BarNumberOfAnyTypeUpToFourBytes) {
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kCafeKey);
    EXPECT_EQ(ReadBarNumber(), 0u) << "no café software";
    const DWORD bar = 12345;
    SavedValue::Put(kCafeKey, "BarId", REG_DWORD,
                    std::vector<unsigned char>(reinterpret_cast<const unsigned char*>(&bar),
                                               reinterpret_cast<const unsigned char*>(&bar + 1)));
    EXPECT_EQ(ReadBarNumber(), 12345u);
    SavedValue::Put(kCafeKey, "BarId", REG_BINARY, {0x39, 0x30});
    EXPECT_EQ(ReadBarNumber(), 12345u) << "little-endian, zero-extended";
    SavedValue::PutText(kCafeKey, "BarId", "12");
    EXPECT_EQ(ReadBarNumber(), 0x3231u) << "a text's bytes are taken as the number";
    SavedValue::Put(kCafeKey, "BarId", REG_BINARY, {1, 2, 3, 4, 5});
    EXPECT_EQ(ReadBarNumber(), 0u) << "longer than 4 bytes";
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kCafeKey);
}

}  // namespace
