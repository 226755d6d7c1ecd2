// Packages travel between this code and Info-ZIP in both directions, so an
// operator may build Launcher.pkg with either tool.
#include <cstdlib>

#include "tests/package/PackageFixture.h"
#include "ui/LibInterface.h"

namespace {

using namespace package_test;

// Non-ASCII bytes do not survive a command line well; the code path is the
// same for every password.
const std::string kPassword = "Vedu-skin-password-42";

int Shell(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str());
}

std::string Quote(const std::string& text) {
    return "'" + text + "'";
}

class InfoZip : public ::testing::Test {
protected:
    void SetUp() override {
        if (Shell("zip -v") != 0 || Shell("unzip -v") != 0)
            GTEST_SKIP() << "Info-ZIP is not installed";
        markup = "<Window size=\"400,300\">" + std::string(5000, ' ') + "</Window>";
        image.resize(20000);
        for (size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<char>(i * i % 256);
        dir.Write("src/Launcher.xml", markup);
        dir.Write("src/bg.png", image);
    }

    ScratchDir dir;
    std::string markup;
    std::string image;
};

TEST_F(InfoZip, ItsEncryptedPackagesOpenAndExtract) {
    for (const char* level : {"-9", "-0"}) {  // deflated and stored members
        SCOPED_TRACE(level);
        const std::string pkg = dir.File(std::string("zip") + level + ".pkg");
        ASSERT_EQ(Shell("cd " + Quote(dir.File("src")) + " && zip -q " + level + " -P " +
                        Quote(kPassword) + " " + Quote(pkg) + " Launcher.xml bg.png"),
                  0);
        SkinUI::ScopedPackage package(SkinUI::OpenPackage(pkg.c_str(), kPassword.c_str()));
        ASSERT_TRUE(package);
        ASSERT_EQ(package->entries.size(), 2u);
        for (const auto& [name, expected] :
             {std::pair{"launcher.xml", markup}, {"BG.png", image}}) {
            const uint32_t size = SkinUI::GetEntrySize(package.get(), name);
            ASSERT_EQ(size, expected.size());
            std::string bytes(size, '\0');
            EXPECT_EQ(
                SkinUI::ExtractEntry(package.get(), name, kPassword.c_str(), bytes.data(), size),
                static_cast<int>(size));
            EXPECT_EQ(bytes, expected);
            // A stored member decrypts to the right length under any
            // password; the CRC check makes it a failure all the same.
            EXPECT_LT(SkinUI::ExtractEntry(package.get(), name, "wrong", bytes.data(), size), 0);
        }
    }
}

TEST_F(InfoZip, OurPackagesExtractWithUnzip) {
    std::vector<pkgpack::PackageMember> members;
    std::string error;
    ASSERT_TRUE(pkgpack::CollectFolder(dir.File("src"), members, error)) << error;
    MakePackage(dir.File("ours.pkg"), kPassword, members);
    ASSERT_EQ(Shell("unzip -q -P " + Quote(kPassword) + " -d " + Quote(dir.File("out")) + " " +
                    Quote(dir.File("ours.pkg"))),
              0);
    EXPECT_EQ(ReadAll(dir.File("out/Launcher.xml")), markup);
    EXPECT_EQ(ReadAll(dir.File("out/bg.png")), image);
    // unzip's own check of the password and every CRC.
    EXPECT_EQ(Shell("unzip -t -q -P " + Quote(kPassword) + " " + Quote(dir.File("ours.pkg"))), 0);
    EXPECT_NE(Shell("unzip -t -q -P wrong " + Quote(dir.File("ours.pkg"))), 0);
}

}  // namespace
