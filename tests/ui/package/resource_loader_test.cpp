#include "launcher_settings.h"
#include "tests/ui/package/PackageFixture.h"
#include "ui/package/PlainPackage.h"
#include "ui/package/ResourceLoader.h"

namespace {

using namespace package_test;
using SkinUI::kMaxMarkupBytes;
using SkinUI::ResourceSource;

const std::string kMarkup = "<Window size=\"10,10\"/>";

// The error text of a markup load, or "loaded: " and the bytes.
std::string Markup(const ResourceSource& source, const std::string& name) {
    std::string bytes = "stale";
    std::string error;
    if (SkinUI::LoadMarkupBytes(source, name, bytes, error))
        return "loaded: " + bytes;
    EXPECT_TRUE(bytes.empty()) << "a failed load hands out no bytes";
    return error;
}

std::string Image(const ResourceSource& source, const std::string& name) {
    std::string bytes;
    return SkinUI::LoadImageBytes(source, name, bytes) ? bytes : "none";
}

// The same members behind each of the three sources.
class EverySource : public ::testing::Test {
protected:
    void SetUp() override {
        const std::vector<pkgpack::PackageMember> members = {
            {"Launcher.xml", kMarkup},
            {"max.xml", std::string(kMaxMarkupBytes, 'm')},
            {"over.xml", std::string(kMaxMarkupBytes + 1, 'o')},
            {"void.xml", ""}};
        MakePackage(dir.File("Launcher.pkg"), settings::kPackagePassword, members);
        MakePackage(dir.File("Open.pkg"), "", members);
        for (const auto& member : members)
            dir.Write("plain/" + member.name, member.bytes);
    }

    ResourceSource Protected() const {
        return {dir.Folder(), "Launcher.pkg", settings::kPackagePassword};
    }
    ResourceSource Unprotected() const { return {dir.Folder(), "Open.pkg", ""}; }
    ResourceSource Plain() const { return {dir.Folder() + "plain/", "", ""}; }

    ScratchDir dir;
};

TEST_F(EverySource, MarkupUpToTheLimitLoadsAndOneByteMoreDoesNot) {
    for (const ResourceSource& source : {Protected(), Unprotected(), Plain()}) {
        SCOPED_TRACE(source.packageName);
        EXPECT_EQ(Markup(source, "Launcher.xml"), "loaded: " + kMarkup);
        EXPECT_EQ(Markup(source, "max.xml").size(), 8 + kMaxMarkupBytes);
        EXPECT_EQ(Markup(source, "over.xml"), "File too large");
        EXPECT_EQ(Markup(source, "void.xml"), "File is empty");
        EXPECT_EQ(Image(source, "over.xml").size(), kMaxMarkupBytes + 1) << "images have no limit";
    }
}

TEST_F(EverySource, EachSourceReportsItsOwnFailures) {
    // The password package knows only sizes: a missing member is "empty".
    EXPECT_EQ(Markup(Protected(), "Missing.xml"), "File is empty");
    EXPECT_EQ(Markup(Unprotected(), "Missing.xml"), "Could not find ziped file");
    EXPECT_EQ(Markup(Plain(), "Missing.xml"), "Error opening file");

    ResourceSource source = Protected();
    source.password = "wrong";
    EXPECT_EQ(Markup(source, "Launcher.xml"), "Could not unzip file");
    // An empty password routes to the unprotected reader, which reads the
    // encrypted member as stored and fails the same way.
    source.password.clear();
    EXPECT_EQ(Markup(source, "Launcher.xml"), "Could not unzip file");
    EXPECT_EQ(Markup(Unprotected(), "LAUNCHER.XML"), "loaded: " + kMarkup);

    source.packageName = "Absent.pkg";
    EXPECT_EQ(Markup(source, "Launcher.xml"), "Error opening zip file");
    source.password = "any";
    EXPECT_EQ(Markup(source, "Launcher.xml"), "OpenZip is fail!");
}

#ifndef _WIN32
// Windows cannot replace a file that is held open, which this test relies on.
TEST_F(EverySource, TheCachedArchiveServesUnprotectedLoads) {
    const std::string path = dir.Folder() + "Open.pkg";
    SkinUI::CachePlainPackage(path);
    MakePackage(path, "", {{"Launcher.xml", "<Other/>"}});
    EXPECT_EQ(Markup(Unprotected(), "Launcher.xml"), "loaded: " + kMarkup);
    SkinUI::DropCachedPlainPackage();
    EXPECT_EQ(Markup(Unprotected(), "Launcher.xml"), "loaded: <Other/>");
}
#endif

TEST_F(EverySource, ImagesFallBackToTheirNameAsAPath) {
    MakePackage(dir.File("Launcher.pkg"), settings::kPackagePassword, {{"in.png", "packaged"}});
    dir.Write("work/in.png", "loose in");
    dir.Write("work/out.png", "loose out");
    const fs::path saved = fs::current_path();
    fs::current_path(dir.File("work"));
    for (const ResourceSource& source : {Protected(), Unprotected(), Plain()}) {
        EXPECT_EQ(Image(source, "out.png"), "loose out") << source.packageName;
        EXPECT_EQ(Image(source, "nowhere.png"), "none") << source.packageName;
    }
    EXPECT_EQ(Image(Protected(), "IN.PNG"), "packaged") << "the package comes first";
    ResourceSource wrong = Protected();
    wrong.password = "wrong";
    EXPECT_EQ(Image(wrong, "in.png"), "loose in") << "an unreadable member counts as missing";
    fs::current_path(saved);
}

TEST(DamagedPackage, HugeClaimedSizesFailTheOneFileAndNothingElse) {
    ScratchDir dir;
    const std::vector<pkgpack::PackageMember> members = {{"Launcher.xml", kMarkup},
                                                         {"in.png", "packaged"}};
    MakePackage(dir.File("Launcher.pkg"), settings::kPackagePassword, members);
    MakePackage(dir.File("Open.pkg"), "", members);
    const ResourceSource sources[] = {{dir.Folder(), "Launcher.pkg", settings::kPackagePassword},
                                      {dir.Folder(), "Open.pkg", ""}};
    // On 32 bits the first of these cannot even be asked of the allocator,
    // the second can but fails; both are bigger than any skin file.
    for (const uint32_t claimed : {0xFFFFFFF0u, 0x7FFFFFF0u, 0x2000001u + 0x2000000u}) {
        SCOPED_TRACE(claimed);
        for (const char* name : {"Launcher.pkg", "Open.pkg"})
            ClaimSizeInDirectory(dir.File(name), claimed);
        for (const ResourceSource& source : sources) {
            SCOPED_TRACE(source.packageName);
            EXPECT_EQ(Markup(source, "Launcher.xml"), "File too large");
            EXPECT_EQ(Image(source, "in.png"), "none");
        }
    }
}

}  // namespace
