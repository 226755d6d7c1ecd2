// Changed files fetched as patches and compressed copies from the loopback
// mirror, whose objects the zstd command line makes; and each way such an
// object fails, which must end with the right file through the plain
// download, one more request for that file and no other file touched.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/update/support/UpdateRunFixture.h"
#include "identity/Md5.h"
#include "update/format/PatchIndex.h"
#include "update/format/ReleaseSignature.h"

namespace {

// A game-like file: its bytes do not compress, and the next release
// overwrites a few of them, inserts some and appends some.
const std::string& OldData() {
    static const std::string data = Noise(256 << 10, 1);
    return data;
}

std::string NewData() {
    std::string data = OldData();
    data.replace(1000, 16, "sixteen new byte");
    data.insert(120000, "inserted in the middle of the file");
    return data + Noise(3000, 2);
}

std::string Text() {
    std::string text;
    for (int i = 0; text.size() < (64 << 10); ++i)
        text += "line " + std::to_string(i) + " of a text that compresses well\n";
    return text;
}

uint64_t MirrorFileSize(const std::string& relative) {
    return mirror::ReadFile(mirror::Path(relative)).size();
}

// The bytes the mirror announced for every file and object it served.
uint64_t BytesServed() {
    uint64_t total = 0;
    for (const std::string& line : mirror::Requests()) {
        const size_t at = line.find("\"bytes\": ");
        const bool text = line.find(".html\"") != std::string::npos ||
                          line.find(kPatchIndexName) != std::string::npos ||
                          line.find(kReleaseSigName) != std::string::npos;
        if (at != std::string::npos && !text)
            total += std::strtoull(line.c_str() + at + 9, nullptr, 10);
    }
    return total;
}

class DeltaUpdateTest : public UpdateRunTest {
protected:
    void SetUp() override {
        UpdateRunTest::SetUp();
        mirror::RemoveTree(Local("new"));
        for (const char* name : {"data.bin", "plain.txt"}) {
            ::DeleteFileA(Local(name).c_str());
            ::DeleteFileA(Local(std::string(name) + ".tmp").c_str());
        }
        ::DeleteFileA(Local("release.ini").c_str());
        mirror::RemoveTree(mirror::Path("patch"));
        mirror::RemoveTree(mirror::Path("zst"));
        ::DeleteFileA(mirror::Path(kReleaseSigName).c_str());

        m_files = {
            {"\\data.bin", NewData()}, {"\\new\\fresh.txt", Text()}, {"\\plain.txt", "plain"}};
        mirror::PublishFiles(m_files);
        mirror::WriteFile(Local("data.bin"), OldData());
        // data.bin comes as a patch from the local copy, new\fresh.txt (not
        // installed yet) as a compressed copy, plain.txt as itself.
        mirror::WriteFile(mirror::Path("base.bin"), OldData());
        m_newMd5 = Md5OfFile(mirror::Path("plaza\\data.bin"));
        m_oldMd5 = Md5OfFile(mirror::Path("base.bin"));
        m_patch = PatchObjectPath(m_newMd5, m_oldMd5);
        mirror::Zstd("plaza/data.bin", m_patch, "base.bin");
        m_index.patches[{m_newMd5, m_oldMd5}] = MirrorFileSize(m_patch);
        const std::string freshMd5 = Md5OfFile(mirror::Path("plaza\\new\\fresh.txt"));
        m_zst = CompressedObjectPath(freshMd5);
        mirror::Zstd("plaza/new/fresh.txt", m_zst);
        m_index.compressed[freshMd5] = MirrorFileSize(m_zst);
        m_index.stamp = kStamp;
    }

    void Publish(bool signedRelease) {
        std::string index = FormatPatchIndex(m_index);
        if (signedRelease) {
            MakeReleaseKeyPair(m_public, m_secret);
            index = AppendSignature(index, m_secret);
            mirror::SignPublished(m_files, 1, m_secret);
            v.engine.Store().m_vReleaseKeys = {m_public};
        }
        mirror::WriteFile(mirror::Path(kPatchIndexName), index);
    }

    void ExpectUpdated() {
        for (const mirror::File& file : m_files) {
            EXPECT_TRUE(LocalText(file.name.substr(1)) == file.bytes) << file.name;
            EXPECT_FALSE(HasTemp(file.name.substr(1))) << file.name;
        }
        EXPECT_EQ(LocalText("ver.ini"), kStamp);
        ExpectReady();
        EXPECT_TRUE(std::is_sorted(v.allFilesShown.begin(), v.allFilesShown.end()))
            << "the bar ran backwards";
    }

    static size_t CountFallbacks() {
        const std::string log = LocalText("Launcher.log");
        size_t count = 0;
        for (size_t at = log.find("DeltaFailed:"); at != std::string::npos;
             at = log.find("DeltaFailed:", at + 1))
            ++count;
        return count;
    }

    std::vector<mirror::File> m_files;
    PatchIndex m_index;
    std::string m_newMd5, m_oldMd5, m_patch, m_zst;
    ReleasePublicKey m_public{};
    ReleaseSecretKey m_secret{};
};

class DeltaPathTest : public DeltaUpdateTest, public ::testing::WithParamInterface<bool> {};

TEST_P(DeltaPathTest, OnlyThePatchAndTheCompressedCopyMove) {
    Publish(GetParam());
    v.RunUpdate(mirror::Url());
    ExpectUpdated();
    EXPECT_EQ(mirror::CountRequests("/vedu/plaza/data.bin"), 0u);
    EXPECT_EQ(mirror::CountRequests("/vedu/plaza/new/fresh.txt"), 0u);
    EXPECT_EQ(mirror::CountRequests("/vedu/" + m_patch), 1u);
    EXPECT_EQ(mirror::CountRequests("/vedu/" + m_zst), 1u);
    EXPECT_EQ(BytesServed(), MirrorFileSize(m_patch) + MirrorFileSize(m_zst) + 5);
    EXPECT_EQ(CountFallbacks(), 0u) << LocalText("Launcher.log");
}

INSTANTIATE_TEST_SUITE_P(Release, DeltaPathTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Signed" : "Unsigned";
                         });

TEST_F(DeltaUpdateTest, AStopDuringAnObjectEndsTheRunWithoutTheFallback) {
    Publish(false);
    mirror::SetFault(m_zst, "trickle", 1, 0, 64);
    v.Start(mirror::Url());
    const Base::UniqueKernelHandle thread = CopyThreadHandle(*v.engine.CurrentRun());
    // The object is under way: its .tmp is open for the decoded bytes.
    ASSERT_TRUE(v.PumpUntil([&] { return HasTemp("new\\fresh.txt"); }, 20000));
    v.engine.Stop();
    EXPECT_TRUE(v.PumpUntil([&] { return ::WaitForSingleObject(thread.get(), 0) == WAIT_OBJECT_0; },
                            15000));
    EXPECT_FALSE(HasTemp("new\\fresh.txt")) << "a broken-off object leaves nothing to resume";
    EXPECT_EQ(mirror::CountRequests("/vedu/plaza/new/fresh.txt"), 0u);
    EXPECT_EQ(CountFallbacks(), 0u) << "a stop is no failed object";
    EXPECT_EQ(LocalText("ver.ini"), kOldStamp);
}

TEST_F(DeltaUpdateTest, APlainDownloadThatBrokeOffIsResumedBesideAnObject) {
    // The last run fetched new\fresh.txt as itself (its object had failed)
    // and broke off half way. The object, offered again, breaks off again.
    Publish(false);
    const std::string& fresh = m_files[1].bytes;
    const size_t kept = fresh.size() / 2;
    mirror::WriteFile(Local("new\\fresh.txt.tmp"), fresh.substr(0, kept));
    mirror::SetFault(m_zst, "truncate");
    v.RunUpdate(mirror::Url());
    ExpectUpdated();
    // The kept start is resumed: it holds exactly this file's bytes, and an
    // object that failed once is no better a bet than the rest of them.
    EXPECT_EQ(mirror::CountRequests("/vedu/" + m_zst), 0u);
    const std::vector<std::string> plain = mirror::RequestsFor("/vedu/plaza/new/fresh.txt");
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_NE(plain[0].find("\"range\": \"bytes=" + std::to_string(kept) + "-\""),
              std::string::npos)
        << plain[0];
}

enum class Fault { WrongBase, OtherFile, CutAtSource, CutInTransit, FlippedBit, Missing, Oversize };

struct BrokenObject {
    const char* name;
    Fault fault;
    bool compressed;  // the compressed copy is broken, not the patch
    bool signedRelease;
};

class DeltaFallbackTest : public DeltaUpdateTest,
                          public ::testing::WithParamInterface<BrokenObject> {
protected:
    void Break(const std::string& object, uint64_t& indexed) {
        std::string bytes = mirror::ReadFile(mirror::Path(object));
        switch (GetParam().fault) {
            case Fault::WrongBase: {
                // A patch from another base, listed as one from the local
                // copy. (A base that differs only where the patch does not
                // look still gives the right file, which is fine.)
                mirror::WriteFile(mirror::Path("other.bin"), NewData());
                mirror::Zstd("plaza/data.bin", object, "other.bin");
                indexed = MirrorFileSize(object);
                return;
                case Fault::OtherFile: {
                    // A sound object of another file of the same size: it
                    // decodes, and only the digest tells.
                    std::string other = Text();
                    other[0] = 'L';
                    mirror::WriteFile(mirror::Path("other.txt"), other);
                    mirror::Zstd("other.txt", object);
                    indexed = MirrorFileSize(object);
                    // The whole object came and the bar reached the file's end;
                    // the plain file, slow enough to be shown part way, must not
                    // take the bar back.
                    mirror::SetFault("plaza/new/fresh.txt", "trickle", 1, 0, 8 << 10);
                    return;
                }
            }
            case Fault::CutAtSource:
                bytes.resize(bytes.size() / 2);
                indexed = bytes.size();
                break;
            case Fault::CutInTransit:
                mirror::SetFault(object, "truncate");
                return;
            case Fault::FlippedBit:
                bytes[bytes.size() / 2] ^= 0x10;
                break;
            case Fault::Missing:
                ::DeleteFileA(mirror::Path(object).c_str());
                return;
            case Fault::Oversize:
                bytes += Noise(4096, 3);
                break;
        }
        mirror::WriteFile(mirror::Path(object), bytes);
    }
};

TEST_P(DeltaFallbackTest, EndsWithTheRightFileThroughThePlainOne) {
    const BrokenObject& broken = GetParam();
    if (broken.compressed)
        Break(m_zst, m_index.compressed.begin()->second);
    else
        Break(m_patch, m_index.patches.begin()->second);
    Publish(broken.signedRelease);
    v.RunUpdate(mirror::Url());

    ExpectUpdated();
    const std::string object = "/vedu/" + (broken.compressed ? m_zst : m_patch);
    const std::string plain = broken.compressed ? "new/fresh.txt" : "data.bin";
    const std::string other = broken.compressed ? m_patch : m_zst;
    EXPECT_EQ(mirror::CountRequests(object), 1u);
    EXPECT_EQ(mirror::CountRequests("/vedu/plaza/" + plain), 1u);
    // The other file still came as its object, untouched by the fallback.
    EXPECT_EQ(mirror::CountRequests("/vedu/" + other), 1u);
    EXPECT_EQ(CountFallbacks(), 1u) << LocalText("Launcher.log");
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DeltaFallbackTest,
    ::testing::Values(BrokenObject{"WrongBase", Fault::WrongBase, false, false},
                      BrokenObject{"CompressedCopyOfAnotherFile", Fault::OtherFile, true, false},
                      BrokenObject{"PatchCutAtTheSource", Fault::CutAtSource, false, false},
                      BrokenObject{"PatchCutInTransit", Fault::CutInTransit, false, false},
                      BrokenObject{"PatchWithAFlippedBit", Fault::FlippedBit, false, false},
                      BrokenObject{"CompressedWithAFlippedBit", Fault::FlippedBit, true, false},
                      BrokenObject{"MissingPatch", Fault::Missing, false, false},
                      BrokenObject{"OversizePatchSigned", Fault::Oversize, false, true}),
    [](const ::testing::TestParamInfo<BrokenObject>& info) { return info.param.name; });

}  // namespace
