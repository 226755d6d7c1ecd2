#include <cstdlib>

#include "launcher_settings.h"
#include "tests/package/PackageFixture.h"
#include "ui/LibInterface.h"

namespace {

using namespace package_test;

TEST(CollectFolder, NamesMembersAsTheLauncherLooksThemUp) {
    ScratchDir dir;
    dir.Write("skin/Launcher.xml", "<Window/>");
    dir.Write("skin/image/button/ok.png", "ok");
    dir.Write("skin/bg.png", "bg");
    std::vector<pkgpack::PackageMember> members;
    std::string error;
    ASSERT_TRUE(pkgpack::CollectFolder(dir.File("skin"), members, error)) << error;
    ASSERT_EQ(members.size(), 3u);
    EXPECT_EQ(members[0].name, "Launcher.xml");
    EXPECT_EQ(members[1].name, "bg.png");
    EXPECT_EQ(members[2].name, "image\\button\\ok.png");
    EXPECT_EQ(members[2].bytes, "ok");
}

TEST(CollectFolder, RefusesWhatTheLauncherCouldNotRead) {
    ScratchDir dir;
    std::vector<pkgpack::PackageMember> members;
    std::string error;
    EXPECT_FALSE(pkgpack::CollectFolder(dir.File("absent"), members, error));
    EXPECT_NE(error.find("absent"), std::string::npos) << error;

    // 255 bytes in all is the longest name found; one more is refused.
    dir.Write("skin/" + std::string(100, 'd') + "/" + std::string(154, 'f'), "x");
    ASSERT_TRUE(pkgpack::CollectFolder(dir.File("skin"), members, error)) << error;
    EXPECT_EQ(members[0].name.size(), 255u);
    dir.Write("skin/" + std::string(100, 'd') + "/" + std::string(155, 'g'), "x");
    EXPECT_FALSE(pkgpack::CollectFolder(dir.File("skin"), members, error));
    EXPECT_NE(error.find("255"), std::string::npos) << error;
}

TEST(WritePackage, AFailedWriteLeavesNothingBehind) {
    ScratchDir dir;
    std::string error;
    const std::string path = dir.File("no/such/folder/Launcher.pkg");
    EXPECT_FALSE(pkgpack::WritePackage({{"a", "b"}}, "pw", path, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(fs::exists(path + ".part"));

    // Writing over an existing package replaces it whole.
    dir.Write("Launcher.pkg", "old");
    ASSERT_TRUE(pkgpack::WritePackage({{"a", "b"}}, "pw", dir.File("Launcher.pkg"), error));
    EXPECT_NE(ReadAll(dir.File("Launcher.pkg")), "old");
    EXPECT_FALSE(fs::exists(dir.File("Launcher.pkg.part")));
}

#ifdef PKGPACK_EXE
int RunPacker(const std::string& source, const std::string& output) {
    const std::string command =
        std::string(PKGPACK_EXE) + " '" + source + "' '" + output + "' >/dev/null 2>&1";
    return std::system(command.c_str());
}

TEST(PackerTool, PacksUnderTheBuiltInPasswordOrRefusesWithoutWriting) {
    ScratchDir dir;
    dir.Write("res/Launcher.xml", "<Window/>");
    const std::string pkg = dir.File("Launcher.pkg");
    ASSERT_EQ(RunPacker(dir.File("res"), pkg), 0);
    SkinUI::ScopedPackage package(SkinUI::OpenPackage(pkg.c_str(), settings::kPackagePassword));
    ASSERT_TRUE(package);
    char bytes[9];
    EXPECT_EQ(
        SkinUI::ExtractEntry(package.get(), "Launcher.xml", settings::kPackagePassword, bytes, 9),
        9);
    EXPECT_EQ(std::string(bytes, 9), "<Window/>");

    EXPECT_NE(RunPacker(dir.File("missing"), dir.File("new.pkg")), 0);
    dir.Write("res/" + std::string(150, 'd') + "/" + std::string(150, 'x'), "x");
    EXPECT_NE(RunPacker(dir.File("res"), dir.File("new.pkg")), 0);
    EXPECT_FALSE(fs::exists(dir.File("new.pkg")));
    EXPECT_FALSE(fs::exists(dir.File("new.pkg.part")));
}
#endif

}  // namespace
