// The list: rows that overflow get a scroll bar and move under it, a row
// scrolled out of view takes no clicks, and the keys move the selection with
// "itemselect" and keep it in view; and the classes a skin's tags make.
#include <gtest/gtest.h>

#include <string>

#include "tests/ui/support/TestWindow.h"

using namespace SkinUI;
using uitest::TestWindow;

namespace {

// 10 rows of 30 in a list 100 high: 200 pixels to scroll.
constexpr char kList[] =
    "<Window><VerticalLayout><List name=\"list\" height=\"100\" itemselectedbkcolor=\"#FF3060C0\" "
    "vscrollbarstyle=\"width=&quot;12&quot; linesize=&quot;30&quot;\" />"
    "<Control /></VerticalLayout></Window>";

struct ListFixture : ::testing::Test {
    ListFixture() : window(kList) {}
    void SetUp() override {
        ASSERT_TRUE(window.Open());
        list = window.Find<CListUI>("list");
        ASSERT_NE(list, nullptr);
        for (int i = 0; i < 10; ++i) {
            auto* row = new CListLabelElementUI;
            row->SetText(("row " + std::to_string(i)).c_str());
            row->SetFixedHeight(30);
            ASSERT_TRUE(list->Add(row));
        }
        window.Paint();
    }
    std::vector<std::pair<WPARAM, LPARAM>> Selects() const {
        std::vector<std::pair<WPARAM, LPARAM>> selects;
        for (const uitest::Heard& h : window.HeardOfType("itemselect", list))
            selects.emplace_back(h.wParam, h.lParam);
        return selects;
    }
    void Key(WPARAM key) {
        ::SendMessageA(window.GetHWND(), WM_KEYDOWN, key, 0);
        window.Paint();
    }
    TestWindow window;
    CListUI* list = nullptr;
};

TEST_F(ListFixture, OverflowingRowsScrollUnderTheBar) {
    CScrollBarUI* bar = list->GetVerticalScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(bar->GetPos().right - bar->GetPos().left, 12);
    EXPECT_EQ(list->GetScrollRange().cy, 200);
    // Rows keep their height and leave room for the bar.
    const RECT first = list->GetItemAt(0)->GetPos();
    EXPECT_EQ(first.bottom - first.top, 30);
    EXPECT_EQ(first.right, bar->GetPos().left);

    // The wheel over the list scrolls it three lines, no further than the end.
    TestWindow::MoveTo(window.GetHWND(), TestWindow::CenterOf(list));
    ::SendMessageA(window.GetHWND(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    window.Paint();
    EXPECT_EQ(list->GetScrollPos().cy, 90);
    EXPECT_EQ(list->GetItemAt(0)->GetPos().top, first.top - 90);
    for (int i = 0; i < 5; ++i)
        ::SendMessageA(window.GetHWND(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    window.Paint();
    EXPECT_EQ(list->GetScrollPos().cy, 200);

    // A press on the bar's first button scrolls back a line; the rows that
    // are scrolled above the list are not hit through the control below.
    const RECT barPos = bar->GetPos();
    TestWindow::Click(window.GetHWND(), POINT{barPos.left + 6, barPos.top + 3});
    window.Paint();
    EXPECT_EQ(list->GetScrollPos().cy, 170);
    const POINT above = {first.left + 5, list->GetPos().top - 1};
    CControlUI* hit = window.Manager().FindControlAt(above);
    EXPECT_TRUE(hit == nullptr || hit->GetInterface("ListItem") == nullptr);
    const POINT below = {first.left + 5, list->GetPos().bottom + 2};
    hit = window.Manager().FindControlAt(below);
    EXPECT_TRUE(hit == nullptr || hit->GetInterface("ListItem") == nullptr);
}

TEST_F(ListFixture, ClicksAndKeysSelectAndKeepTheRowInView) {
    TestWindow::Click(window.GetHWND(), TestWindow::CenterOf(list->GetItemAt(1)));
    window.Paint();
    EXPECT_EQ(list->GetCurSel(), 1);
    EXPECT_EQ(window.Manager().GetFocus(), list->GetItemAt(1));
    Key(VK_DOWN);
    Key(VK_END);
    EXPECT_EQ(list->GetCurSel(), 9);
    // The last row is scrolled fully into view.
    EXPECT_EQ(list->GetItemAt(9)->GetPos().bottom, list->GetPos().bottom);
    Key(VK_DOWN);  // already at the end: nothing
    Key(VK_HOME);
    EXPECT_EQ(list->GetScrollPos().cy, 0);
    list->GetItemAt(1)->SetEnabled(false);
    Key(VK_DOWN);  // skips the disabled row
    Key(VK_UP);
    const std::vector<std::pair<WPARAM, LPARAM>> expected = {
        {1, static_cast<LPARAM>(-1)}, {2, 1}, {9, 2}, {0, 9}, {2, 0}, {0, 2}};
    EXPECT_EQ(Selects(), expected);
    EXPECT_TRUE(static_cast<CListLabelElementUI*>(list->GetItemAt(0))->IsSelected());
    EXPECT_FALSE(static_cast<CListLabelElementUI*>(list->GetItemAt(2))->IsSelected());

    // The list is one tab stop: Tab leaves the rows, and the keys still
    // move the selection with the list focused.
    window.Manager().SetNextTabControl();
    EXPECT_EQ(window.Manager().GetFocus(), list);
    Key(VK_DOWN);
    EXPECT_EQ(list->GetCurSel(), 2);
    EXPECT_EQ(window.Manager().GetFocus(), list);
    // A click on the selected row focuses it again.
    TestWindow::Click(window.GetHWND(), TestWindow::CenterOf(list->GetItemAt(2)));
    EXPECT_EQ(window.Manager().GetFocus(), list->GetItemAt(2));

    // Removing a row before the selection keeps the same row selected.
    list->SelectItem(5);
    CControlUI* fifth = list->GetItemAt(5);
    ASSERT_TRUE(list->RemoveAt(0));
    EXPECT_EQ(list->GetItemAt(list->GetCurSel()), fifth);
    EXPECT_EQ(static_cast<CListLabelElementUI*>(fifth)->GetIndex(), 4);
}

// A double-click on a row is heard from the row as "itemdbclick", the
// name the launcher's listeners know; Enter on a row activates it.
TEST_F(ListFixture, ADoubleClickOnARowIsHeardAsItemDbClick) {
    CControlUI* row = list->GetItemAt(2);
    const POINT center = TestWindow::CenterOf(row);
    TestWindow::Click(window.GetHWND(), center);
    ::SendMessageA(window.GetHWND(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(center.x, center.y));
    ::SendMessageA(window.GetHWND(), WM_LBUTTONUP, 0, MAKELPARAM(center.x, center.y));
    EXPECT_EQ(window.HeardOfType("itemdbclick", row).size(), 1u);
    EXPECT_TRUE(window.HeardOfType("itemactivate").empty());
    Key(VK_RETURN);
    EXPECT_EQ(window.HeardOfType("itemactivate", row).size(), 1u);
    EXPECT_EQ(window.HeardOfType("itemdbclick").size(), 1u);
}

// Every class a skin may use, made from its tag, answers its class name and
// its own interface besides its bases'.
TEST(SkinClassesTest, TagsMakeTheClassesWithTheirInterfaces) {
    // The child layout's file asks the window's callback for its own tags.
    struct : IDialogBuilderCallback {
        CControlUI* CreateControl(const char* tag) override {
            return std::string(tag) == "Fancy" ? new CButtonUI : nullptr;
        }
    } callback;
    TestWindow window(
        "<Window><VerticalLayout><List name=\"l\" /><TileLayout name=\"t\" />"
        "<ChildLayout name=\"c\" xmlfile=\"&lt;Fancy name=&quot;inner&quot; /&gt;\" />"
        "<Slider name=\"s\" /><ScrollBar name=\"b\" /><RichEdit name=\"r\" />"
        "<ComboBox name=\"cb\" /></VerticalLayout></Window>",
        &callback);
    ASSERT_TRUE(window.Open());
    const struct {
        const char* name;
        const char* cls;
        const char* own;
        const char* base;
    } expected[] = {
        {"l", "ListUI", "List", "IListOwner"},
        {"t", "TileLayoutUI", "TileLayout", "IContainer"},
        {"c", "ChildLayoutUI", "ChildLayout", "VerticalLayout"},
        {"s", "SliderUI", "Slider", "Progress"},
        {"b", "ScrollBarUI", "ScrollBar", "Control"},
        {"r", "RichEditUI", "RichEdit", "Label"},
        {"cb", "ComboBoxUI", "ComboBox", "IListOwner"},
    };
    for (const auto& e : expected) {
        CControlUI* control = window.Manager().FindControl(e.name);
        ASSERT_NE(control, nullptr) << e.name;
        EXPECT_STREQ(control->GetClass(), e.cls);
        EXPECT_NE(control->GetInterface(e.own), nullptr) << e.name;
        EXPECT_NE(control->GetInterface(e.base), nullptr) << e.name;
    }
    // The child layout built its markup with the callback's control, which
    // is in the name map.
    auto* child = window.Find<CChildLayoutUI>("c");
    ASSERT_EQ(child->GetCount(), 1);
    EXPECT_EQ(window.Manager().FindControl("inner"), child->GetItemAt(0));
}

}  // namespace
