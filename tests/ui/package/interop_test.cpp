// Packages travel between this code and Info-ZIP both ways, so an operator
// may build Launcher.pkg with either tool.
#include <cstdio>
#include <cstdlib>

#include "launcher_settings.h"
#include "tests/ui/package/PackageFixture.h"
#include "ui/package/LibInterface.h"

namespace {

using namespace package_test;

// The real password, bytes above 0x7F included. The shell rebuilds it from
// octal escapes, which every POSIX printf understands.
const std::string kPassword = settings::kPackagePassword;

std::string PasswordArgument(const std::string& password) {
    std::string escaped;
    char octal[8];
    for (unsigned char byte : password) {
        std::snprintf(octal, sizeof(octal), "\\%03o", byte);
        escaped += octal;
    }
    return "\"$(printf '" + escaped + "')\"";
}

int Shell(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str());
}

class InfoZip : public ::testing::Test {
protected:
    void SetUp() override {
        if (Shell("zip -v") != 0 || Shell("unzip -v") != 0)
            GTEST_SKIP() << "no Info-ZIP";
        markup = "<Window size=\"400,300\">" + std::string(5000, ' ') + "</Window>";
        for (int i = 0; i < 20000; ++i)
            image += static_cast<char>(i * i % 256);
        dir.Write("src/Launcher.xml", markup);
        dir.Write("src/bg.png", image);
    }

    ScratchDir dir;
    std::string markup;
    std::string image;
};

TEST_F(InfoZip, ItsEncryptedPackagesOpenAndExtract) {
    for (const std::string level : {"-9", "-0"}) {  // deflated and stored members
        const std::string pkg = dir.File("zip" + level + ".pkg");
        ASSERT_EQ(Shell("cd '" + dir.File("src") + "' && zip -q " + level + " -P " +
                        PasswordArgument(kPassword) + " '" + pkg + "' Launcher.xml bg.png"),
                  0);
        SkinUI::ScopedPackage package(SkinUI::OpenPackage(pkg.c_str(), kPassword.c_str()));
        ASSERT_TRUE(package);
        for (const auto& [name, expected] :
             {std::pair{"launcher.xml", markup}, {"BG.png", image}}) {
            std::string bytes(SkinUI::GetEntrySize(package.get(), name), '\0');
            ASSERT_EQ(bytes.size(), expected.size()) << level << name;
            EXPECT_EQ(SkinUI::ExtractEntry(package.get(), name, kPassword.c_str(), bytes.data(),
                                           bytes.size()),
                      static_cast<int>(bytes.size()));
            EXPECT_EQ(bytes, expected) << level << name;
            // A stored member decrypts to the full length under any password:
            // only the CRC check turns that into the failure it is.
            EXPECT_LT(
                SkinUI::ExtractEntry(package.get(), name, "wrong", bytes.data(), bytes.size()),
                static_cast<int>(bytes.size()))
                << level << name;
        }
    }
}

TEST_F(InfoZip, OurPackagesExtractWithUnzip) {
    std::vector<pkgpack::PackageMember> members;
    std::string error;
    ASSERT_TRUE(pkgpack::CollectFolder(dir.File("src"), members, error)) << error;
    const std::string pkg = "'" + dir.File("ours.pkg") + "'";
    MakePackage(dir.File("ours.pkg"), kPassword, members);
    ASSERT_EQ(Shell("unzip -q -P " + PasswordArgument(kPassword) + " -d '" + dir.File("out") +
                    "' " + pkg),
              0);
    EXPECT_EQ(ReadAll(dir.File("out/Launcher.xml")), markup);
    EXPECT_EQ(ReadAll(dir.File("out/bg.png")), image);
    EXPECT_NE(Shell("unzip -t -q -P wrong " + pkg), 0) << "unzip checks our password headers";
}

}  // namespace
