// Skins with hostile layout values, built in a real window: every control
// must still be laid out inside the window and painted. An exception in a
// window procedure would not end the test under Wine (nor under 32-bit
// Windows); it would only leave the controls after it unplaced and unpainted,
// so this checks each control rather than that the window lives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/support/TestWindow.h"

using namespace SkinUI;
using uitest::TestWindow;

namespace {

// A control that remembers whether it was painted.
class Probe : public CControlUI {
public:
    void DoPaint(HDC hDC, const RECT& rcPaint) override {
        CControlUI::DoPaint(hDC, rcPaint);
        RECT shown;
        if (::IntersectRect(&shown, &rcPaint, &m_rcItem))
            painted = true;
    }
    bool painted = false;
};

struct ProbeMaker : IDialogBuilderCallback {
    std::vector<Probe*> made;
    CControlUI* CreateControl(const char* className) override {
        if (std::string(className) != "Probe")
            return nullptr;
        made.push_back(new Probe);
        return made.back();
    }
};

// Each probe lies inside the client area, the right way round, and was painted.
void ExpectAllPlacedAndPainted(TestWindow& window, const ProbeMaker& probes) {
    RECT client;
    ::GetClientRect(window.GetHWND(), &client);
    for (const Probe* probe : probes.made) {
        const RECT rc = probe->GetPos();
        SCOPED_TRACE(probe->GetName());
        EXPECT_LE(rc.left, rc.right);
        EXPECT_LE(rc.top, rc.bottom);
        EXPECT_GE(rc.left, client.left);
        EXPECT_GE(rc.top, client.top);
        EXPECT_LE(rc.right, client.right);
        EXPECT_LE(rc.bottom, client.bottom);
        EXPECT_TRUE(probe->painted);
    }
}

TEST(HostileLayoutTest, TileCellsCancelledByANegativeGapStillLayOutAndPaint) {
    ProbeMaker probes;
    TestWindow window(
        "<Window><VerticalLayout>"
        "<Probe name=\"before\" height=\"20\" />"
        "<TileLayout name=\"tiles\" height=\"120\" itemsize=\"80,80\" childpadding=\"-80\">"
        "<Probe name=\"t0\" /><Probe name=\"t1\" /><Probe name=\"t2\" /></TileLayout>"
        "<HorizontalLayout height=\"40\"><Probe name=\"left\" /><Probe name=\"right\" "
        "width=\"50\" /></HorizontalLayout>"
        "<Probe name=\"after\" />"
        "</VerticalLayout></Window>",
        &probes);
    ASSERT_TRUE(window.Open(400, 300));
    ASSERT_EQ(probes.made.size(), 7u);
    ExpectAllPlacedAndPainted(window, probes);
    // What follows the tiles is placed as if they were harmless.
    const RECT right = window.Find<Probe>("right")->GetPos();
    EXPECT_EQ(right.left, 350);
    EXPECT_EQ(right.top, 140);
    const RECT after = window.Find<Probe>("after")->GetPos();
    EXPECT_EQ(after.top, 180);
    EXPECT_EQ(after.bottom, 300);
}

}  // namespace
