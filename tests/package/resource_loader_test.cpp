#include "launcher_settings.h"
#include "tests/package/PackageFixture.h"
#include "ui/PlainPackage.h"
#include "ui/ResourceLoader.h"

namespace {

using namespace package_test;
using SkinUI::LoadImageBytes;
using SkinUI::LoadMarkupBytes;
using SkinUI::ResourceSource;

const std::string kPassword = settings::kPackagePassword;
const std::string kMarkup = "<Window size=\"10,10\"/>";

struct Loaded {
    bool ok;
    std::string bytes;
    std::string error;
};

Loaded Markup(const ResourceSource& source, const std::string& name) {
    Loaded loaded;
    loaded.bytes = "stale";
    loaded.ok = LoadMarkupBytes(source, name, loaded.bytes, loaded.error);
    return loaded;
}

// Every source of skin files, holding the same three members.
class EverySource : public ::testing::Test {
protected:
    void SetUp() override {
        members = {{"Launcher.xml", kMarkup},
                   {"max.xml", std::string(SkinUI::kMaxMarkupBytes, 'm')},
                   {"over.xml", std::string(SkinUI::kMaxMarkupBytes + 1, 'o')},
                   {"void.xml", ""}};
        MakePackage(dir.File("Launcher.pkg"), kPassword, members);
        MakePackage(dir.File("Open.pkg"), "", members);
        for (const auto& member : members)
            dir.Write("plain/" + member.name, member.bytes);
    }

    ResourceSource Protected() const { return {dir.Folder(), "Launcher.pkg", kPassword}; }
    ResourceSource Unprotected() const { return {dir.Folder(), "Open.pkg", ""}; }
    ResourceSource Plain() const { return {dir.Folder() + "plain/", "", ""}; }

    ScratchDir dir;
    std::vector<pkgpack::PackageMember> members;
};

TEST_F(EverySource, MarkupUpToTheLimitLoadsAndOneByteMoreDoesNot) {
    for (const ResourceSource& source : {Protected(), Unprotected(), Plain()}) {
        SCOPED_TRACE(source.packageName);
        Loaded ok = Markup(source, "Launcher.xml");
        EXPECT_TRUE(ok.ok) << ok.error;
        EXPECT_EQ(ok.bytes, kMarkup);
        Loaded max = Markup(source, "max.xml");
        EXPECT_TRUE(max.ok) << max.error;
        EXPECT_EQ(max.bytes.size(), SkinUI::kMaxMarkupBytes);
        Loaded over = Markup(source, "over.xml");
        EXPECT_FALSE(over.ok);
        EXPECT_EQ(over.error, "File too large");
        EXPECT_TRUE(over.bytes.empty());
        EXPECT_EQ(Markup(source, "void.xml").error, "File is empty");
    }
}

TEST_F(EverySource, EachSourceReportsItsOwnFailures) {
    // The password package knows only sizes: a missing member is "empty".
    EXPECT_EQ(Markup(Protected(), "Missing.xml").error, "File is empty");
    EXPECT_EQ(Markup(Unprotected(), "Missing.xml").error, "Could not find ziped file");
    EXPECT_EQ(Markup(Plain(), "Missing.xml").error, "Error opening file");

    ResourceSource noPackage = Protected();
    noPackage.packageName = "Absent.pkg";
    EXPECT_EQ(Markup(noPackage, "Launcher.xml").error, "OpenZip is fail!");
    noPackage.password.clear();
    EXPECT_EQ(Markup(noPackage, "Launcher.xml").error, "Error opening zip file");

    ResourceSource wrong = Protected();
    wrong.password = "not the password";
    Loaded failed = Markup(wrong, "Launcher.xml");
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.error, "Could not unzip file");
    EXPECT_TRUE(failed.bytes.empty());
}

TEST_F(EverySource, AnEmptyPasswordReadsThePackageUnencrypted) {
    // The same package name with the password gone: the unprotected reader
    // cannot read encrypted members, and reads plain ones.
    ResourceSource source = Protected();
    source.password.clear();
    EXPECT_EQ(Markup(source, "Launcher.xml").error, "Could not unzip file");
    source.packageName = "Open.pkg";
    EXPECT_EQ(Markup(source, "LAUNCHER.XML").bytes, kMarkup);
}

#ifndef _WIN32
// Windows cannot replace a file that is held open, which this test relies on.
TEST_F(EverySource, TheCachedArchiveServesUnprotectedLoads) {
    const std::string path = dir.Folder() + "Open.pkg";
    SkinUI::CachePlainPackage(path);
    // Replaced on disk after caching: loads still see the cached archive.
    MakePackage(path, "", {{"Launcher.xml", "<Other/>"}});
    EXPECT_EQ(Markup(Unprotected(), "Launcher.xml").bytes, kMarkup);
    SkinUI::DropCachedPlainPackage();
    EXPECT_EQ(Markup(Unprotected(), "Launcher.xml").bytes, "<Other/>");

    SkinUI::CachePlainPackage(dir.Folder() + "Absent.pkg");
    EXPECT_EQ(SkinUI::CachedPlainPackage(dir.Folder() + "Absent.pkg"), nullptr);
    SkinUI::DropCachedPlainPackage();
}
#endif

class CurrentDirectory {
public:
    explicit CurrentDirectory(const fs::path& path) : m_saved(fs::current_path()) {
        fs::current_path(path);
    }
    ~CurrentDirectory() { fs::current_path(m_saved); }

private:
    fs::path m_saved;
};

TEST_F(EverySource, ImagesFallBackToTheirNameAsAPath) {
    MakePackage(dir.File("Launcher.pkg"), kPassword,
                {{"Launcher.xml", kMarkup}, {"in.png", "packaged"}});
    dir.Write("work/in.png", "loose in");
    dir.Write("work/out.png", "loose out");
    CurrentDirectory cwd(dir.File("work"));

    for (ResourceSource source : {Protected(), Unprotected(), Plain()}) {
        SCOPED_TRACE(source.packageName);
        std::string bytes;
        EXPECT_TRUE(LoadImageBytes(source, "out.png", bytes));
        EXPECT_EQ(bytes, "loose out");
        EXPECT_FALSE(LoadImageBytes(source, "nowhere.png", bytes));
    }
    std::string bytes;
    EXPECT_TRUE(LoadImageBytes(Protected(), "IN.PNG", bytes));
    EXPECT_EQ(bytes, "packaged") << "the package comes first";

    ResourceSource wrong = Protected();
    wrong.password = "wrong";
    EXPECT_TRUE(LoadImageBytes(wrong, "in.png", bytes));
    EXPECT_EQ(bytes, "loose in") << "an unreadable member counts as missing";
}

TEST(ImageSize, ImagesHaveNoSizeLimit) {
    ScratchDir dir;
    const std::string big(SkinUI::kMaxMarkupBytes + 100, 'i');
    MakePackage(dir.File("Launcher.pkg"), kPassword, {{"big.png", big}});
    std::string bytes;
    EXPECT_TRUE(LoadImageBytes({dir.Folder(), "Launcher.pkg", kPassword}, "big.png", bytes));
    EXPECT_EQ(bytes.size(), big.size());
}

}  // namespace
