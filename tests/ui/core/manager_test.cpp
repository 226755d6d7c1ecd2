// The manager's process-wide settings, notification delivery, the name map,
// focus, layout, tooltips and the image cache, on a real (hidden) window.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/ui/support/TestWindow.h"
#include "ui/core/Control.h"
#include "ui/core/GdiHandles.h"
#include "ui/core/Render.h"
#include "ui/core/WindowManager.h"

namespace {

using SkinUI::CControlUI;
using SkinUI::CWindowManagerUI;
using SkinUI::TNotifyMsg;

class Recorder : public SkinUI::INotifyUI {
public:
    Recorder(std::vector<std::string>& log, const char* tag) : m_log(log), m_tag(tag) {}
    void Notify(TNotifyMsg& msg) override {
        m_log.push_back(m_tag + ":" + msg.sType + ":" +
                        (msg.pSender ? msg.pSender->GetName() : std::string("-")));
    }

private:
    std::vector<std::string>& m_log;
    std::string m_tag;
};

// A hidden window with an empty manager; each test attaches its own tree.
class Manager : public ::testing::Test {
protected:
    Manager() : host("") {}
    void SetUp() override {
        ASSERT_NE(host.Create(nullptr, "host", WS_POPUP, 0, 0, 0, 200, 100), nullptr);
    }

    CControlUI* Attach(const char* name) {
        auto* control = new CControlUI();
        control->SetName(name);
        host.Manager().AttachRoot(control);
        return control;
    }

    uitest::TestWindow host;
};

TEST(ManagerSettings, ResourcePathGetsOneTrailingSeparator) {
    CWindowManagerUI::SetResourcePath("C:\\Game\\Res");
    EXPECT_EQ(CWindowManagerUI::GetResourcePath(), "C:\\Game\\Res\\");
    CWindowManagerUI::SetResourcePath("C:\\Game\\Res\\");
    EXPECT_EQ(CWindowManagerUI::GetResourcePath(), "C:\\Game\\Res\\");
    CWindowManagerUI::SetResourcePath("C:/Game/Res/");
    EXPECT_EQ(CWindowManagerUI::GetResourcePath(), "C:/Game/Res/");
    CWindowManagerUI::SetResourcePath("");
    EXPECT_EQ(CWindowManagerUI::GetResourcePath(), "");
}

TEST(ManagerSettings, ModuleDirectoryEndsAtTheLastBackslash) {
    CWindowManagerUI::SetInstance(nullptr);
    EXPECT_EQ(CWindowManagerUI::GetModuleDirectory(), "");
    CWindowManagerUI::SetInstance(::GetModuleHandleA(nullptr));
    const std::string dir = CWindowManagerUI::GetModuleDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '\\');
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    EXPECT_EQ(std::string(path).rfind(dir, 0), 0u);
}

TEST_F(Manager, FindControlComparesNamesExactly) {
    CControlUI* option = Attach("SavePassWord");
    EXPECT_EQ(host.Manager().FindControl("SavePassWord"), option);
    EXPECT_EQ(host.Manager().FindControl("SavePassword"), nullptr);
    EXPECT_EQ(host.Manager().FindControl("savepassword"), nullptr);
    EXPECT_EQ(host.Manager().FindControl(""), nullptr);
}

TEST_F(Manager, SynchronousNotificationsRunInsideTheCallAsynchronousOnesAtTheNextMessage) {
    std::vector<std::string> log;
    Recorder first(log, "first");
    Recorder second(log, "second");
    CControlUI* sender = Attach("sender");
    host.Manager().AddNotifier(&first);
    host.Manager().AddNotifier(&second);
    EXPECT_FALSE(host.Manager().AddNotifier(&first)) << "a listener is registered once";

    host.Manager().SendNotify(sender, "queued", 0, 0, true);
    EXPECT_TRUE(log.empty());
    host.Manager().SendNotify(sender, "click");
    EXPECT_EQ(log, (std::vector<std::string>{"first:click:sender", "second:click:sender"}));

    log.clear();
    host.Manager().SendNotify(sender, "queued2", 0, 0, true);
    LRESULT result = 0;
    host.Manager().ProcessMessage(WM_NULL, 0, 0, result);
    EXPECT_EQ(log, (std::vector<std::string>{"first:queued:sender", "second:queued:sender",
                                             "first:queued2:sender", "second:queued2:sender"}));
}

TEST_F(Manager, QueuedNotificationOfADestroyedSenderIsDropped) {
    std::vector<std::string> log;
    Recorder listener(log, "l");
    CControlUI* sender = Attach("gone");
    host.Manager().AddNotifier(&listener);
    host.Manager().SendNotify(sender, "late", 0, 0, true);
    host.Manager().AttachRoot(new CControlUI());  // destroys the old root, the sender
    LRESULT result = 0;
    host.Manager().ProcessMessage(WM_NULL, 0, 0, result);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(host.Manager().FindControl("gone"), nullptr);
}

TEST_F(Manager, FocusMovesOnlyToVisibleEnabledControlsOfThisManager) {
    std::vector<std::string> log;
    Recorder listener(log, "l");
    CControlUI* root = Attach("root");
    host.Manager().AddNotifier(&listener);

    root->SetFocus();
    EXPECT_EQ(host.Manager().GetFocus(), root);
    EXPECT_TRUE(root->IsFocused());
    EXPECT_EQ(log, (std::vector<std::string>{"l:setfocus:root"}));

    log.clear();
    root->SetFocus();
    EXPECT_TRUE(log.empty()) << "focusing the focused control again does nothing";

    CControlUI foreign;
    foreign.SetName("foreign");
    host.Manager().SetFocus(&foreign);
    EXPECT_EQ(host.Manager().GetFocus(), nullptr);
    EXPECT_FALSE(root->IsFocused());
    EXPECT_EQ(log, (std::vector<std::string>{"l:killfocus:root"}));

    log.clear();
    root->SetEnabled(false);
    root->SetFocus();
    EXPECT_EQ(host.Manager().GetFocus(), nullptr) << "a disabled control cannot take focus";
    root->SetEnabled(true);
    root->SetVisible(false);
    root->SetFocus();
    EXPECT_EQ(host.Manager().GetFocus(), nullptr) << "a hidden control cannot take focus";
    EXPECT_TRUE(log.empty());

    root->SetVisible(true);
    root->SetFocus();
    ASSERT_EQ(host.Manager().GetFocus(), root);
    root->SetVisible(false);
    EXPECT_EQ(host.Manager().GetFocus(), nullptr) << "hiding the focused control drops the focus";
}

// A control whose placing fails once, as an allocation in the layout may.
struct PlacedAfterOneFailure : CControlUI {
    void SetPos(RECT rc) override {
        if (!failed) {
            failed = true;
            throw std::runtime_error("layout");
        }
        CControlUI::SetPos(rc);
    }
    bool failed = false;
};

TEST_F(Manager, ALayoutThatThrowsIsDoneAgainAtTheNextPaint) {
    auto* root = new SkinUI::CVerticalLayoutUI;
    auto* child = new PlacedAfterOneFailure;
    root->Add(child);
    host.Manager().AttachRoot(root);
    HDC dc = ::GetDC(host.GetHWND());
    auto paint = [&] {
        LRESULT result = 0;
        host.Manager().ProcessMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), 0, result);
    };
    EXPECT_THROW(paint(), std::runtime_error);
    paint();
    ::ReleaseDC(host.GetHWND(), dc);
    const RECT placed = child->GetPos();
    EXPECT_FALSE(::IsRectEmpty(&placed));
}

struct TooltipSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchTooltip(HWND hwnd, LPARAM data) {
    auto* search = reinterpret_cast<TooltipSearch*>(data);
    char cls[64] = {};
    ::GetClassNameA(hwnd, cls, sizeof(cls));
    if (lstrcmpiA(cls, TOOLTIPS_CLASSA) != 0 || ::GetWindow(hwnd, GW_OWNER) != search->owner)
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

HWND TooltipOf(HWND owner) {
    TooltipSearch search = {owner, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), MatchTooltip, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST(ManagerTooltips, ToolsOfDestroyedControlsDoNotPileUp) {
    uitest::TestWindow window("<Window><VerticalLayout name=\"box\" /></Window>");
    ASSERT_TRUE(window.Open());
    auto* box = window.Find<SkinUI::CVerticalLayoutUI>("box");
    ASSERT_NE(box, nullptr);
    for (int i = 0; i < 3; ++i) {
        auto* label = new SkinUI::CLabelUI;
        label->SetToolTip("tip");
        box->Add(label);
        window.Paint();
        const POINT at = uitest::TestWindow::CenterOf(label);
        uitest::TestWindow::MoveTo(window.GetHWND(), at);
        ::SendMessageA(window.GetHWND(), WM_MOUSEHOVER, 0, MAKELPARAM(at.x, at.y));
        box->Remove(label);
        uitest::TestWindow::Pump();
    }
    const HWND tooltip = TooltipOf(window.GetHWND());
    ASSERT_NE(tooltip, nullptr);
    EXPECT_LE(::SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
}

// Two pixels, red then blue, as a 24-bit bitmap file.
std::string RedBlueBitmap() {
    std::string bmp = "BM";
    auto put = [&bmp](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            bmp += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    for (uint32_t value : {62u, 0u, 54u, 40u, 2u, 1u})
        put(value, 4);
    put(1, 2);   // planes
    put(24, 2);  // bits per pixel
    for (uint32_t value : {0u, 8u, 0u, 0u, 0u, 0u})
        put(value, 4);
    bmp += std::string("\x00\x00\xFF\xFF\x00\x00\x00\x00", 8);  // B, G, R twice, padding
    return bmp;
}

// Draws an image description over white; the two pixels as 0xRRGGBB.
std::pair<DWORD, DWORD> DrawnPixels(CWindowManagerUI& manager, const char* description) {
    void* bits = nullptr;
    SkinUI::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    SkinUI::UniqueBitmap bitmap(SkinUI::Render::CreateTopDownDib(dc.get(), 2, 1, &bits));
    SkinUI::SelectObjectScope select(dc.get(), bitmap.get());
    auto* pixels = static_cast<DWORD*>(bits);
    pixels[0] = pixels[1] = 0xFFFFFFFF;
    const RECT rc = {0, 0, 2, 1};
    SkinUI::Render::DrawImageString(dc.get(), &manager, rc, rc, description);
    ::GdiFlush();
    return {pixels[0] & 0xFFFFFF, pixels[1] & 0xFFFFFF};
}

TEST(ManagerImages, OneFileWithTwoMasksIsTwoImages) {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "skinui_image_masks\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    FILE* file = std::fopen((folder + "two.bmp").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    const std::string bytes = RedBlueBitmap();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    CWindowManagerUI::SetResourcePath(folder.c_str());
    CWindowManagerUI::SetResourcePackage("", false, "");

    CWindowManagerUI manager;
    // The skin declares the file with red as its see-through colour; a
    // description that names another mask gets its own image.
    ASSERT_NE(manager.AddImage("two.bmp", 0xFFFF0000), nullptr);
    const std::pair<DWORD, DWORD> redClear = {0xFFFFFF, 0x0000FF};
    const std::pair<DWORD, DWORD> blueClear = {0xFF0000, 0xFFFFFF};
    EXPECT_EQ(DrawnPixels(manager, "two.bmp"), redClear);
    EXPECT_EQ(DrawnPixels(manager, "file='two.bmp' mask='#FF0000FF'"), blueClear);
    EXPECT_EQ(DrawnPixels(manager, "file='two.bmp' mask='#FFFF0000'"), redClear);
    EXPECT_EQ(DrawnPixels(manager, "file='two.bmp'"), redClear);
    CWindowManagerUI::SetResourcePath("");
}

}  // namespace
