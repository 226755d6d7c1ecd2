// The window's own messages: creation beside a running lobby, the caption hit
// test, the rounded region, the delayed login's timer and the queue of the
// worker threads' closures.
#include <gtest/gtest.h>

#include "app/Messages.h"
#include "tests/app/LauncherTestWindow.h"
#include "ui/controls/Edit.h"

using namespace SkinUI;

namespace {

LRESULT HitTestAt(LauncherTestWindow& window, int x, int y) {
    POINT pt = {x, y};
    ::ClientToScreen(window.GetHWND(), &pt);
    return window.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
}

POINT CenterOf(CControlUI* control) {
    const RECT rc = control->GetPos();
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

}  // namespace

TEST(LauncherWindow, CreatedBesideARunningLobbyHandsOverAndQuits) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "ReRodaDeviz";
    ::RegisterClassA(&wc);
    const HWND lobby = ::CreateWindowExA(0, "ReRodaDeviz", "Lobby", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                         100, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(lobby);
    ::ShowWindow(lobby, SW_MINIMIZE);

    auto* window = new CPlazaUpdateWnd;
    window->Create(nullptr, "Vedu", WS_POPUP, 0);
    EXPECT_EQ(window->m_Manager.GetRoot(), nullptr);
    EXPECT_FALSE(::IsIconic(lobby));
    EXPECT_TRUE(::GetWindowLongA(lobby, GWL_EXSTYLE) & WS_EX_TOPMOST);
    MSG msg;
    EXPECT_TRUE(
        ::PeekMessageA(&msg, window->GetHWND(), WM_QUIT_LAUNCHER, WM_QUIT_LAUNCHER, PM_NOREMOVE));
    PumpMessages(50);
    EXPECT_TRUE(TakeQuitMessage());

    ::DestroyWindow(window->GetHWND());  // frees the object too
    ::DestroyWindow(lobby);
    TakeQuitMessage();
}

// Labels, layouts, bars and the background of the caption band move the
// window; whatever the player works with there keeps the mouse, and so does
// everything below the band.
TEST(LauncherWindow, CaptionBandDragsExceptOverControls) {
    std::string markup = TestSkinMarkup();
    const std::string before = "<Button name=\"MinWindow\"";
    markup.insert(markup.find(before),
                  "<CheckBox name=\"c1\" width=\"20\" /><Slider name=\"c2\" width=\"20\" />"
                  "<ScrollBar name=\"c3\" width=\"20\" /><ComboBox name=\"c4\" width=\"20\" />"
                  "<Combo name=\"c5\" width=\"20\" /><RichEdit name=\"c6\" width=\"20\" />"
                  "<List name=\"c7\" width=\"30\"><ListLabelElement name=\"c8\" text=\"r\" />"
                  "</List><Progress name=\"p\" width=\"20\" />"
                  "<HorizontalLayout name=\"h\" width=\"20\" />");
    LauncherTestWindow window(markup);
    window.ShowWindow(true, false);
    PumpMessages(100);
    for (const char* name : {"CloseWindow", "c1", "c2", "c3", "c4", "c5", "c6", "c7", "c8"}) {
        CControlUI* control = window.Control<CControlUI>(name);
        ASSERT_NE(control, nullptr) << name;
        const POINT at = CenterOf(control);
        ASSERT_LT(at.y, 40) << name;
        EXPECT_EQ(HitTestAt(window, at.x, at.y), HTCLIENT) << name;
    }
    for (const char* name : {"Title", "p", "h"}) {
        const POINT at = CenterOf(window.Control<CControlUI>(name));
        EXPECT_EQ(HitTestAt(window, at.x, at.y), HTCAPTION) << name;
    }
    const POINT account = CenterOf(window.m_pAccountEdit);
    EXPECT_EQ(HitTestAt(window, account.x, account.y), HTCLIENT);
    EXPECT_EQ(HitTestAt(window, CenterOf(window.Control<CControlUI>("Title")).x, 45), HTCLIENT);
}

TEST(LauncherWindow, RoundCornersCoverTheWholeWindow) {
    LauncherTestWindow window;
    window.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 320));
    RECT frame;
    ::GetWindowRect(window.GetHWND(), &frame);
    UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(::GetWindowRgn(window.GetHWND(), region.get()), ERROR);
    RECT box;
    ::GetRgnBox(region.get(), &box);
    // Without the extra pixel the last column and row would be cut off.
    EXPECT_EQ(box.right, frame.right - frame.left);
    EXPECT_EQ(box.bottom, frame.bottom - frame.top);
    EXPECT_FALSE(::PtInRegion(region.get(), 0, 0));

    LauncherTestWindow square(TestSkinMarkup("caption=\"0,0,0,40\""));
    square.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 320));
    UniqueRegion none(::CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(::GetWindowRgn(square.GetHWND(), none.get()), ERROR);
}

TEST(LauncherWindow, AutoLogonTimerFiresOnceAndLogsIn) {
    LauncherTestWindow window;
    window.m_Engine.m_bUpdateFinished = true;
    MessageBoxWatcher boxes;
    ::SetTimer(window.GetHWND(), TIMER_AUTO_LOGON, 10, nullptr);
    for (int i = 0; i < 3000 && boxes.Boxes().empty(); ++i)
        PumpMessages(10);
    PumpMessages(100);
    // The login ran (and stopped at the empty account box) exactly once.
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].sText, "您还没有填写登录帐号！");
    EXPECT_FALSE(::KillTimer(window.GetHWND(), TIMER_AUTO_LOGON));
}

TEST(LauncherWindow, UiQueueKeepsWakingTheWindowAfterAFailedPost) {
    LauncherTestWindow window;
    const HWND gone = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr,
                                        ::GetModuleHandleA(nullptr), nullptr);
    ::DestroyWindow(gone);
    const std::shared_ptr<UiQueue> queue = window.GetUiQueue();
    std::vector<int> ran;
    // The wake-up message cannot be posted: the work waits in the queue.
    queue->SetTarget(gone);
    queue->Post([&ran] { ran.push_back(1); });
    queue->SetTarget(window.GetHWND());
    queue->Post([&ran] { ran.push_back(2); });
    MSG msg;
    for (int i = 0; i < 50 && ran.size() < 2; ++i) {
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
        ::Sleep(10);
    }
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
}
