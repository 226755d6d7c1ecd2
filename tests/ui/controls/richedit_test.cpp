// The rich edit's native window and the keyboard steps of the message loop
// around it: Tab stays in a box that wants it, and Alt+character focuses and
// activates the control with that shortcut.
#include <gtest/gtest.h>

#include <richedit.h>

#include "tests/ui/support/TestWindow.h"

using namespace SkinUI;
using uitest::TestWindow;

namespace {

constexpr char kForm[] =
    "<Window><VerticalLayout name=\"form\">"
    "<RichEdit name=\"notes\" height=\"80\" text=\"first\" />"
    "<RichEdit name=\"line\" height=\"24\" multiline=\"false\" wanttab=\"false\" readonly=\"true\" "
    "/>"
    "<Button name=\"ok\" height=\"24\" shortcut=\"o\" />"
    "<Option name=\"remember\" height=\"24\" shortcut=\"R\" />"
    "<Edit name=\"user\" height=\"24\" shortcut=\"u\" />"
    "</VerticalLayout></Window>";

bool Translate(HWND hwnd, UINT msg, WPARAM key) {
    MSG m = {hwnd, msg, key, 0, 0, {0, 0}};
    return CWindowManagerUI::TranslateUIMessage(&m);
}

TEST(RichEditTest, NativeBoxCopiesTextKeepsItsStylesAndTabs) {
    TestWindow window(kForm);
    ASSERT_TRUE(window.Open(300, 300));
    auto* notes = window.Find<CRichEditUI>("notes");
    auto* line = window.Find<CRichEditUI>("line");
    ASSERT_NE(notes, nullptr);
    ASSERT_NE(line, nullptr);
    const HWND box = notes->GetNativeWindow();
    ASSERT_NE(box, nullptr);
    ASSERT_NE(line->GetNativeWindow(), nullptr);
    const LONG style = ::GetWindowLongA(box, GWL_STYLE);
    EXPECT_NE(style & ES_MULTILINE, 0);
    EXPECT_NE(::GetWindowLongA(line->GetNativeWindow(), GWL_STYLE) & ES_READONLY, 0);
    EXPECT_EQ(::GetWindowLongA(line->GetNativeWindow(), GWL_STYLE) & ES_MULTILINE, 0);
    // Placed over the control less the text padding.
    RECT placed;
    ::GetWindowRect(box, &placed);
    ::MapWindowPoints(nullptr, window.GetHWND(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, notes->GetPos().left + 2);
    EXPECT_EQ(placed.bottom, notes->GetPos().bottom - 2);

    char text[64] = {};
    ::GetWindowTextA(box, text, sizeof(text));
    EXPECT_STREQ(text, "first");
    ::SetWindowTextA(box, "typed");
    EXPECT_EQ(notes->GetText(), "typed");
    EXPECT_EQ(window.TypesFrom("notes"), std::vector<std::string>{"textchanged"});
    notes->SetText("set");  // from the program: no notification
    ::GetWindowTextA(box, text, sizeof(text));
    EXPECT_STREQ(text, "set");
    EXPECT_EQ(window.TypesFrom("notes").size(), 1u);

    // Focus given to the control goes into the box; Tab stays there.
    notes->SetFocus();
    EXPECT_EQ(::GetFocus(), box);
    EXPECT_FALSE(Translate(box, WM_KEYDOWN, VK_TAB));
    EXPECT_EQ(window.Manager().GetFocus(), notes);
    // Enter in a single-line box is heard as "return".
    ::SendMessageA(line->GetNativeWindow(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(window.TypesFrom("line"), std::vector<std::string>{"return"});
    // A box that does not want Tab hands the focus on.
    line->SetFocus();
    EXPECT_TRUE(Translate(line->GetNativeWindow(), WM_KEYDOWN, VK_TAB));
    EXPECT_EQ(window.Manager().GetFocus(), window.Find<CControlUI>("ok"));

    // Hidden with its control, and gone with it.
    notes->SetVisible(false);
    EXPECT_FALSE(::IsWindowVisible(box));
    window.Find<CVerticalLayoutUI>("form")->Remove(notes);
    TestWindow::Pump();
    EXPECT_FALSE(::IsWindow(box));
}

TEST(ShortcutTest, AltCharacterFocusesAndActivates) {
    TestWindow window(kForm);
    ASSERT_TRUE(window.Open(300, 300));
    const HWND hwnd = window.GetHWND();
    // From inside a native box too: the message goes up to its manager.
    window.Find<CRichEditUI>("notes")->SetFocus();
    EXPECT_TRUE(Translate(window.Find<CRichEditUI>("notes")->GetNativeWindow(), WM_SYSCHAR, 'O'));
    EXPECT_EQ(window.Manager().GetFocus(), window.Find<CControlUI>("ok"));
    EXPECT_EQ(window.TypesFrom("ok"), std::vector<std::string>{"click"});

    EXPECT_TRUE(Translate(hwnd, WM_SYSCHAR, 'r'));
    EXPECT_TRUE(window.Find<COptionUI>("remember")->IsSelected());
    EXPECT_TRUE(Translate(hwnd, WM_SYSCHAR, 'u'));
    EXPECT_NE(window.Find<CEditUI>("user")->GetNativeWindow(), nullptr);

    // No control has it, or the one that has it is disabled: not consumed.
    EXPECT_FALSE(Translate(hwnd, WM_SYSCHAR, 'z'));
    window.Find<CControlUI>("ok")->SetEnabled(false);
    EXPECT_FALSE(Translate(hwnd, WM_SYSCHAR, 'o'));
}

}  // namespace
