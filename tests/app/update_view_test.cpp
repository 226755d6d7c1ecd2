// The launcher window as the update engine's view: what a run shows lands in
// the skin controls of those names, the ready state arms the delayed login,
// and the hand-over quits.
#include <gtest/gtest.h>

#include "app/Messages.h"
#include "tests/app/LauncherTestWindow.h"
#include "ui/controls/Progress.h"

using namespace SkinUI;

namespace {

constexpr char kUpdateSkin[] = R"(<Window size="400,300"><VerticalLayout>
  <Label name="UpdateState" height="20" />
  <Label name="PlazaVer" height="20" />
  <Label name="CurInfo" height="20" />
  <Progress name="CurFileProgress" height="10" />
  <Progress name="AllFileProgress" height="10" />
  <Label name="UpdateFileInfo0" height="20" />
  <Label name="UpdateFileInfo1" height="20" />
  <Label name="UpdateFileInfo2" height="20" />
  <HorizontalLayout height="24">
    <Button name="Logon" text="logon" />
    <Button name="Register" text="register" />
    <Button name="RestoreUpdate" text="repair" />
  </HorizontalLayout>
</VerticalLayout></Window>)";

}  // namespace

TEST(LauncherWindow, ShowsAnUpdateRunInItsSkinControls) {
    LauncherTestWindow window(kUpdateSkin);
    UpdateView& view = window;
    auto text = [&](const char* name) { return window.Control<CControlUI>(name)->GetText(); };
    auto enabled = [&](const char* name) { return window.Control<CControlUI>(name)->IsEnabled(); };
    auto* all = window.Control<CProgressUI>("AllFileProgress");
    auto* cur = window.Control<CProgressUI>("CurFileProgress");

    view.ShowUpdateState("更新中...");
    view.ShowVersion("Vedu　版本号：2.5.0");
    view.ShowCurInfo("正在下载：\\a.bin 12KB/s");
    view.ShowRecentFiles({"\\a.bin", "\\b.bin"});
    view.ShowAllFileProgress(57, true);
    view.ShowCurFileProgress(30);
    EXPECT_EQ(text("UpdateState"), "更新中...");
    EXPECT_EQ(text("PlazaVer"), "Vedu　版本号：2.5.0");
    EXPECT_EQ(text("CurInfo"), "正在下载：\\a.bin 12KB/s");
    EXPECT_EQ(text("UpdateFileInfo0"), "\\a.bin");
    EXPECT_EQ(text("UpdateFileInfo1"), "\\b.bin");
    EXPECT_EQ(all->GetValue(), 57);
    EXPECT_EQ(all->GetText(), "57%");
    EXPECT_EQ(cur->GetValue(), 30);
    EXPECT_EQ(cur->GetText(), "");
    // A new pass resets the bar and leaves its text.
    view.ShowAllFileProgress(0, false);
    EXPECT_EQ(all->GetValue(), 0);
    EXPECT_EQ(all->GetText(), "57%");

    view.EnableLoginButtons(false);
    EXPECT_FALSE(enabled("Logon") || enabled("Register") || enabled("RestoreUpdate"));
    view.EnableRepair();
    EXPECT_TRUE(enabled("RestoreUpdate"));
    EXPECT_FALSE(enabled("Logon") || enabled("Register"));
    view.EnableLoginButtons(true);
    EXPECT_TRUE(enabled("Logon") && enabled("Register"));

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
