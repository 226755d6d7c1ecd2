// The resolver thread's result reaching the window, and the line choice the
// window makes at login.
#include <gtest/gtest.h>

#include "launcher_settings.h"
#include "tests/app/LauncherTestWindow.h"
#include "ui/controls/Option.h"

using namespace SkinUI;

TEST(ServerSelection, LoginBeforeTheResolverFinishedUsesTheDefaultAddress) {
    LauncherTestWindow window;
    window.Control<COptionUI>("LogonLineAuto")->SetSelected(true);
    window.m_sServerHost = "10.20.30.40";
    window.StartResolverThread();
    // The thread has posted its result; it waits in the window's queue until
    // the message loop runs.
    ASSERT_EQ(::WaitForSingleObject(window.m_hResolverThread.get(), 60000), WAIT_OBJECT_0);
    window.SelectLoginServer();
    EXPECT_EQ(window.m_sServerAddr, settings::kServerAddr);
    EXPECT_EQ(window.m_nServerLine, 2);

    for (int i = 0; i < 1000 && window.m_sServerAddr != "10.20.30.40"; ++i)
        PumpMessages(10);
    EXPECT_EQ(window.m_sServerAddr, "10.20.30.40");
    window.SelectLoginServer();
    EXPECT_EQ(window.m_nServerLine, 0);
    EXPECT_EQ(window.m_sServerAddr, "10.20.30.40");
}

TEST(ServerSelection, LineChoicesAndTheAutomaticOptionAtLogin) {
    LauncherTestWindow window;
    window.m_sServerAddr = "10.20.30.40";

    window.SendNotify("click", "Line1");
    EXPECT_FALSE(window.m_bAutoSelectServer);
    EXPECT_EQ(window.m_nServerLine, 1);
    window.Control<COptionUI>("LogonLine1")->SetSelected(true);
    window.SelectLoginServer();
    // A fixed line with empty lists: the default address, the line kept.
    EXPECT_EQ(window.m_sServerAddr, settings::kServerAddr);
    EXPECT_EQ(window.m_nServerLine, 1);

    // Then the automatic option: it wins, and the line follows the address.
    window.Control<COptionUI>("LogonLineAuto")->SetSelected(true);
    window.SendNotify("selectchanged", "LogonLineAuto");
    EXPECT_TRUE(window.m_bAutoSelectServer);
    window.SelectLoginServer();
    EXPECT_EQ(window.m_nServerLine, 2);

    window.SendNotify("SelectChanged", "LogonLine0");
    EXPECT_FALSE(window.m_bAutoSelectServer);
    EXPECT_EQ(window.m_nServerLine, 0);
    window.SendNotify("itemselect", "LogonLineAuto");
    EXPECT_TRUE(window.m_bAutoSelectServer);
    window.SendNotify("click", "Line2");
    EXPECT_EQ(window.m_nServerLine, 2);
    window.SendNotify("click", "LogonLineAuto");
    EXPECT_TRUE(window.m_bAutoSelectServer);
}
