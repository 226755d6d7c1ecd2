// The slider: a press beside the thumb, a drag, the wheel and the keys move
// the value within its range, each user change heard once as "valuechanged".
#include <gtest/gtest.h>

#include "tests/ui/support/TestWindow.h"

using namespace SkinUI;
using uitest::TestWindow;

namespace {

std::vector<WPARAM> ValueChanges(const TestWindow& window) {
    std::vector<WPARAM> values;
    for (const uitest::Heard& h : window.HeardOfType("valuechanged"))
        values.push_back(h.wParam);
    return values;
}

TEST(SliderTest, PressDragWheelAndKeysChangeTheValue) {
    // 210 wide with a thumb of 10: 200 pixels of travel for 0..1000.
    TestWindow window(
        "<Window><VerticalLayout><Slider name=\"s\" width=\"210\" height=\"20\" min=\"0\" "
        "max=\"1000\" value=\"500\" thumbsize=\"10,20\" step=\"10\" /><Control />"
        "</VerticalLayout></Window>");
    ASSERT_TRUE(window.Open());
    auto* slider = window.Find<CSliderUI>("s");
    ASSERT_NE(slider, nullptr);
    const HWND hwnd = window.GetHWND();
    EXPECT_EQ(slider->GetThumbRect().left, 100);

    // A press at x = 45 puts the thumb's centre there: (45 - 5) * 5 = 200.
    TestWindow::Click(hwnd, POINT{45, 10});
    EXPECT_EQ(slider->GetValue(), 200);
    EXPECT_TRUE(slider->IsFocused());

    // A drag of the thumb by 20 pixels, grabbed off its centre, moves the
    // value by 100 and is reported once, at the release.
    const RECT thumb = slider->GetThumbRect();
    ::SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(thumb.left + 2, 10));
    ::SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(thumb.left + 2, 10));
    ::SendMessageA(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(thumb.left + 12, 10));
    ::SendMessageA(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(thumb.left + 22, 10));
    EXPECT_EQ(slider->GetValue(), 300);
    ::SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(thumb.left + 22, 10));

    // Dragged past the end, the value stops at the maximum.
    ::SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(slider->GetThumbRect().left, 10));
    ::SendMessageA(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5000, 10));
    ::SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(5000, 10));
    EXPECT_EQ(slider->GetValue(), 1000);

    ::SendMessageA(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);  // at the end: no change
    ::SendMessageA(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    ::SendMessageA(hwnd, WM_KEYDOWN, VK_HOME, 0);
    ::SendMessageA(hwnd, WM_KEYDOWN, VK_RIGHT, 0);
    const std::vector<WPARAM> expected = {200, 300, 1000, 990, 0, 10};
    EXPECT_EQ(ValueChanges(window), expected);

    // Wide ranges keep the thumb in the bar.
    slider->SetMaxValue(2000000000);
    slider->SetValue(1900000000);
    EXPECT_EQ(slider->GetThumbRect().left, 190);
}

TEST(SliderTest, VerticalValuesGrowUpwards) {
    TestWindow window(
        "<Window><HorizontalLayout><Slider name=\"s\" width=\"20\" height=\"110\" hor=\"false\" "
        "thumbsize=\"20,10\" /><Control /></HorizontalLayout></Window>");
    ASSERT_TRUE(window.Open());
    auto* slider = window.Find<CSliderUI>("s");
    ASSERT_NE(slider, nullptr);
    const RECT rc = slider->GetPos();
    EXPECT_EQ(slider->GetThumbRect().bottom, rc.bottom);
    // 100 pixels of travel for 0..100: a press 30 below the top is 75.
    TestWindow::Click(window.GetHWND(), POINT{rc.left + 10, rc.top + 30});
    EXPECT_EQ(slider->GetValue(), 75);
    EXPECT_EQ(slider->GetThumbRect().top, rc.top + 25);
}

}  // namespace
