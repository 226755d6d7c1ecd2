// The account drop list: selection after removals, and the click path from a
// row's delete button through the open drop-down to the window's listener.
#include <gtest/gtest.h>

#include "tests/ui/support/TestWindow.h"

using namespace SkinUI;
using uitest::Heard;
using uitest::TestWindow;

namespace {

constexpr char kCombo[] =
    "<Window><VerticalLayout><Combo name=\"Account\" height=\"30\" dropboxsize=\"0,200\" />"
    "<Control /><Button name=\"other\" height=\"30\" /></VerticalLayout></Window>";

CListLabelElementUI* AddRow(CComboUI* combo, const char* text) {
    auto* row = new CListLabelElementUI;
    row->SetText(text);
    combo->Add(row);
    return row;
}

// The row the launcher makes for a saved account: a spacer and a delete button.
CButtonUI* AddDeleteButton(CListLabelElementUI* row) {
    row->Add(new CControlUI);
    auto* button = new CButtonUI;
    button->ApplyAttributeList(
        "name=\"delete\" text=\"清除\" visible=\"false\" tooltip=\"清除账号\" width=\"35\" "
        "textcolor=\"#FF0000FF\" hottextcolor=\"#FFFF0000\"");
    row->Add(button);
    return button;
}

struct ComboFixture : ::testing::Test {
    ComboFixture() : window(kCombo) {}
    void SetUp() override {
        ASSERT_TRUE(window.Open());
        combo = window.Find<CComboUI>("Account");
        ASSERT_NE(combo, nullptr);
        for (const char* name : {"alpha", "bravo", "charlie", "delta"})
            AddRow(combo, name);
    }
    std::vector<Heard> ItemSelects() const { return window.HeardOfType("itemselect"); }
    TestWindow window;
    CComboUI* combo = nullptr;
};

TEST_F(ComboFixture, SelectItemRangeAndText) {
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_EQ(combo->GetText(), "");
    // Nothing selected and asked for nothing: already so.
    EXPECT_TRUE(combo->SelectItem(-1));
    EXPECT_TRUE(combo->SelectItem(99));
    EXPECT_EQ(combo->GetCurSel(), 3);
    EXPECT_EQ(combo->GetText(), "delta");
    EXPECT_TRUE(combo->SelectItem(3));
    ASSERT_EQ(ItemSelects().size(), 1u);
    EXPECT_EQ(ItemSelects()[0].wParam, 3u);
    EXPECT_EQ(ItemSelects()[0].lParam, -1);
    EXPECT_EQ(combo->GetItemAt(4), nullptr);
    EXPECT_FALSE(combo->SelectItem(-1));
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_EQ(combo->GetText(), "");
    CLabelUI stranger;
    EXPECT_FALSE(combo->Remove(&stranger));
}

TEST_F(ComboFixture, ThePointerOverTheBoxIsTheHand) {
    // The manager asks the control under the real pointer for its cursor.
    const POINT at = TestWindow::CenterOf(combo);
    POINT screen = at;
    ::ClientToScreen(window.GetHWND(), &screen);
    ::SetCursorPos(screen.x, screen.y);
    ::SendMessageA(window.GetHWND(), WM_SETCURSOR, reinterpret_cast<WPARAM>(window.GetHWND()),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursor(nullptr, IDC_HAND));
}

TEST_F(ComboFixture, RemovingTheSelectedRowSelectsItsSuccessor) {
    combo->SelectItem(1);
    ASSERT_TRUE(combo->RemoveAt(1));
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(combo->GetText(), "charlie");
    EXPECT_EQ(ItemSelects().size(), 2u);
    // The rows behind it were renumbered.
    auto* last = static_cast<IListItemUI*>(combo->GetItemAt(2)->GetInterface("ListItem"));
    EXPECT_EQ(last->GetIndex(), 2);
}

TEST_F(ComboFixture, RemovingTheLastRowSelectsTheOneBefore) {
    combo->SelectItem(3);
    ASSERT_TRUE(combo->Remove(combo->GetItemAt(3)));
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(combo->GetText(), "charlie");
}

TEST_F(ComboFixture, AnUnselectableSuccessorIsPassedOverBackwards) {
    combo->GetItemAt(2)->SetEnabled(false);
    combo->SelectItem(1);
    ASSERT_TRUE(combo->RemoveAt(1));
    EXPECT_EQ(combo->GetCurSel(), 0);
    EXPECT_EQ(combo->GetText(), "alpha");
}

TEST_F(ComboFixture, RemovingBeforeTheSelectionKeepsItQuietly) {
    combo->SelectItem(2);
    const size_t before = ItemSelects().size();
    ASSERT_TRUE(combo->RemoveAt(0));
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(combo->GetText(), "charlie");
    EXPECT_EQ(ItemSelects().size(), before);
}

TEST_F(ComboFixture, RemovingTheOnlyRowLeavesNothingSelected) {
    combo->RemoveAll();
    AddRow(combo, "solo");
    combo->SelectItem(0);
    const size_t before = ItemSelects().size();
    ASSERT_TRUE(combo->RemoveAt(0));
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_EQ(combo->GetText(), "");
    EXPECT_EQ(ItemSelects().size(), before);
}

// Every opening of the list creates a window, a manager and its off-screen
// bitmap. Wine deletes a bitmap that is still selected into a DC; Windows
// does not, so the objects are counted rather than trusted. (Wine's
// GetGuiResources counts nothing, so there the cycles only have to survive.)
TEST_F(ComboFixture, OpeningAndClosingTheListLeaksNoGdiObjects) {
    auto openAndClose = [this] {
        ASSERT_TRUE(combo->Activate());
        HWND drop = combo->GetDropWindow();
        ASSERT_NE(drop, nullptr);
        ::RedrawWindow(drop, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        ::SendMessageA(drop, WM_CLOSE, 0, 0);
        TestWindow::Pump();
        ASSERT_EQ(combo->GetDropWindow(), nullptr);
    };
    // The first openings may create what stays for the process (class
    // brushes, the default font of the system).
    for (int i = 0; i < 5; ++i)
        openAndClose();
    const DWORD before = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 200; ++i)
        openAndClose();
    const DWORD after = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (before == 0)
        GTEST_SKIP() << "GetGuiResources counts no GDI objects on this system";
    EXPECT_LE(after, before + 2);
}

// The launcher's account list: five saved accounts, each row with a hidden
// delete button. Tab goes from the combo straight to the next control.
TEST_F(ComboFixture, TabSkipsTheRowsOfTheList) {
    AddRow(combo, "echo");
    for (int i = 0; i < combo->GetCount(); ++i)
        AddDeleteButton(static_cast<CListLabelElementUI*>(combo->GetItemAt(i)));
    ASSERT_EQ(combo->GetCount(), 5);
    combo->SetFocus();
    auto pressTab = [this] {
        MSG msg = {window.GetHWND(), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
        EXPECT_TRUE(CWindowManagerUI::TranslateUIMessage(&msg));
        return window.Manager().GetFocus();
    };
    EXPECT_EQ(pressTab(), window.Find<CControlUI>("other"));
    EXPECT_EQ(pressTab(), combo);
    // The same with the list open: the rows there belong to its window.
    ASSERT_TRUE(combo->Activate());
    EXPECT_EQ(pressTab(), window.Find<CControlUI>("other"));
    TestWindow::Pump();
    EXPECT_EQ(combo->GetDropWindow(), nullptr);
}

TEST_F(ComboFixture, AChildRemovedWhileTheListIsOpenLeavesNoName) {
    auto* row = static_cast<CListLabelElementUI*>(combo->GetItemAt(1));
    CButtonUI* button = AddDeleteButton(row);
    ASSERT_EQ(window.Manager().FindControl("delete"), button);
    ASSERT_TRUE(combo->Activate());
    ::UpdateWindow(combo->GetDropWindow());
    ASSERT_TRUE(row->Remove(button));
    TestWindow::Pump();
    combo->CloseDropDown();
    TestWindow::Pump();
    ASSERT_EQ(combo->GetDropWindow(), nullptr);
    EXPECT_NE(window.Manager().FindControl("delete"), button) << "a destroyed button";
}

// The open list has a manager of its own, without the skin's fonts and
// colours; the rows still draw with them.
TEST(ComboLookTest, RowsInTheOpenListUseTheSkinsFontAndColours) {
    TestWindow window(
        "<Window defaultfontcolor=\"#FF00C000\"><Font name=\"Arial\" size=\"30\" bold=\"true\"/>"
        "<VerticalLayout><Combo name=\"Account\" height=\"30\" itemfont=\"0\" "
        "dropboxsize=\"0,200\" /><Control /></VerticalLayout></Window>");
    ASSERT_TRUE(window.Open());
    auto* combo = window.Find<CComboUI>("Account");
    CListLabelElementUI* row = AddRow(combo, "WWWW");
    row->SetFixedHeight(40);
    ASSERT_TRUE(combo->Activate());
    HWND drop = combo->GetDropWindow();
    ::UpdateWindow(drop);
    const RECT pos = row->GetPos();
    HDC dc = ::GetDC(drop);
    int greenRows = 0;
    for (int y = pos.top; y < pos.bottom; ++y) {
        for (int x = pos.left; x < pos.right; ++x) {
            const COLORREF c = ::GetPixel(dc, x, y);
            if (GetGValue(c) > 120 && GetRValue(c) < 80 && GetBValue(c) < 80) {
                ++greenRows;
                break;
            }
        }
    }
    ::ReleaseDC(drop, dc);
    combo->CloseDropDown();
    TestWindow::Pump();
    // A 30-pixel bold "W" is well over 15 rows tall; the list's own default
    // font (12 pixels, black) gives no green rows at all.
    EXPECT_GT(greenRows, 15);
}

TEST_F(ComboFixture, PressingARowInTheDropDownSelectsIt) {
    TestWindow::Click(window.GetHWND(), TestWindow::CenterOf(combo));
    HWND drop = combo->GetDropWindow();
    ASSERT_NE(drop, nullptr);
    EXPECT_EQ(window.TypesFrom("Account").front(), "dropdown");
    ::UpdateWindow(drop);
    auto* row = static_cast<CListLabelElementUI*>(combo->GetItemAt(2));
    CButtonUI* button = AddDeleteButton(row);
    ::UpdateWindow(drop);
    TestWindow::MoveTo(drop, TestWindow::CenterOf(row));
    EXPECT_TRUE(button->IsVisible());
    TestWindow::Click(drop, TestWindow::CenterOf(row));
    TestWindow::Pump();
    EXPECT_EQ(combo->GetDropWindow(), nullptr);
    EXPECT_EQ(combo->GetCurSel(), 2);
    ASSERT_EQ(ItemSelects().size(), 1u);
    EXPECT_EQ(ItemSelects()[0].control, combo);
    // The rows are back with the combo and its manager.
    EXPECT_EQ(row->GetManager(), &window.Manager());
    EXPECT_EQ(row->GetParent(), combo);
    // The row was left as the list closed: its button is hidden again.
    EXPECT_FALSE(button->IsVisible());
    EXPECT_EQ(window.Manager().GetFocus(), combo);
}

TEST_F(ComboFixture, PressingElsewhereClosesTheListAndKeepsThatFocus) {
    TestWindow::Click(window.GetHWND(), TestWindow::CenterOf(combo));
    ASSERT_NE(combo->GetDropWindow(), nullptr);
    // A second press on the combo closes its list.
    TestWindow::Click(window.GetHWND(), TestWindow::CenterOf(combo));
    TestWindow::Pump();
    EXPECT_EQ(combo->GetDropWindow(), nullptr);
    // So does a quick second press, which reaches the window as a double-click.
    TestWindow::Click(window.GetHWND(), TestWindow::CenterOf(combo));
    ASSERT_NE(combo->GetDropWindow(), nullptr);
    const POINT center = TestWindow::CenterOf(combo);
    ::SendMessageA(window.GetHWND(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(center.x, center.y));
    ::SendMessageA(window.GetHWND(), WM_LBUTTONUP, 0, MAKELPARAM(center.x, center.y));
    TestWindow::Pump();
    EXPECT_EQ(combo->GetDropWindow(), nullptr);

    TestWindow::Click(window.GetHWND(), TestWindow::CenterOf(combo));
    ASSERT_NE(combo->GetDropWindow(), nullptr);
    CControlUI* other = window.Find<CControlUI>("other");
    TestWindow::Click(window.GetHWND(), TestWindow::CenterOf(other));
    TestWindow::Pump();
    EXPECT_EQ(combo->GetDropWindow(), nullptr);
    EXPECT_EQ(window.Manager().GetFocus(), other);
    EXPECT_EQ(combo->GetCurSel(), -1);
}

// Another window takes the keyboard (the user switched away): the list
// closes, and the combo does not take the focus back for its window.
TEST_F(ComboFixture, TheListClosesWhenTheWindowLosesTheFocus) {
    TestWindow::Click(window.GetHWND(), TestWindow::CenterOf(combo));
    ASSERT_NE(combo->GetDropWindow(), nullptr);
    ASSERT_EQ(::GetFocus(), window.GetHWND());
    TestWindow elsewhere("<Window><Control /></Window>");
    ASSERT_TRUE(elsewhere.Open(100, 100));
    ::SetFocus(elsewhere.GetHWND());
    TestWindow::Pump();
    EXPECT_EQ(combo->GetDropWindow(), nullptr);
    EXPECT_EQ(::GetFocus(), elsewhere.GetHWND());
}

TEST_F(ComboFixture, DeleteButtonInTheDropDownClicksThroughToTheWindow) {
    std::vector<CListLabelElementUI*> rows;
    combo->RemoveAll();
    for (const char* name : {"alpha", "bravo", "charlie"}) {
        rows.push_back(AddRow(combo, name));
        AddDeleteButton(rows.back());
    }
    combo->SelectItem(0);
    // The launcher's handler: the delete button's parent is the account row.
    std::string deleted;
    window.onNotify = [&](TNotifyMsg& msg) {
        if (msg.sType == "click" && msg.pSender->GetName() == "delete") {
            deleted = msg.pSender->GetParent()->GetText();
            combo->Remove(msg.pSender->GetParent());
        }
    };
    TestWindow::Click(window.GetHWND(), TestWindow::CenterOf(combo));
    HWND drop = combo->GetDropWindow();
    ASSERT_NE(drop, nullptr);
    ::UpdateWindow(drop);
    CListLabelElementUI* bravo = rows[1];
    CControlUI* button = bravo->GetItemAt(1);
    EXPECT_FALSE(button->IsVisible());
    TestWindow::MoveTo(drop, TestWindow::CenterOf(bravo));
    EXPECT_TRUE(button->IsVisible());
    ::UpdateWindow(drop);
    // Moving onto the button keeps the row hovered and the button shown.
    const POINT onButton = TestWindow::CenterOf(button);
    TestWindow::MoveTo(drop, onButton);
    EXPECT_TRUE(button->IsVisible());
    const size_t selectsBefore = ItemSelects().size();
    ::SendMessageA(drop, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(onButton.x, onButton.y));
    ::SendMessageA(drop, WM_LBUTTONUP, 0, MAKELPARAM(onButton.x, onButton.y));
    EXPECT_EQ(deleted, "bravo");
    EXPECT_EQ(ItemSelects().size(), selectsBefore);
    TestWindow::Pump();
    EXPECT_EQ(combo->GetDropWindow(), nullptr);
    EXPECT_EQ(combo->GetCount(), 2);
    EXPECT_EQ(combo->GetCurSel(), 0);
    EXPECT_EQ(combo->GetItemAt(1)->GetText(), "charlie");
    // The other rows hid their buttons again when the pointer left.
    EXPECT_FALSE(rows[2]->GetItemAt(1)->IsVisible());
}

// More saved accounts than the box's height holds: a scroll bar brings the
// last ones into view, and they can be picked there.
TEST_F(ComboFixture, RowsBeyondTheBoxHeightScrollIntoView) {
    TestWindow::Click(window.GetHWND(), TestWindow::CenterOf(combo));
    HWND drop = combo->GetDropWindow();
    ASSERT_NE(drop, nullptr);
    EXPECT_EQ(::GetWindowLongA(drop, GWL_STYLE) & WS_VSCROLL, 0) << "four rows fit";
    TestWindow::Click(window.GetHWND(), TestWindow::CenterOf(combo));
    TestWindow::Pump();
    ASSERT_EQ(combo->GetDropWindow(), nullptr);

    for (const char* name : {"e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o", "last"})
        AddRow(combo, name);
    TestWindow::Click(window.GetHWND(), TestWindow::CenterOf(combo));
    drop = combo->GetDropWindow();
    ASSERT_NE(drop, nullptr);
    EXPECT_NE(::GetWindowLongA(drop, GWL_STYLE) & WS_VSCROLL, 0);
    ::UpdateWindow(drop);
    RECT client = {};
    ::GetClientRect(drop, &client);
    CControlUI* last = combo->GetItemAt(combo->GetCount() - 1);
    EXPECT_GT(last->GetPos().bottom, client.bottom);

    // The wheel turns the list whether it reaches the focused window (the
    // combo's) or the list under the pointer.
    const int firstTop = combo->GetItemAt(0)->GetPos().top;
    ::SendMessageA(window.GetHWND(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    ::UpdateWindow(drop);
    const int afterOneNotch = combo->GetItemAt(0)->GetPos().top;
    EXPECT_LT(afterOneNotch, firstTop);
    ::SendMessageA(drop, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    ::UpdateWindow(drop);
    EXPECT_LT(combo->GetItemAt(0)->GetPos().top, afterOneNotch);
    for (int i = 0; i < 40; ++i)
        ::SendMessageA(drop, WM_VSCROLL, SB_LINEDOWN, 0);
    ::UpdateWindow(drop);
    EXPECT_EQ(last->GetPos().bottom, client.bottom) << "scrolled to the end, no further";
    EXPECT_LT(combo->GetItemAt(0)->GetPos().bottom, client.top);
    ASSERT_NE(combo->GetDropWindow(), nullptr) << "scrolling keeps the list open";
    TestWindow::Click(drop, TestWindow::CenterOf(last));
    TestWindow::Pump();
    EXPECT_EQ(combo->GetDropWindow(), nullptr);
    EXPECT_EQ(combo->GetText(), "last");

    // The next opening starts at the top again.
    TestWindow::Click(window.GetHWND(), TestWindow::CenterOf(combo));
    drop = combo->GetDropWindow();
    ASSERT_NE(drop, nullptr);
    ::UpdateWindow(drop);
    EXPECT_EQ(combo->GetItemAt(0)->GetPos().top, client.top);
}

}  // namespace
