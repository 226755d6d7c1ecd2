// Stopping and starting update runs: what a stop keeps, how soon it ends a
// run that waits for the network, what a new run shows at once, and how the
// limits end a request that a mirror holds open.
#include <cstdlib>

#include "tests/update/support/UpdateRunFixture.h"
#include "update/net/NetLimits.h"

namespace {

TEST_F(UpdateRunTest, CancelDuringADownloadKeepsTheOldFileAndTheNextRunFinishesIt) {
    std::string body;
    for (int i = 0; i < 400000; ++i)
        body += static_cast<char>('a' + i % 23);
    mirror::PublishFiles({{"\\slow.bin", body}});
    mirror::WriteFile(Local("slow.bin"), "old slow");
    mirror::SetFault("plaza/slow.bin", "trickle");
    v.Start(mirror::Url());
    // Stop closes the run's own handle: wait on a copy.
    const Base::UniqueKernelHandle ownThread = CopyThreadHandle(*v.engine.CurrentRun());
    const HANDLE thread = ownThread.get();
    ASSERT_TRUE(thread);
    // The speed shown is that of the bytes moving: at most 80 KB/s here.
    const std::string downloading = "正在下载：\\slow.bin ";
    ASSERT_TRUE(v.PumpUntil([&] { return v.shown.info.rfind(downloading, 0) == 0; }, 20000));
    const std::string speed = v.shown.info.substr(downloading.size());
    const int kb = std::atoi(speed.c_str());
    EXPECT_TRUE(kb > 4 && kb < 400 && speed == std::to_string(kb) + "KB/s") << speed;

    const DWORD start = ::GetTickCount();
    v.engine.Stop();
    EXPECT_LT(::GetTickCount() - start, 1000u) << "the stop must not wait for the download";
    EXPECT_FALSE(v.engine.m_bUpdating);
    const std::string stateAtStop = v.shown.state;
    // The stopped thread ends on its own and keeps what it received.
    EXPECT_TRUE(
        v.PumpUntil([&] { return ::WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 15000));
    EXPECT_TRUE(HasTemp("slow.bin"));
    EXPECT_EQ(LocalText("slow.bin"), "old slow");
    EXPECT_EQ(v.shown.state, stateAtStop);

    // "again" makes attempt 2, on the second mirror. It asks for the rest;
    // this mirror ignores ranges and sends the whole file, which replaces
    // the partial one.
    mirror::ClearFaults();
    v.RunUpdate("http://127.0.0.1:1/unused/", mirror::Url());
    EXPECT_EQ(v.engine.m_nUpdateAttempt, 2u);
    EXPECT_TRUE(LocalText("slow.bin") == body);
    EXPECT_FALSE(HasTemp("slow.bin"));
    const std::vector<std::string> asked = mirror::Requests();
    ASSERT_FALSE(asked.empty());
    EXPECT_NE(asked.back().find("\"range\": \"bytes="), std::string::npos) << asked.back();
    ExpectReady();
}

TEST_F(UpdateRunTest, ARunCancelledAtAnyMomentKeepsOnlyTheStartsOfFiles) {
    // Files on their way several at a time, each for a second or two, and
    // a Cancel at a different moment in each round.
    std::vector<mirror::File> files;
    for (int i = 0; i < 10; ++i)
        files.push_back({"\\cancel\\f" + std::to_string(i) + ".bin", Noise(150000 + i * 999, i)});
    mirror::PublishFiles(files);
    uint32_t seed = 25;
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        // The starts kept by the rounds before stay.
        for (const mirror::File& file : files)
            mirror::WriteFile(Local(file.name.substr(1)), "old " + file.name);
        mirror::WriteFile(Local("ver.ini"), kOldStamp);
        mirror::ClearFaults();
        for (const mirror::File& file : files)
            mirror::SetFault("plaza/cancel/" + file.name.substr(8), "trickle", 0, 0, 8 << 10);
        RecordingView run;
        run.Start(mirror::Url());
        const Base::UniqueKernelHandle thread = CopyThreadHandle(*run.engine.CurrentRun());
        seed = seed * 1103515245u + 12345u;
        run.Pump((seed >> 16) % 1500);
        run.engine.Stop();
        ASSERT_TRUE(run.PumpUntil(
            [&] { return ::WaitForSingleObject(thread.get(), 0) == WAIT_OBJECT_0; }, 10000));
        for (const mirror::File& file : files) {
            const std::string name = file.name.substr(1);
            const std::string target = LocalText(name);
            EXPECT_TRUE(target == file.bytes || target == "old " + file.name) << name;
            if (!HasTemp(name))
                continue;
            const std::string kept = LocalText(name + ".tmp");
            // A whole one passed its checks; the next run moves it.
            EXPECT_LE(kept.size(), file.bytes.size()) << name;
            EXPECT_TRUE(kept == file.bytes.substr(0, kept.size())) << name << " keeps other bytes";
        }
        EXPECT_EQ(LocalText("ver.ini"), kOldStamp);
    }
    // What the rounds kept, the next run finishes.
    mirror::ClearFaults();
    v.RunUpdate(mirror::Url());
    for (const mirror::File& file : files)
        EXPECT_TRUE(LocalText(file.name.substr(1)) == file.bytes) << file.name;
    EXPECT_EQ(LocalText("ver.ini"), kStamp);
}

TEST_F(UpdateRunTest, AFailedFileStopsTheTransfersAfterIt) {
    // The file after the one that fails would take a minute.
    const std::string after = Noise(1 << 20, 7);
    mirror::PublishFiles(
        {{"\\before.bin", Noise(100000, 5)}, {"\\missing.txt", "missing"}, {"\\after.bin", after}});
    for (const char* name : {"before.bin", "after.bin", "after.bin.tmp"})
        ::DeleteFileA(Local(name).c_str());
    mirror::SetFault("plaza/before.bin", "trickle", 0, 0, 8 << 10);
    mirror::SetFault("plaza/missing.txt", "404");
    mirror::SetFault("plaza/after.bin", "trickle", 0, 0, 1 << 10);
    v.RunUpdate(mirror::Url(), {}, 20000);
    EXPECT_EQ(v.shown.info, "下载失败：\\missing.txt服务器错误404！");
    EXPECT_EQ(LocalText("before.bin").size(), 100000u);
    EXPECT_FALSE(mirror::Exists(Local("after.bin")));
    const std::string kept = LocalText("after.bin.tmp");
    EXPECT_TRUE(kept == after.substr(0, kept.size()));
    EXPECT_EQ(LocalText("ver.ini"), kOldStamp);
    ExpectReady();
}

TEST_F(UpdateRunTest, AStartedRunIsVisibleAtOnce) {
    mirror::WriteFile(Local("ver.ini"), kStamp);
    v.RunUpdate(mirror::Url());
    ExpectReady();
    // A login or a Cancel between the start and the thread's first post
    // must see a running update.
    v.Start(mirror::Url());
    EXPECT_TRUE(v.engine.m_bUpdating);
    EXPECT_FALSE(v.engine.m_bUpdateFinished);
    v.engine.Stop();
}

TEST_F(UpdateRunTest, AStopEndsARunThatWaitsForAnAnswer) {
    // The mirror takes the request and says nothing for a minute: the run
    // hangs inside the request, where no block read checks the stop.
    mirror::SetFault("ver.html", "silent", 1, 60);
    v.Start(mirror::Url());
    // Stop closes the run's own handle: wait on a copy.
    const Base::UniqueKernelHandle ownThread = CopyThreadHandle(*v.engine.CurrentRun());
    const HANDLE thread = ownThread.get();
    ASSERT_TRUE(thread);
    ASSERT_TRUE(v.PumpUntil([] { return mirror::CountRequests("/vedu/ver.html") == 1; }, 20000));
    v.Pump(200);
    v.engine.Stop();
    // The thread is gone at once, not when the mirror's silence ends.
    EXPECT_TRUE(
        v.PumpUntil([&] { return ::WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 20000));
    EXPECT_EQ(LocalText("Launcher.log"), "") << "a stopped fetch is no failed fetch";
}

TEST_F(UpdateRunTest, AMirrorThatHoldsAnswersOpenEndsEachAttemptWithinTheLimits) {
    NetLimits limits;
    limits.answerMs = 1500;
    limits.rateWindowMs = 2000;
    v.engine.Store().UseNetLimits(limits);
    const std::string body(20000, 'd');
    mirror::PublishFiles({{"\\drip.bin", body}});
    mirror::WriteFile(Local("drip.bin"), "old drip");
    // No headers for two minutes: the attempt fails at its answer time and
    // the next mirror takes over. There the file comes a byte at a time,
    // far below the minimum rate, and the pass fails as after a broken
    // download, keeping what arrived for the next run. Waiting out either
    // would take longer than the run is given.
    mirror::SetFault("ver.html", "silent", 1, 120);
    mirror::SetFault("plaza/drip.bin", "drip", 1, 0.4);
    v.RunUpdate(mirror::Url());
    EXPECT_EQ(v.engine.m_nUpdateAttempt, 2u);
    EXPECT_EQ(v.shown.info, "下载失败：\\drip.bin");
    EXPECT_EQ(LocalText("drip.bin"), "old drip");
    EXPECT_EQ(LocalText("ver.ini"), kOldStamp);
    ExpectReady();
    EXPECT_NE(LocalText("Launcher.log").find("InternetOpenUrl:"), std::string::npos);

    // The next run finishes from a mirror that answers.
    v.RunUpdate(mirror::Url());
    EXPECT_TRUE(LocalText("drip.bin") == body);
    EXPECT_EQ(LocalText("ver.ini"), kStamp);
}

// A body whose start comes at full speed, whole blocks of it, and then
// stops or comes a byte now and then: the transfer ends within the rate
// window, and what it keeps for the next run is the body's start.
struct StalledBody {
    const char* name;
    const char* fault;
    int after;  // bytes sent at full speed first
};

class StalledBodyTest : public UpdateRunTest, public ::testing::WithParamInterface<StalledBody> {};

TEST_P(StalledBodyTest, EndsWithinTheRateWindow) {
    NetLimits limits;
    limits.rateWindowMs = 2000;
    v.engine.Store().UseNetLimits(limits);
    std::string body(1 << 20, '\0');
    for (size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>(i * 7 / 5);
    mirror::PublishFiles({{"\\halted.bin", body}});
    ::DeleteFileA(Local("halted.bin.tmp").c_str());
    // The stall holds for a minute, the drip sends a byte every 1.5 s:
    // each pause is shorter than the window, so only the rate ends it.
    const bool drip = GetParam().fault == std::string("drip");
    mirror::SetFault("plaza/halted.bin", GetParam().fault, 1, drip ? 1.5 : 60, 0, GetParam().after);
    // Ten windows: far beyond the window and its slack, far below the
    // minute the stall lasts.
    v.RunUpdate(mirror::Url(), {}, 20000);
    EXPECT_EQ(v.shown.info, "下载失败：\\halted.bin");
    const std::string kept = LocalText("halted.bin.tmp");
    EXPECT_TRUE(kept == body.substr(0, kept.size())) << "what is kept must be the body's start";
    EXPECT_EQ(LocalText("ver.ini"), kOldStamp);
    ExpectReady();
}

INSTANTIATE_TEST_SUITE_P(Faults, StalledBodyTest,
                         ::testing::Values(StalledBody{"StallAfter16KiB", "stall", 16 << 10},
                                           StalledBody{"StallAfter256KiB", "stall", 256 << 10},
                                           StalledBody{"DripAfter16KiB", "drip", 16 << 10},
                                           StalledBody{"DripAfter256KiB", "drip", 256 << 10}),
                         [](const ::testing::TestParamInfo<StalledBody>& info) {
                             return info.param.name;
                         });

TEST_F(UpdateRunTest, AFileThatStallsAfterQuickOnesShowsItsName) {
    // Quick files go to the display in batches; the file that then hangs
    // must not be held back with them until it moves again, ten seconds on.
    std::vector<mirror::File> files;
    for (int i = 0; i < 30; ++i)
        files.push_back({"\\quick" + std::to_string(i) + ".txt", "quick"});
    files.push_back({"\\stalled.bin", std::string(100000, 's')});
    mirror::PublishFiles(files);
    mirror::SetFault("plaza/stalled.bin", "stall", 1, 10);
    v.Start(mirror::Url());
    const Base::UniqueKernelHandle thread = CopyThreadHandle(*v.engine.CurrentRun());
    ASSERT_TRUE(
        v.PumpUntil([] { return mirror::CountRequests("/vedu/plaza/stalled.bin") == 1; }, 60000));
    EXPECT_TRUE(v.PumpUntil(
        [&] {
            return !v.shown.recentFiles.empty() && v.shown.recentFiles.back() == "\\stalled.bin";
        },
        5000));
    v.engine.Stop();
    EXPECT_TRUE(v.PumpUntil([&] { return ::WaitForSingleObject(thread.get(), 0) == WAIT_OBJECT_0; },
                            30000));
}

}  // namespace
