#include "launcher_settings.h"
#include "tests/ui/package/PackageFixture.h"
#include "ui/package/LibInterface.h"

namespace {

using namespace package_test;
using SkinUI::ExtractEntry;
using SkinUI::GetEntrySize;
using SkinUI::OpenPackage;
using SkinUI::ScopedPackage;

const char* const kPassword = settings::kPackagePassword;

// Extracts a member whole; result is ExtractEntry's.
std::string Extract(SkinUI::ZipPackage* package, const char* name, const char* password,
                    int& result) {
    std::string bytes(GetEntrySize(package, name), '\0');
    result = ExtractEntry(package, name, password, bytes.data(), bytes.size());
    return bytes;
}

class PackageReader : public ::testing::Test {
protected:
    void SetUp() override {
        // Incompressible, so its data spans the whole member.
        std::string image(70000, '\0');
        uint32_t state = 12345;
        for (char& c : image)
            c = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
        members = {{"Launcher.xml", "<Window size=\"10,10\"/>"}, {"image\\bg.png", image}};
        MakePackage(dir.File("Launcher.pkg"), kPassword, members);
    }

    ScratchDir dir;
    std::vector<pkgpack::PackageMember> members;
};

TEST_F(PackageReader, ListsAndExtractsUnderTheRealPassword) {
    fs::rename(dir.File("Launcher.pkg"), dir.File("Launcher.pkg.zip"));
    ScopedPackage package(OpenPackage(dir.File("Launcher.pkg").c_str(), kPassword));
    ASSERT_TRUE(package) << "falls back to the name with .zip appended";
    ASSERT_EQ(package->entries.size(), 2u);
    for (size_t i = 0; i < members.size(); ++i) {
        EXPECT_EQ(package->entries[i].name, members[i].name);
        int result = 0;
        EXPECT_EQ(Extract(package.get(), members[i].name.c_str(), kPassword, result),
                  members[i].bytes);
        EXPECT_EQ(result, static_cast<int>(members[i].bytes.size()));
    }
    EXPECT_FALSE(OpenPackage(dir.File("Other.pkg").c_str(), kPassword));
    EXPECT_FALSE(OpenPackage(nullptr, kPassword));
}

TEST_F(PackageReader, NamesMatchIgnoringAsciiCaseButNotSeparators) {
    ScopedPackage package(OpenPackage(dir.File("Launcher.pkg").c_str(), kPassword));
    ASSERT_TRUE(package);
    int result = 0;
    EXPECT_EQ(Extract(package.get(), "launcher.XML", kPassword, result), members[0].bytes);
    EXPECT_EQ(GetEntrySize(package.get(), "IMAGE\\BG.PNG"), 70000u);
    char buffer[16];
    EXPECT_EQ(GetEntrySize(package.get(), "image/bg.png"), 0u);
    EXPECT_EQ(ExtractEntry(package.get(), "image/bg.png", kPassword, buffer, 16), 0);
    EXPECT_EQ(GetEntrySize(package.get(), "Launcher.xm"), 0u) << "a prefix is no match";
    EXPECT_EQ(GetEntrySize(nullptr, "Launcher.xml"), 0u);
    EXPECT_EQ(ExtractEntry(nullptr, "Launcher.xml", kPassword, buffer, 16), 0);
}

TEST_F(PackageReader, DamageAndWrongPasswordsGiveFailureValues) {
    const std::string whole = ReadAll(dir.File("Launcher.pkg"));
    dir.Write("cut.pkg", whole.substr(0, whole.size() / 2));  // no directory left
    EXPECT_FALSE(OpenPackage(dir.File("cut.pkg").c_str(), kPassword));
    dir.Write("junk.pkg", std::string(4096, 'Z'));
    EXPECT_FALSE(OpenPackage(dir.File("junk.pkg").c_str(), kPassword));

    // Flip bytes inside the image's data: the directory still lists, the
    // member no longer extracts whole, and the sanitizers see no overrun.
    std::string damaged = whole;
    const size_t data = damaged.find("image\\bg.png") + 100;
    for (size_t i = data; i < data + 400; ++i)
        damaged[i] = static_cast<char>(~damaged[i]);
    dir.Write("damaged.pkg", damaged);
    for (const char* name : {"damaged.pkg", "Launcher.pkg"}) {
        const char* password = name[0] == 'd' ? kPassword : "wrong";
        ScopedPackage package(OpenPackage(dir.File(name).c_str(), password));
        ASSERT_TRUE(package) << name;
        int result = 0;
        Extract(package.get(), "image\\bg.png", password, result);
        EXPECT_LT(result, 70000) << name;
    }
    ScopedPackage package(OpenPackage(dir.File("damaged.pkg").c_str(), kPassword));
    char small[5];
    EXPECT_EQ(ExtractEntry(package.get(), "Launcher.xml", kPassword, small, 5), 5);
    EXPECT_EQ(std::string(small, 5), "<Wind") << "a short buffer takes what fits";
}

TEST_F(PackageReader, ClosingWithRemoveReplacesTheShorterName) {
    fs::copy_file(dir.File("Launcher.pkg"), dir.File("skin.pkgnew"));
    dir.Write("skin.pkg", "old");
    SkinUI::ClosePackage(OpenPackage(dir.File("skin.pkgnew").c_str(), kPassword), true);
    EXPECT_FALSE(fs::exists(dir.File("skin.pkgnew")));
    EXPECT_EQ(ReadAll(dir.File("skin.pkg")), ReadAll(dir.File("Launcher.pkg")));
}

}  // namespace
