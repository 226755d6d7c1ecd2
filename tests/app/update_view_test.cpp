// The launcher window as the update engine's view: what a run shows lands in
// the skin controls of those names, the ready state arms the delayed login,
// and the hand-over quits.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "app/Messages.h"
#include "tests/app/LauncherTestWindow.h"
#include "ui/controls/Progress.h"

using namespace SkinUI;

TEST(LauncherWindow, ShowsAnUpdateRunInItsSkinControls) {
    LauncherTestWindow window(R"(<Window size="400,300"><VerticalLayout>
      <Label name="UpdateState" /><Label name="PlazaVer" /><Label name="CurInfo" />
      <Label name="UpdateFileInfo0" /><Label name="UpdateFileInfo1" />
      <Progress name="CurFileProgress" /><Progress name="AllFileProgress" /><Button name="Logon" />
      <Button name="Register" /><Button name="RestoreUpdate" /></VerticalLayout></Window>)");
    UpdateView& view = window;
    view.ShowUpdateState("更新中...");
    view.ShowVersion("版本号：2.5.0");
    view.ShowCurInfo("正在下载：\\a.bin 12KB/s");
    view.ShowRecentFiles({"\\a.bin", "\\b.bin"});
    view.ShowAllFileProgress(57, true);
    view.ShowCurFileProgress(30);
    // A new pass resets the whole bar and leaves its text.
    view.ShowAllFileProgress(0, false);
    const std::pair<const char*, const char*> shown[] = {{"UpdateState", "更新中..."},
                                                         {"PlazaVer", "版本号：2.5.0"},
                                                         {"CurInfo", "正在下载：\\a.bin 12KB/s"},
                                                         {"UpdateFileInfo0", "\\a.bin"},
                                                         {"UpdateFileInfo1", "\\b.bin"},
                                                         {"AllFileProgress", "57%"},
                                                         {"CurFileProgress", ""}};
    for (const auto& [name, text] : shown)
        EXPECT_EQ(window.Control<CControlUI>(name)->GetText(), text) << name;
    EXPECT_EQ(window.Control<CProgressUI>("AllFileProgress")->GetValue(), 0);
    EXPECT_EQ(window.Control<CProgressUI>("CurFileProgress")->GetValue(), 30);

    const auto enabled = [&] {
        std::string states;
        for (const char* name : {"Logon", "Register", "RestoreUpdate"})
            states += window.Control<CControlUI>(name)->IsEnabled() ? '1' : '0';
        return states;
    };
    view.EnableLoginButtons(false);
    view.EnableRepair();
    EXPECT_EQ(enabled(), "001");
    view.EnableLoginButtons(true);
    EXPECT_EQ(enabled(), "111");

    // The delayed login needs both the saved password and the auto-logon.
    window.m_bAutoLogon = true;
    EXPECT_FALSE(view.ArmAutoLogon());
    EXPECT_FALSE(::KillTimer(window.GetHWND(), TIMER_AUTO_LOGON));
    window.m_bSavePassword = true;
    EXPECT_TRUE(view.ArmAutoLogon());
    EXPECT_TRUE(::KillTimer(window.GetHWND(), TIMER_AUTO_LOGON));

    view.RequestQuit();
    PumpMessages(50);
    EXPECT_TRUE(TakeQuitMessage());
}
