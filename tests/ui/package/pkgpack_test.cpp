#include <cstdlib>

#include "launcher_settings.h"
#include "tests/ui/package/PackageFixture.h"
#include "ui/package/LibInterface.h"

namespace {

using namespace package_test;

TEST(CollectFolder, NamesMembersAsTheLauncherLooksThemUpAndRefusesLongerOnes) {
    ScratchDir dir;
    dir.Write("skin/Launcher.xml", "<Window/>");
    dir.Write("skin/image/button/ok.png", "ok");
    const std::string longest = std::string(100, 'd') + "/" + std::string(154, 'f');
    dir.Write("skin/" + longest, "x");
    std::vector<pkgpack::PackageMember> members;
    std::string error;
    ASSERT_TRUE(pkgpack::CollectFolder(dir.File("skin"), members, error)) << error;
    ASSERT_EQ(members.size(), 3u);
    EXPECT_EQ(members[0].name, "Launcher.xml");
    EXPECT_EQ(members[1].name, std::string(100, 'd') + "\\" + std::string(154, 'f'));
    EXPECT_EQ(members[2].name, "image\\button\\ok.png");
    EXPECT_EQ(members[2].bytes, "ok");

    dir.Write("skin/" + longest + "g", "x");  // 256 bytes: the reader could not find it
    EXPECT_FALSE(pkgpack::CollectFolder(dir.File("skin"), members, error));
    EXPECT_NE(error.find("255"), std::string::npos) << error;
#ifndef _WIN32  // a name in UTF-8 here is GBK in the launcher
    fs::remove(dir.File("skin/" + longest + "g"));
    dir.Write("skin/\xE8\x83\x8C\xE6\x99\xAF.png", "x");
    EXPECT_FALSE(pkgpack::CollectFolder(dir.File("skin"), members, error));
    EXPECT_NE(error.find("ASCII"), std::string::npos) << error;
#endif
    EXPECT_FALSE(pkgpack::CollectFolder(dir.File("absent"), members, error));
    EXPECT_NE(error.find("absent"), std::string::npos) << error;
}

TEST(WritePackage, ReplacesAPackageWholeOrLeavesNothing) {
    ScratchDir dir;
    std::string error;
    const std::string nowhere = dir.File("no/such/folder/Launcher.pkg");
    EXPECT_FALSE(pkgpack::WritePackage({{"a", "b"}}, "pw", nowhere, error));
    EXPECT_FALSE(fs::exists(nowhere + ".part"));

    dir.Write("Launcher.pkg", "old");
    ASSERT_TRUE(pkgpack::WritePackage({{"a", "b"}}, "pw", dir.File("Launcher.pkg"), error));
    EXPECT_NE(ReadAll(dir.File("Launcher.pkg")), "old");
    EXPECT_FALSE(fs::exists(dir.File("Launcher.pkg.part")));
}

#ifdef PKGPACK_EXE
int RunPacker(const std::string& source, const std::string& output) {
    return std::system(
        (std::string(PKGPACK_EXE) + " '" + source + "' '" + output + "' >/dev/null 2>&1").c_str());
}

TEST(PackerTool, PacksUnderTheBuiltInPasswordOrFailsWithoutWriting) {
    ScratchDir dir;
    dir.Write("res/Launcher.xml", "<Window/>");
    ASSERT_EQ(RunPacker(dir.File("res"), dir.File("Launcher.pkg")), 0);
    SkinUI::ScopedPackage package(
        SkinUI::OpenPackage(dir.File("Launcher.pkg").c_str(), settings::kPackagePassword));
    ASSERT_TRUE(package);
    char bytes[9];
    ASSERT_EQ(
        SkinUI::ExtractEntry(package.get(), "Launcher.xml", settings::kPackagePassword, bytes, 9),
        9);
    EXPECT_EQ(std::string(bytes, 9), "<Window/>");

    EXPECT_NE(RunPacker(dir.File("missing"), dir.File("new.pkg")), 0);
    dir.Write("res/" + std::string(150, 'd') + "/" + std::string(150, 'x'), "x");
    EXPECT_NE(RunPacker(dir.File("res"), dir.File("new.pkg")), 0);
    EXPECT_FALSE(fs::exists(dir.File("new.pkg")));
}
#endif

}  // namespace
