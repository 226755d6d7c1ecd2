// Behaviour of the controls the launcher drives, through real windows and
// the same messages a user's input produces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "tests/ui/support/TestWindow.h"

using namespace SkinUI;
using uitest::TestWindow;

namespace {

constexpr char kOptions[] =
    "<Window><VerticalLayout>"
    "<Option name=\"solo\" height=\"20\" />"
    "<Option name=\"a\" group=\"g\" selected=\"true\" height=\"20\" />"
    "<Option name=\"b\" group=\"g\" height=\"20\" />"
    "<Option name=\"c\" group=\"g\" height=\"20\" />"
    "<CheckBox name=\"check\" height=\"20\" enabled=\"false\" />"
    "<Control />"
    "</VerticalLayout></Window>";

TEST(OptionTest, ClickIsHeardBeforeTheSelectionChanges) {
    TestWindow window(kOptions);
    ASSERT_TRUE(window.Open());
    auto* solo = window.Find<COptionUI>("solo");
    ASSERT_NE(solo, nullptr);
    std::vector<bool> seenAtClick;
    window.onNotify = [&](TNotifyMsg& msg) {
        if (msg.sType == "click")
            seenAtClick.push_back(solo->IsSelected());
    };
    TestWindow::Click(window.GetHWND(), TestWindow::CenterOf(solo));
    TestWindow::Click(window.GetHWND(), TestWindow::CenterOf(solo));
    EXPECT_EQ(seenAtClick, (std::vector<bool>{false, true}));
    EXPECT_FALSE(solo->IsSelected());
    EXPECT_EQ(window.TypesFrom("solo"),
              (std::vector<std::string>{"click", "selectchanged", "click", "selectchanged"}));
}

TEST(OptionTest, GroupMembersStepBackSilently) {
    TestWindow window(kOptions);
    ASSERT_TRUE(window.Open());
    auto* a = window.Find<COptionUI>("a");
    auto* b = window.Find<COptionUI>("b");
    TestWindow::Click(window.GetHWND(), TestWindow::CenterOf(b));
    EXPECT_TRUE(b->IsSelected());
    EXPECT_FALSE(a->IsSelected());
    EXPECT_TRUE(window.TypesFrom("a").empty());
    EXPECT_EQ(window.TypesFrom("b"), (std::vector<std::string>{"click", "selectchanged"}));
    // Clicking the selected member again only clicks.
    TestWindow::Click(window.GetHWND(), TestWindow::CenterOf(b));
    EXPECT_TRUE(b->IsSelected());
    EXPECT_EQ(window.TypesFrom("b").size(), 3u);
    // A disabled option hears nothing and keeps its state.
    TestWindow::Click(window.GetHWND(), TestWindow::CenterOf(window.Find<COptionUI>("check")));
    EXPECT_TRUE(window.TypesFrom("check").empty());
}

TEST(ProgressTest, ValuesOutsideTheRangeAreIgnored) {
    CProgressUI bar;
    bar.SetValue(40);
    EXPECT_EQ(bar.GetValue(), 40);
    bar.SetValue(150);
    EXPECT_EQ(bar.GetValue(), 40);
    bar.SetValue(-1);
    EXPECT_EQ(bar.GetValue(), 40);
    bar.SetValue(100);
    EXPECT_EQ(bar.GetValue(), 100);
}

TEST(ButtonTest, AttributeListBuildsTheAccountDeleteButton) {
    CButtonUI button;
    button.ApplyAttributeList(
        "name=\"delete\" text=\"清除\" visible=\"false\" tooltip=\"清除账号\" width=\"35\" "
        "textcolor=\"#FF0000FF\" hottextcolor=\"#FFFF0000\"");
    EXPECT_EQ(button.GetName(), "delete");
    EXPECT_EQ(button.GetText(), "清除");
    EXPECT_FALSE(button.IsVisible());
    EXPECT_EQ(button.GetToolTip(), "清除账号");
    EXPECT_EQ(button.GetFixedWidth(), 35);
    EXPECT_EQ(button.GetTextColor(), 0xFF0000FFu);
    EXPECT_EQ(button.GetHotTextColor(), 0xFFFF0000u);

    // A broken pair ends the list; what came before it stays.
    CButtonUI broken;
    broken.ApplyAttributeList("name=\"x\" text=\"y\" width=35 height=\"9\"");
    EXPECT_EQ(broken.GetName(), "x");
    EXPECT_EQ(broken.GetText(), "y");
    EXPECT_EQ(broken.GetFixedWidth(), 0);
    EXPECT_EQ(broken.GetFixedHeight(), 0);
}

// Paints a control alone into a white bitmap and hands back its pixels.
std::vector<uint32_t> PaintAlone(CControlUI& control, int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    std::fill_n(static_cast<uint32_t*>(bits), width * height, 0xFFFFFFFFu);
    control.SetPos(RECT{0, 0, width, height});
    control.DoPaint(dc, RECT{0, 0, width, height});
    ::GdiFlush();
    std::vector<uint32_t> pixels(static_cast<uint32_t*>(bits),
                                 static_cast<uint32_t*>(bits) + width * height);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return pixels;
}

TEST(ProgressTest, LargeRangesFillInProportion) {
    TestWindow window("<Window><Progress name=\"bar\" forecolor=\"#FF0000FF\" /></Window>");
    ASSERT_TRUE(window.Open());
    auto* bar = window.Find<CProgressUI>("bar");
    // Bytes of a big download: far beyond what width times value fits in 32 bits.
    bar->SetMaxValue(2000000000);
    bar->SetValue(1000000000);
    const std::vector<uint32_t> pixels = PaintAlone(*bar, 400, 4);
    EXPECT_EQ(pixels[400 + 190] & 0xFFFFFF, 0x0000FFu) << "the first half is filled";
    EXPECT_EQ(pixels[400 + 210] & 0xFFFFFF, 0xFFFFFFu) << "the second is not";
}

// Without images a scroll bar part shows its colour a shade darker when hot
// and two when pushed, channel by channel: a channel already near black
// stays black rather than taking from its neighbour.
TEST(ScrollBarTest, HotAndPushedShadesStayWithinEachChannel) {
    CScrollBarUI bar;
    bar.ApplyAttributeList("thumbcolor=\"#FF300850\"");
    // 16 wide and 100 high: a button of 16, then the thumb from 16 to 32.
    auto thumbColor = [&bar] { return PaintAlone(bar, 16, 100)[24 * 16 + 8] & 0xFFFFFF; };
    EXPECT_EQ(thumbColor(), 0x300850u);
    auto pointer = [&bar](UIEventType type) {
        TEventUI event;
        event.Type = type;
        event.ptMouse = POINT{8, 24};
        bar.Event(event);
    };
    pointer(UIEVENT_MOUSEENTER);
    pointer(UIEVENT_MOUSEMOVE);
    EXPECT_EQ(thumbColor(), 0x200040u) << "hot";
    pointer(UIEVENT_BUTTONDOWN);
    EXPECT_EQ(thumbColor(), 0x100030u) << "pushed";
}

TEST(ManagerTest, DuplicateNamesAndDestroyedControls) {
    TestWindow window(
        "<Window><VerticalLayout name=\"box\">"
        "<Label name=\"SavePassWord\" text=\"first\" height=\"20\" />"
        "<Label name=\"SavePassWord\" text=\"second\" height=\"20\" />"
        "</VerticalLayout></Window>");
    ASSERT_TRUE(window.Open());
    CControlUI* found = window.Manager().FindControl("SavePassWord");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->GetText(), "first");
    EXPECT_EQ(window.Manager().FindControl("SavePassword"), nullptr);
    auto* box = window.Find<CVerticalLayoutUI>("box");
    ASSERT_TRUE(box->Remove(found));
    EXPECT_FALSE(box->Remove(found));
    TestWindow::Pump();
    // The map held the removed control, so the name is gone with it.
    EXPECT_EQ(window.Manager().FindControl("SavePassWord"), nullptr);
    EXPECT_EQ(box->GetCount(), 1);
    EXPECT_EQ(box->GetItemAt(1), nullptr);
}

TEST(ManagerTest, ARenamedControlLeavesNoEntryUnderItsOldName) {
    TestWindow window(
        "<Window><VerticalLayout name=\"box\"><Label name=\"old\" height=\"20\" />"
        "</VerticalLayout></Window>");
    ASSERT_TRUE(window.Open());
    CControlUI* label = window.Manager().FindControl("old");
    ASSERT_NE(label, nullptr);
    label->SetName("new");
    EXPECT_EQ(window.Manager().FindControl("old"), nullptr);
    EXPECT_EQ(window.Manager().FindControl("new"), label);
    ASSERT_TRUE(window.Find<CVerticalLayoutUI>("box")->Remove(label));
    TestWindow::Pump();
    EXPECT_EQ(window.Manager().FindControl("new"), nullptr);
    EXPECT_EQ(window.Manager().FindControl("old"), nullptr);
}

// Counts its own destruction, so a test can see when it happens.
class WatchedButton : public CButtonUI {
public:
    explicit WatchedButton(bool* destroyed) : m_destroyed(destroyed) {}
    ~WatchedButton() override { *m_destroyed = true; }

private:
    bool* m_destroyed;
};

TEST(ManagerTest, SenderRemovedDuringItsOwnNotificationOutlivesIt) {
    TestWindow window("<Window><HorizontalLayout name=\"row\" /></Window>");
    ASSERT_TRUE(window.Open());
    auto* row = window.Find<CHorizontalLayoutUI>("row");
    bool destroyed = false;
    auto* button = new WatchedButton(&destroyed);
    button->SetName("gone");
    ASSERT_TRUE(row->Add(button));
    window.Paint();
    bool aliveAfterRemove = false;
    window.onNotify = [&](TNotifyMsg& msg) {
        if (msg.sType != "click")
            return;
        row->Remove(msg.pSender);
        aliveAfterRemove = !destroyed && msg.pSender->GetName() == "gone";
    };
    TestWindow::Click(window.GetHWND(), TestWindow::CenterOf(button));
    EXPECT_TRUE(aliveAfterRemove);
    EXPECT_FALSE(destroyed);
    TestWindow::Pump();
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(window.Manager().FindControl("gone"), nullptr);
    // Further input finds nothing stale.
    TestWindow::MoveTo(window.GetHWND(), POINT{5, 5});
    EXPECT_EQ(row->GetCount(), 0);
}

TEST(EditTest, NativeBoxCopiesTextAndReportsKeys) {
    TestWindow window(
        "<Window><VerticalLayout>"
        "<Edit name=\"user\" height=\"30\" />"
        "<Edit name=\"pass\" height=\"30\" password=\"true\" />"
        "<Button name=\"next\" height=\"30\" />"
        "</VerticalLayout></Window>");
    ASSERT_TRUE(window.Open(300, 200));
    auto* pass = window.Find<CEditUI>("pass");
    pass->SetMaxChar(5);
    pass->SetFocus();
    HWND native = pass->GetNativeWindow();
    ASSERT_NE(native, nullptr);
    EXPECT_NE(::GetWindowLongA(native, GWL_STYLE) & ES_PASSWORD, 0);
    EXPECT_EQ(::SendMessageA(native, EM_GETLIMITTEXT, 0, 0), 5);

    ::SetWindowTextA(native, "abc");
    EXPECT_EQ(pass->GetText(), "abc");
    EXPECT_EQ(window.TypesFrom("pass"), std::vector<std::string>{"textchanged"});
    ::SendMessageA(native, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(window.TypesFrom("pass").back(), "return");

    // Tab leaves the box: "tab" first, then the focus moves on.
    MSG tab = {native, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_TRUE(CWindowManagerUI::TranslateUIMessage(&tab));
    EXPECT_EQ(window.TypesFrom("pass").back(), "tab");
    EXPECT_EQ(window.Manager().GetFocus(), window.Find<CControlUI>("next"));
    TestWindow::Pump();
    EXPECT_EQ(pass->GetNativeWindow(), nullptr);
    EXPECT_EQ(pass->GetText(), "abc");

    // Closed, the box masks each character once, as the native box does: a
    // double-byte password keeps its length when the focus leaves.
    const RECT laidOut = pass->GetPos();
    pass->SetText("ab");
    const std::vector<uint32_t> twoAscii = PaintAlone(*pass, 200, 30);
    EXPECT_TRUE(std::any_of(twoAscii.begin(), twoAscii.end(),
                            [](uint32_t pixel) { return pixel != 0xFFFFFFFFu; }));
    pass->SetText("密码");
    EXPECT_TRUE(PaintAlone(*pass, 200, 30) == twoAscii);
    pass->SetPos(laidOut);
    pass->SetText("abc");

    // A click opens the box again with the whole text selected.
    TestWindow::Click(window.GetHWND(), TestWindow::CenterOf(pass));
    native = pass->GetNativeWindow();
    ASSERT_NE(native, nullptr);
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageA(native, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 3u);
    pass->SetText("xy");
    char text[16] = {};
    ::GetWindowTextA(native, text, sizeof(text));
    EXPECT_STREQ(text, "xy");
}

// The launcher fills and focuses its password box while its window is being
// created, before the first layout gave the box any width. Once laid out, the
// box shows the whole text, not the last character scrolled to its left edge.
TEST(EditTest, BoxOpenedBeforeLayoutShowsTheWholeText) {
    TestWindow window(
        "<Window><VerticalLayout>"
        "<Edit name=\"pass\" height=\"30\" password=\"true\" />"
        "<Edit name=\"user\" height=\"30\" />"
        "</VerticalLayout></Window>");
    ASSERT_TRUE(window.Open(300, 200));
    for (const char* name : {"pass", "user"}) {
        auto* edit = window.Find<CEditUI>(name);
        const RECT laidOut = edit->GetPos();
        edit->SetPos(RECT{0, 0, 0, 0});
        edit->SetText("secret 12");
        edit->SetFocus();
        HWND native = edit->GetNativeWindow();
        ASSERT_NE(native, nullptr);
        edit->SetPos(laidOut);
        window.Paint();
        // For a one-line box this is the first character shown.
        EXPECT_EQ(::SendMessageA(native, EM_GETFIRSTVISIBLELINE, 0, 0), 0) << name;
        DWORD start = 0;
        DWORD end = 0;
        ::SendMessageA(native, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                       reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, 9u) << name;
        EXPECT_EQ(end, 9u) << name;
    }
}

}  // namespace
