// The layouts in real windows: tab pages, flow sizes with paddings and float
// children, container scrolling, and the tile grid.
#include <gtest/gtest.h>

#include <string>

#include "tests/ui/support/TestWindow.h"

using namespace SkinUI;
using uitest::TestWindow;

namespace {

TEST(TabLayoutTest, TheSkinsSelectedPageIsShown) {
    TestWindow window(
        "<Window><TabLayout name=\"tabs\" selectedid=\"1\"><Label name=\"p0\" />"
        "<Label name=\"p1\" /><Label name=\"p2\" /></TabLayout></Window>");
    ASSERT_TRUE(window.Open());
    EXPECT_EQ(window.Find<CTabLayoutUI>("tabs")->GetCurSel(), 1);
    EXPECT_FALSE(window.Find<CControlUI>("p0")->IsVisible());
    EXPECT_TRUE(window.Find<CControlUI>("p1")->IsVisible());
    EXPECT_FALSE(window.Find<CControlUI>("p2")->IsVisible());
}

TEST(TabLayoutTest, SelectingShowsOnePageMovesFocusAndNotifies) {
    TestWindow window(
        "<Window><TabLayout name=\"tabs\">"
        "<VerticalLayout name=\"p0\"><Button name=\"b0\" height=\"20\" /></VerticalLayout>"
        "<VerticalLayout name=\"p1\"><Label height=\"20\" /><Button name=\"b1\" height=\"20\" />"
        "</VerticalLayout></TabLayout></Window>");
    ASSERT_TRUE(window.Open());
    auto* tabs = window.Find<CTabLayoutUI>("tabs");
    EXPECT_EQ(tabs->GetCurSel(), 0);
    EXPECT_FALSE(tabs->SelectItem(2));
    EXPECT_TRUE(tabs->SelectItem(0));
    EXPECT_TRUE(window.TypesFrom("tabs").empty());

    EXPECT_TRUE(tabs->SelectItem(1));
    EXPECT_FALSE(window.Find<CControlUI>("p0")->IsVisible());
    EXPECT_TRUE(window.Find<CControlUI>("p1")->IsVisible());
    ASSERT_EQ(window.TypesFrom("tabs"), std::vector<std::string>{"tabselect"});
    EXPECT_EQ(window.heard.back().wParam, 1u);
    EXPECT_EQ(window.heard.back().lParam, 0);
    window.Paint();
    EXPECT_EQ(window.Manager().GetFocus(), window.Find<CControlUI>("b1"));
    // The chosen page fills the layout.
    const RECT page = window.Find<CControlUI>("p1")->GetPos();
    const RECT whole = tabs->GetPos();
    EXPECT_TRUE(::EqualRect(&page, &whole));
}

TEST(LayoutTest, FlowSizesPaddingAndFloat) {
    TestWindow window(
        "<Window><VerticalLayout inset=\"10,10,10,10\" childpadding=\"5\">"
        "<Control name=\"top\" height=\"30\" />"
        "<HorizontalLayout name=\"row\" childpadding=\"4\">"
        "<Control name=\"fixed\" width=\"50\" />"
        "<Control name=\"wide\" />"
        "<Control name=\"capped\" maxwidth=\"40\" padding=\"2,0,0,0\" />"
        "</HorizontalLayout>"
        "<Control name=\"hidden\" height=\"40\" visible=\"false\" />"
        "<Control name=\"bottom\" height=\"20\" />"
        "<Control name=\"floating\" float=\"true\" pos=\"5,6,25,16\" />"
        "</VerticalLayout></Window>");
    ASSERT_TRUE(window.Open(300, 200));
    auto pos = [&](const char* name) { return window.Find<CControlUI>(name)->GetPos(); };
    EXPECT_EQ(pos("top").top, 10);
    EXPECT_EQ(pos("top").bottom, 40);
    EXPECT_EQ(pos("top").left, 10);
    EXPECT_EQ(pos("top").right, 290);
    // The row takes what is left between the fixed children: 200-20-30-20-10.
    EXPECT_EQ(pos("row").top, 45);
    EXPECT_EQ(pos("row").bottom, 165);
    EXPECT_EQ(pos("bottom").top, 170);
    EXPECT_EQ(pos("fixed").right - pos("fixed").left, 50);
    EXPECT_EQ(pos("capped").right - pos("capped").left, 40);
    EXPECT_EQ(pos("capped").right, 290);
    EXPECT_EQ(pos("wide").left, 64);
    EXPECT_EQ(pos("wide").right, pos("capped").left - 2 - 4);
    EXPECT_EQ(pos("floating").left, 5);
    EXPECT_EQ(pos("floating").top, 6);
    EXPECT_EQ(pos("floating").right, 25);
}

// Keys a focused child does not use scroll its container; a disabled bar
// lets them pass on.
TEST(ScrollTest, UnusedKeysOfAFocusedChildScrollTheContainer) {
    TestWindow window(
        "<Window><VerticalLayout><VerticalLayout name=\"pane\" height=\"60\" vscrollbar=\"true\" "
        "vscrollbarstyle=\"linesize=&quot;10&quot;\">"
        "<Button name=\"b\" height=\"40\" /><Control height=\"80\" /></VerticalLayout>"
        "<Control /></VerticalLayout></Window>");
    ASSERT_TRUE(window.Open());
    auto* pane = window.Find<CVerticalLayoutUI>("pane");
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->GetScrollRange().cy, 60);
    window.Find<CControlUI>("b")->SetFocus();
    ::SendMessageA(window.GetHWND(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(pane->GetScrollPos().cy, 10);
    ::SendMessageA(window.GetHWND(), WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(pane->GetScrollPos().cy, 60);
    pane->GetVerticalScrollBar()->SetEnabled(false);
    ::SendMessageA(window.GetHWND(), WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(pane->GetScrollPos().cy, 60);
}

// Containers whose children overlap (a plain container, a tab page) and a
// horizontal layout scroll too.
TEST(ScrollTest, OverlayAndHorizontalContainersScroll) {
    TestWindow window(
        "<Window><VerticalLayout>"
        "<Container name=\"plain\" height=\"50\" vscrollbar=\"true\">"
        "<Button name=\"tall\" height=\"120\" /></Container>"
        "<HorizontalLayout name=\"row\" height=\"50\" hscrollbar=\"true\">"
        "<Control width=\"300\" /><Button name=\"far\" width=\"300\" /></HorizontalLayout>"
        "<Control /></VerticalLayout></Window>");
    ASSERT_TRUE(window.Open(400, 300));
    auto* plain = window.Find<CContainerUI>("plain");
    auto* tall = window.Find<CControlUI>("tall");
    EXPECT_EQ(plain->GetScrollRange().cy, 70);
    EXPECT_EQ(tall->GetPos().bottom - tall->GetPos().top, 120);
    EXPECT_EQ(window.Manager().FindControlAt(POINT{20, 10}), tall);
    plain->SetScrollPos(SIZE{0, 70});
    EXPECT_EQ(tall->GetPos().top, -70);

    auto* row = window.Find<CHorizontalLayoutUI>("row");
    EXPECT_EQ(row->GetScrollRange().cx, 600 - 400);
    const RECT bar = row->GetHorizontalScrollBar()->GetPos();
    EXPECT_EQ(bar.bottom, row->GetPos().bottom);
    row->SetScrollPos(SIZE{200, 0});
    EXPECT_EQ(window.Find<CControlUI>("far")->GetPos().right, 400);
}

TEST(TileLayoutTest, ColumnsOrItemSizeMakeTheGrid) {
    TestWindow window(
        "<Window><VerticalLayout>"
        "<TileLayout name=\"cols\" height=\"100\" columns=\"3\" childpadding=\"6\">"
        "<Control /><Control /><Control /><Control /></TileLayout>"
        "<TileLayout name=\"sized\" height=\"60\" itemsize=\"90,40\" vscrollbar=\"true\">"
        "<Control /><Control /><Control /><Control /><Control /></TileLayout>"
        "</VerticalLayout></Window>");
    ASSERT_TRUE(window.Open(306, 300));
    auto* cols = window.Find<CTileLayoutUI>("cols");
    ASSERT_NE(cols, nullptr);
    // Three columns of (306 - 2 * 6) / 3 = 98, square without an item height.
    const RECT fourth = cols->GetItemAt(3)->GetPos();
    EXPECT_EQ(cols->GetItemAt(2)->GetPos().left, 2 * (98 + 6));
    EXPECT_EQ(fourth.left, 0);
    EXPECT_EQ(fourth.top, 98 + 6);
    EXPECT_EQ(fourth.right - fourth.left, 98);
    // Hostile numbers leave the grid as it was.
    for (const char* hostile : {"-5", "99999999999", "x", "4x", ""}) {
        cols->SetAttribute("columns", hostile);
        cols->SetAttribute("childpadding", hostile);
        EXPECT_EQ(cols->GetColumns(), 3) << hostile;
        EXPECT_EQ(cols->GetChildPadding(), 6) << hostile;
    }

    // Cells of 90 x 40: three fit in 306, two rows overflow 60 and scroll.
    auto* sized = window.Find<CTileLayoutUI>("sized");
    ASSERT_NE(sized, nullptr);
    const RECT last = sized->GetItemAt(4)->GetPos();
    EXPECT_EQ(last.left - sized->GetPos().left, 90);
    EXPECT_EQ(last.top - sized->GetPos().top, 40);
    EXPECT_EQ(sized->GetScrollRange().cy, 20);
    sized->SetScrollPos(SIZE{0, 20});
    window.Paint();
    EXPECT_EQ(sized->GetItemAt(4)->GetPos().top - sized->GetPos().top, 20);
}

}  // namespace
