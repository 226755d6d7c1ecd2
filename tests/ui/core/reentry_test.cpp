// Code that runs while the toolkit is still on the stack: listeners that move
// the focus, remove the control they hear from and then run a message loop
// of their own (a message box), or destroy the window, and windows that go
// away while they are being created or are handling a message.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "tests/ui/support/TestWindow.h"

using namespace SkinUI;
using uitest::TestWindow;

namespace {

// One object of the toolkit that a test watches being freed, where it
// cannot subclass it (the combo's drop-down list window).
const void* g_watched = nullptr;
bool g_watchedFreed = false;

}  // namespace

// The replaced allocation functions are a matched pair over malloc and free.
void* operator new(std::size_t size) {
    if (void* p = std::malloc(size != 0 ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    if (p && p == g_watched)
        g_watchedFreed = true;
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    ::operator delete(p);
}

namespace {

// A control that records its own destruction.
template <typename Base>
struct Watched : Base {
    explicit Watched(bool& gone) : m_gone(gone) {}
    ~Watched() override { m_gone = true; }
    bool& m_gone;
};

struct WatchedControls : IDialogBuilderCallback {
    bool optionGone = false;
    bool comboGone = false;
    CControlUI* CreateControl(const char* className) override {
        if (std::strcmp(className, "WatchedOption") == 0)
            return new Watched<COptionUI>(optionGone);
        if (std::strcmp(className, "WatchedCombo") == 0)
            return new Watched<CComboUI>(comboGone);
        return nullptr;
    }
};

constexpr char kMarkup[] =
    "<Window><VerticalLayout name=\"box\">"
    "<WatchedOption name=\"option\" group=\"g\" height=\"30\" />"
    "<Option name=\"sibling\" group=\"g\" height=\"30\" />"
    "<WatchedCombo name=\"combo\" height=\"30\" dropboxsize=\"0,100\" />"
    "<Button name=\"button\" height=\"30\" />"
    "</VerticalLayout></Window>";

class Reentry : public ::testing::Test {
protected:
    Reentry() : window(kMarkup, &controls) {}
    void SetUp() override {
        ASSERT_TRUE(window.Open());
        box = window.Find<CVerticalLayoutUI>("box");
        combo = window.Find<CComboUI>("combo");
        ASSERT_NE(box, nullptr);
        ASSERT_NE(combo, nullptr);
        for (const char* text : {"one", "two"}) {
            auto* row = new CListLabelElementUI;
            row->SetText(text);
            combo->Add(row);
        }
    }

    // The launcher's way with a notification it dislikes: the sender goes,
    // and a message box says why. The box's loop is simulated by pumping.
    void RemoveSenderOn(const char* type, const char* sender, const bool& gone) {
        window.onNotify = [this, type, sender, &gone](TNotifyMsg& msg) {
            if (handled || msg.sType != type || !msg.pSender || msg.pSender->GetName() != sender)
                return;
            handled = true;
            box->Remove(msg.pSender);
            TestWindow::Pump();
            goneInHandler = gone;
            watchedFreedInHandler = g_watchedFreed;
        };
    }

    WatchedControls controls;
    TestWindow window;
    CVerticalLayoutUI* box = nullptr;
    CComboUI* combo = nullptr;
    bool handled = false;
    bool goneInHandler = false;
    bool watchedFreedInHandler = false;
};

TEST_F(Reentry, ASenderRemovedBeforeAMessageBoxLivesUntilTheToolkitIsDone) {
    // The click goes out before the option selects itself.
    RemoveSenderOn("click", "option", controls.optionGone);
    TestWindow::Click(window.GetHWND(), TestWindow::CenterOf(window.Find<CControlUI>("option")));
    ASSERT_TRUE(handled);
    EXPECT_FALSE(goneInHandler) << "option activate";
    TestWindow::Pump();
    EXPECT_TRUE(controls.optionGone) << "destroyed once the click has unwound";
    EXPECT_EQ(window.Manager().FindControl("option"), nullptr);

    // A row picked in the open list: the combo still closes its list and
    // repaints after telling its listeners.
    handled = false;
    RemoveSenderOn("itemselect", "combo", controls.comboGone);
    TestWindow::Click(window.GetHWND(), TestWindow::CenterOf(combo));
    const HWND drop = combo->GetDropWindow();
    ASSERT_NE(drop, nullptr);
    ::UpdateWindow(drop);
    // The box's loop also closes the list, under the list's own click.
    g_watched = reinterpret_cast<const void*>(::GetWindowLongPtrA(drop, GWLP_USERDATA));
    TestWindow::Click(drop, TestWindow::CenterOf(combo->GetItemAt(1)));
    ASSERT_TRUE(handled);
    EXPECT_FALSE(goneInHandler) << "combo select";
    EXPECT_FALSE(::IsWindow(drop));
    EXPECT_FALSE(watchedFreedInHandler) << "the list's window object";
    TestWindow::Pump();
    EXPECT_TRUE(controls.comboGone);
    EXPECT_TRUE(g_watchedFreed);
    g_watched = nullptr;
}

TEST_F(Reentry, AComboRemovedAsItsClosingListHandsItTheFocusLivesOn) {
    // Opened without the focus, the combo takes it as its list closes.
    window.Find<CControlUI>("button")->SetFocus();
    ASSERT_TRUE(combo->Activate());
    RemoveSenderOn("setfocus", "combo", controls.comboGone);
    combo->CloseDropDown();
    TestWindow::Pump();
    ASSERT_TRUE(handled);
    EXPECT_FALSE(goneInHandler) << "drop-down close";
    TestWindow::Pump();
    EXPECT_TRUE(controls.comboGone);
    EXPECT_EQ(window.Manager().GetFocus(), nullptr);
}

TEST_F(Reentry, AListenerThatMovesTheFocusOnKillfocusIsHeardOnce) {
    CControlUI* option = window.Find<CControlUI>("option");
    CControlUI* sibling = window.Find<CControlUI>("sibling");
    CControlUI* button = window.Find<CControlUI>("button");
    option->SetFocus();
    // A listener that sends the focus on to a control of its choice; bounded,
    // so that a recursion shows as a count rather than a stack overflow.
    int answers = 0;
    window.onNotify = [&](TNotifyMsg& msg) {
        if (msg.sType == "killfocus" && msg.pSender == option && answers < 20) {
            ++answers;
            sibling->SetFocus();
        }
    };
    window.heard.clear();
    button->SetFocus();
    EXPECT_EQ(answers, 1);
    EXPECT_EQ(window.Manager().GetFocus(), sibling) << "the listener's choice stands";
    EXPECT_TRUE(sibling->IsFocused());
    EXPECT_FALSE(option->IsFocused());
    EXPECT_FALSE(button->IsFocused());
    ASSERT_EQ(window.heard.size(), 2u);
    EXPECT_EQ(window.heard[0].type, "killfocus");
    EXPECT_EQ(window.heard[1].type, "setfocus");
    EXPECT_EQ(window.heard[1].sender, "sibling");
}

// Keeps the memory of a deleted window object, poisoned, so that a write to
// it afterwards shows.
template <typename T>
struct KeptPoisoned {
    static void* operator new(size_t size) { return ::operator new(size); }
    static void operator delete(void* p, size_t size) {
        std::memset(p, 0xDD, size);
        s_freed = p;
        s_freedSize = size;
    }
    static bool FreedMemoryUntouched() {
        const auto* bytes = static_cast<const unsigned char*>(s_freed);
        for (size_t i = 0; i < s_freedSize; ++i) {
            if (bytes[i] != 0xDD)
                return false;
        }
        return s_freed != nullptr;
    }
    static void Release() {
        ::operator delete(s_freed);
        s_freed = nullptr;
    }
    static inline void* s_freed = nullptr;
    static inline size_t s_freedSize = 0;
};

// A window object that deletes itself with its window.
class SelfDeleting : public CWindowWnd, public KeptPoisoned<SelfDeleting> {
public:
    enum class Failure { ReturnMinusOne, DestroyItself };
    explicit SelfDeleting(Failure failure) : m_failure(failure) {}

protected:
    const char* GetWindowClassName() const override { return "SkinUISelfDeleting"; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_CREATE) {
            if (m_failure == Failure::ReturnMinusOne)
                return -1;
            ::DestroyWindow(m_hWnd);
            return 0;
        }
        return CWindowWnd::HandleMessage(msg, wParam, lParam);
    }
    void OnFinalMessage(HWND) override { delete this; }

private:
    Failure m_failure;
};

TEST(WindowBase, ACreationThatEndsInsideWmCreateLeavesTheDeletedObjectAlone) {
    CWindowManagerUI::SetInstance(::GetModuleHandleA(nullptr));
    for (auto failure :
         {SelfDeleting::Failure::ReturnMinusOne, SelfDeleting::Failure::DestroyItself}) {
        auto* window = new SelfDeleting(failure);
        EXPECT_EQ(window->Create(nullptr, "gone", WS_POPUP, 0, 0, 0, 10, 10), nullptr);
        EXPECT_TRUE(SelfDeleting::FreedMemoryUntouched());
        SelfDeleting::Release();
    }
}

// A skinned window that deletes itself with its window, as the launcher's
// does, and two listeners of it.
struct SelfDeletingHost : TestWindow, KeptPoisoned<SelfDeletingHost> {
    using TestWindow::TestWindow;
    void OnFinalMessage(HWND) override { delete this; }
};

struct DestroyOnClick : INotifyUI {
    explicit DestroyOnClick(HWND window) : m_window(window) {}
    void Notify(TNotifyMsg& msg) override {
        if (msg.sType == "click")
            ::DestroyWindow(m_window);
    }
    HWND m_window;
};

struct CountClicks : INotifyUI {
    void Notify(TNotifyMsg& msg) override { clicks += msg.sType == "click" ? 1 : 0; }
    int clicks = 0;
};

// The window object goes with its window at once when the notification
// comes from outside the window's messages (a button in a combo's list), and
// after the click when it comes from a click in the window. Either way the
// later listeners hear nothing, and nothing touches the freed manager.
TEST(NotifyDelivery, EndsWhenAListenerDestroysTheWindow) {
    for (const bool byClick : {false, true}) {
        auto* host = new SelfDeletingHost(
            "<Window><VerticalLayout><Button name=\"b\" height=\"30\" /></VerticalLayout>"
            "</Window>");
        ASSERT_TRUE(host->Open());
        CControlUI* button = host->Find<CControlUI>("b");
        const HWND hwnd = host->GetHWND();
        DestroyOnClick first(hwnd);
        CountClicks second;
        host->Manager().AddNotifier(&first);
        host->Manager().AddNotifier(&second);
        if (byClick) {
            TestWindow::Click(hwnd, TestWindow::CenterOf(button));
        } else {
            host->Manager().SendNotify(button, "click");
        }
        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_EQ(second.clicks, 0) << "by click: " << byClick;
        EXPECT_TRUE(SelfDeletingHost::FreedMemoryUntouched()) << "by click: " << byClick;
        SelfDeletingHost::Release();
    }
}

}  // namespace
