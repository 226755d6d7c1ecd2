#include <cstring>

#include "launcher_settings.h"
#include "tests/package/PackageFixture.h"
#include "ui/LibInterface.h"

namespace {

using namespace package_test;
using SkinUI::ExtractEntry;
using SkinUI::GetEntrySize;
using SkinUI::OpenPackage;
using SkinUI::ScopedPackage;

const std::string kPassword = settings::kPackagePassword;

std::string Extract(SkinUI::ZipPackage* package, const std::string& name,
                    const std::string& password, int& result) {
    const uint32_t size = GetEntrySize(package, name.c_str());
    std::string bytes(size, '\0');
    result = ExtractEntry(package, name.c_str(), password.c_str(), bytes.data(), size);
    return bytes;
}

class PackageReader : public ::testing::Test {
protected:
    void SetUp() override {
        // Incompressible, so its data spans the whole member.
        std::string image(70000, '\0');
        uint32_t state = 12345;
        for (char& c : image) {
            state = state * 1103515245u + 12345u;
            c = static_cast<char>(state >> 24);
        }
        members = {{"Launcher.xml", "<Window size=\"10,10\"/>"},
                   {"image\\bg.png", image},
                   {"empty.txt", ""}};
        MakePackage(dir.File("Launcher.pkg"), kPassword, members);
    }

    ScratchDir dir;
    std::vector<pkgpack::PackageMember> members;
};

TEST_F(PackageReader, ListsEveryMemberAndExtractsItUnderTheRealPassword) {
    ScopedPackage package(OpenPackage(dir.File("Launcher.pkg").c_str(), kPassword.c_str()));
    ASSERT_TRUE(package);
    ASSERT_EQ(package->entries.size(), 3u);
    EXPECT_EQ(package->password, kPassword);
    for (size_t i = 0; i < members.size(); ++i) {
        EXPECT_EQ(package->entries[i].name, members[i].name);
        EXPECT_EQ(package->entries[i].info.uncompressed_size, members[i].bytes.size());
        EXPECT_EQ(package->entries[i].info.flag & 1u, 1u) << "every member is encrypted";
        EXPECT_EQ(package->entries[i].info.compression_method, 8u) << "every member is deflated";
    }
    int result = 0;
    EXPECT_EQ(Extract(package.get(), "image\\bg.png", kPassword, result), members[1].bytes);
    EXPECT_EQ(result, 70000);
    // The same package serves a second extraction: nothing is left open in between.
    EXPECT_EQ(Extract(package.get(), "Launcher.xml", kPassword, result), members[0].bytes);
}

TEST_F(PackageReader, FallsBackToTheNameWithZipAppended) {
    fs::rename(dir.File("Launcher.pkg"), dir.File("Launcher.pkg.zip"));
    ScopedPackage package(OpenPackage(dir.File("Launcher.pkg").c_str(), kPassword.c_str()));
    ASSERT_TRUE(package);
    EXPECT_EQ(package->entries.size(), 3u);
    EXPECT_FALSE(OpenPackage(dir.File("Other.pkg").c_str(), kPassword.c_str()));
    EXPECT_FALSE(OpenPackage(nullptr, kPassword.c_str()));
}

TEST_F(PackageReader, NamesMatchIgnoringAsciiCaseButNotSeparators) {
    ScopedPackage package(OpenPackage(dir.File("Launcher.pkg").c_str(), kPassword.c_str()));
    ASSERT_TRUE(package);
    int result = 0;
    EXPECT_EQ(GetEntrySize(package.get(), "launcher.xml"), members[0].bytes.size());
    EXPECT_EQ(Extract(package.get(), "LAUNCHER.XML", kPassword, result), members[0].bytes);
    EXPECT_EQ(GetEntrySize(package.get(), "IMAGE\\BG.PNG"), 70000u);

    char buffer[16];
    EXPECT_EQ(GetEntrySize(package.get(), "image/bg.png"), 0u);
    EXPECT_EQ(ExtractEntry(package.get(), "image/bg.png", kPassword.c_str(), buffer, 16), 0);
    EXPECT_EQ(GetEntrySize(package.get(), "Launcher.xm"), 0u) << "a prefix is not a match";
    EXPECT_EQ(GetEntrySize(package.get(), "Launcher.xmlx"), 0u);
    EXPECT_EQ(GetEntrySize(package.get(), "empty.txt"), 0u) << "present but empty";
    EXPECT_EQ(GetEntrySize(nullptr, "Launcher.xml"), 0u);
    EXPECT_EQ(ExtractEntry(nullptr, "Launcher.xml", kPassword.c_str(), buffer, 16), 0);
}

TEST_F(PackageReader, LongNamesAreListedButNeverExtracted) {
    const std::string longName(256, 'n');
    const std::string longest(255, 'm');
    MakePackage(dir.File("long.pkg"), kPassword, {{longName, "x"}, {longest, "y"}});
    ScopedPackage package(OpenPackage(dir.File("long.pkg").c_str(), kPassword.c_str()));
    ASSERT_TRUE(package);
    EXPECT_EQ(package->entries[0].name, longName);
    char buffer[4] = {};
    EXPECT_EQ(ExtractEntry(package.get(), longName.c_str(), kPassword.c_str(), buffer, 4), 0);
    EXPECT_EQ(ExtractEntry(package.get(), longest.c_str(), kPassword.c_str(), buffer, 4), 1);
    EXPECT_EQ(buffer[0], 'y');
}

TEST_F(PackageReader, AWrongPasswordNeverDeliversTheWholeMember) {
    ScopedPackage package(OpenPackage(dir.File("Launcher.pkg").c_str(), "wrong"));
    ASSERT_TRUE(package) << "the directory is not encrypted";
    for (const auto& entry : package->entries) {
        if (entry.info.uncompressed_size == 0)
            continue;
        int result = 0;
        Extract(package.get(), entry.name, "wrong", result);
        EXPECT_LT(result, static_cast<int>(entry.info.uncompressed_size)) << entry.name;
    }
}

TEST_F(PackageReader, DamagedArchivesAndMembersGiveFailureValues) {
    const std::string whole = ReadAll(dir.File("Launcher.pkg"));
    // Cut off the directory: the archive no longer opens.
    dir.Write("cut.pkg", whole.substr(0, whole.size() / 2));
    EXPECT_FALSE(OpenPackage(dir.File("cut.pkg").c_str(), kPassword.c_str()));
    dir.Write("junk.pkg", std::string(4096, 'Z'));
    EXPECT_FALSE(OpenPackage(dir.File("junk.pkg").c_str(), kPassword.c_str()));

    // Corrupt the image's data but keep the directory: listing works, the
    // extraction fails, and the buffer is never overrun (the sanitizers watch).
    std::string damaged = whole;
    const size_t imageData = damaged.find("image\\bg.png") + 12 + 100;
    for (size_t i = imageData; i < imageData + 400; ++i)
        damaged[i] = static_cast<char>(~damaged[i]);
    dir.Write("damaged.pkg", damaged);
    ScopedPackage package(OpenPackage(dir.File("damaged.pkg").c_str(), kPassword.c_str()));
    ASSERT_TRUE(package);
    int result = 0;
    Extract(package.get(), "image\\bg.png", kPassword, result);
    EXPECT_LT(result, 70000);
    // A buffer smaller than the member takes only what fits.
    char small[5];
    EXPECT_EQ(ExtractEntry(package.get(), "Launcher.xml", kPassword.c_str(), small, 5), 5);
    EXPECT_EQ(std::string(small, 5), "<Wind");
}

TEST_F(PackageReader, ClosingWithRemoveReplacesTheShorterName) {
    const std::string fresh = dir.File("skin.pkgnew");
    fs::copy_file(dir.File("Launcher.pkg"), fresh);
    dir.Write("skin.pkg", "old");
    SkinUI::ClosePackage(OpenPackage(fresh.c_str(), kPassword.c_str()), true);
    EXPECT_FALSE(fs::exists(fresh));
    EXPECT_EQ(ReadAll(dir.File("skin.pkg")), ReadAll(dir.File("Launcher.pkg")));
}

}  // namespace
