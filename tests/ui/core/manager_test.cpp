// The manager's process-wide settings, notification delivery, the name map
// and focus, on a real (hidden) window.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/core/Control.h"
#include "ui/core/WindowManager.h"
#include "ui/core/WindowWnd.h"

namespace {

using SkinUI::CControlUI;
using SkinUI::CWindowManagerUI;
using SkinUI::TNotifyMsg;

class HostWindow : public SkinUI::CWindowWnd {
public:
    CWindowManagerUI manager;

protected:
    const char* GetWindowClassName() const override { return "ManagerTestHost"; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_CREATE) {
            manager.AttachWindow(m_hWnd);
            return 0;
        }
        LRESULT result = 0;
        if (manager.ProcessMessage(msg, wParam, lParam, result))
            return result;
        return CWindowWnd::HandleMessage(msg, wParam, lParam);
    }
};

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

class Manager : public ::testing::Test {
protected:
    void SetUp() override {
        CWindowManagerUI::SetInstance(::GetModuleHandleA(nullptr));
        ASSERT_NE(host.Create(nullptr, "host", WS_POPUP, 0, 0, 0, 200, 100), nullptr);
    }
    void TearDown() override { ::DestroyWindow(host.GetHWND()); }

    CControlUI* Attach(const char* name) {
        auto* control = new CControlUI();
        control->SetName(name);
        host.manager.AttachRoot(control);
        return control;
    }

    HostWindow host;
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
    EXPECT_EQ(host.manager.FindControl("SavePassWord"), option);
    EXPECT_EQ(host.manager.FindControl("SavePassword"), nullptr);
    EXPECT_EQ(host.manager.FindControl("savepassword"), nullptr);
    EXPECT_EQ(host.manager.FindControl(""), nullptr);
}

TEST_F(Manager, SynchronousNotificationsRunInsideTheCallAsynchronousOnesAtTheNextMessage) {
    std::vector<std::string> log;
    Recorder first(log, "first");
    Recorder second(log, "second");
    CControlUI* sender = Attach("sender");
    host.manager.AddNotifier(&first);
    host.manager.AddNotifier(&second);
    EXPECT_FALSE(host.manager.AddNotifier(&first)) << "a listener is registered once";

    host.manager.SendNotify(sender, "queued", 0, 0, true);
    EXPECT_TRUE(log.empty());
    host.manager.SendNotify(sender, "click");
    EXPECT_EQ(log, (std::vector<std::string>{"first:click:sender", "second:click:sender"}));

    log.clear();
    host.manager.SendNotify(sender, "queued2", 0, 0, true);
    LRESULT result = 0;
    host.manager.ProcessMessage(WM_NULL, 0, 0, result);
    EXPECT_EQ(log, (std::vector<std::string>{"first:queued:sender", "second:queued:sender",
                                             "first:queued2:sender", "second:queued2:sender"}));
}

TEST_F(Manager, QueuedNotificationOfADestroyedSenderIsDropped) {
    std::vector<std::string> log;
    Recorder listener(log, "l");
    CControlUI* sender = Attach("gone");
    host.manager.AddNotifier(&listener);
    host.manager.SendNotify(sender, "late", 0, 0, true);
    host.manager.AttachRoot(new CControlUI());  // destroys the old root, the sender
    LRESULT result = 0;
    host.manager.ProcessMessage(WM_NULL, 0, 0, result);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(host.manager.FindControl("gone"), nullptr);
}

TEST_F(Manager, FocusMovesOnlyToVisibleEnabledControlsOfThisManager) {
    std::vector<std::string> log;
    Recorder listener(log, "l");
    CControlUI* root = Attach("root");
    host.manager.AddNotifier(&listener);

    root->SetFocus();
    EXPECT_EQ(host.manager.GetFocus(), root);
    EXPECT_TRUE(root->IsFocused());
    EXPECT_EQ(log, (std::vector<std::string>{"l:setfocus:root"}));

    log.clear();
    root->SetFocus();
    EXPECT_TRUE(log.empty()) << "focusing the focused control again does nothing";

    CControlUI foreign;
    foreign.SetName("foreign");
    host.manager.SetFocus(&foreign);
    EXPECT_EQ(host.manager.GetFocus(), nullptr);
    EXPECT_FALSE(root->IsFocused());
    EXPECT_EQ(log, (std::vector<std::string>{"l:killfocus:root"}));

    log.clear();
    root->SetEnabled(false);
    root->SetFocus();
    EXPECT_EQ(host.manager.GetFocus(), nullptr) << "a disabled control cannot take focus";
    root->SetEnabled(true);
    root->SetVisible(false);
    root->SetFocus();
    EXPECT_EQ(host.manager.GetFocus(), nullptr) << "a hidden control cannot take focus";
    EXPECT_TRUE(log.empty());

    root->SetVisible(true);
    root->SetFocus();
    ASSERT_EQ(host.manager.GetFocus(), root);
    root->SetVisible(false);
    EXPECT_EQ(host.manager.GetFocus(), nullptr) << "hiding the focused control drops the focus";
}

}  // namespace
