// Saved logins set up and read back on the test prefix's real HKCU, through
// the registry API itself. Every test starts and ends without the launcher's
// keys.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "identity/HexCodec.h"
#include "login/AccountKeys.h"

class RegistryFixture : public ::testing::Test {
protected:
    void SetUp() override { DeleteAll(); }
    void TearDown() override { DeleteAll(); }

    static void DeleteAll() { ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\DaRidaZorozo"); }

    static void PutString(const std::string& path, const char* name, const std::string& value) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE,
                                    nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>(value.size() + 1));
        ::RegCloseKey(key);
    }

    static void PutDword(const std::string& path, const char* name, DWORD value) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE,
                                    nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                         sizeof(value));
        ::RegCloseKey(key);
    }

    // A remembered account as a login leaves it, with the password option on.
    static void PutAccount(const std::string& name, const std::string& password, DWORD line) {
        PutString(Account(name), "UserAccount", name);
        PutString(Account(name), "UserPassword", ScrambleText(password));
        PutDword(Account(name), "SavePassWord", 1);
        PutDword(Account(name), "Server", line);
    }

    // A last login with its password remembered, without auto-logon, on line
    // 1 with the automatic server choice.
    static void PutLastLogin(const std::string& account, const std::string& password) {
        PutString(kLast, "UserAccount", account);
        PutString(kLast, "UserPassword", ScrambleText(password));
        PutDword(kLast, "SavePassWord", 1);
        PutDword(kLast, "AutoLogon", 0);
        PutDword(kLast, "Server", 1);
        PutDword(kLast, "AutoSelectServer", 1);
    }

    static bool HasKey(const std::string& path) {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return false;
        }
        ::RegCloseKey(key);
        return true;
    }

    // The value's text, or "<none>" when it is missing.
    static std::string GetString(const std::string& path, const char* name) {
        char buffer[512] = {};
        DWORD size = sizeof(buffer);
        if (::RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer,
                           &size) != ERROR_SUCCESS) {
            return "<none>";
        }
        return buffer;
    }

    // The value, or -1 when it is missing.
    static long GetDword(const std::string& path, const char* name) {
        DWORD value = 0;
        DWORD size = sizeof(value);
        if (::RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value,
                           &size) != ERROR_SUCCESS) {
            return -1;
        }
        return static_cast<long>(value);
    }

    static std::string Account(const std::string& name) { return accounts::AccountKeyPath(name); }
    static constexpr const char* kLast = accounts::kLastLogonKey;
};
