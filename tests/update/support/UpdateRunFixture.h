// A recording view, a fresh installation with an old stamp, and the mirror's
// new version: what every whole-run test starts from.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/Handles.h"
#include "tests/update/support/MirrorFixture.h"
#include "tests/update/support/RecordingView.h"
#include "update/run/UpdateRun.h"

using Texts = std::vector<std::string>;

// Bytes that neither compress nor repeat, so that a piece of a file in the
// wrong place shows.
inline std::string Noise(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 24);
    }
    return bytes;
}

inline const std::string kStamp = "20261207stamp0000001";
inline const std::string kOldStamp = "20261101stamp0000000";
inline constexpr char kUpdating[] = "正在更新...";
inline constexpr char kVersionFailed[] = "版本文件下载失败...";
inline constexpr char kChecking[] = "校对版本...";
inline constexpr char kDownloading[] = "更新中...";
inline constexpr char kReady[] = "请输入账号和密码：";

class UpdateRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        mirror::ClearFaults();
        ::DeleteFileA(Local("Launcher.log").c_str());
        mirror::WriteFile(Local("ver.ini"), kOldStamp);
        mirror::PublishVersion("2.5.0", kStamp);
    }
    static std::string Local(const std::string& name) { return mirror::InstallDir() + name; }
    static std::string LocalText(const std::string& name) { return mirror::ReadFile(Local(name)); }
    static bool HasTemp(const std::string& name) { return mirror::Exists(Local(name + ".tmp")); }

    void ExpectReady() {
        EXPECT_EQ(v.shown.state, kReady);
        EXPECT_TRUE(v.engine.m_bUpdateFinished);
        EXPECT_FALSE(v.engine.m_bUpdating);
        EXPECT_EQ(v.shown.allFiles, 100);
        EXPECT_EQ(v.shown.allFilesLabel, 100);
        EXPECT_TRUE(v.shown.login && v.shown.repair);
    }

    static Base::UniqueKernelHandle CopyThreadHandle(const UpdateRun& run) {
        HANDLE copy = nullptr;
        ::DuplicateHandle(::GetCurrentProcess(), run.m_hThread.get(), ::GetCurrentProcess(), &copy,
                          SYNCHRONIZE, FALSE, 0);
        return Base::UniqueKernelHandle(copy);
    }

    RecordingView v;
};
