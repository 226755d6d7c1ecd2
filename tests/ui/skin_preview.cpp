// Shows the launcher's skin in a plain window and prints every notification
// it raises, one line each: "<type> <sender> <wParam> <lParam>". The account
// drop list gets three rows with delete buttons, as the launcher fills it.
// For trying the skin by hand or with xdotool:
//   wine build/<tree>/tests/ui/skin_preview.exe
#include <cstdio>

#include "tests/ui/SkinHost.h"

using namespace SkinUI;

namespace {

class PreviewWindow : public CWindowWnd, public INotifyUI {
public:
    void Notify(TNotifyMsg& msg) override {
        std::printf("%s %s %u %ld\n", msg.sType.c_str(),
                    msg.pSender ? msg.pSender->GetName().c_str() : "-",
                    static_cast<unsigned>(msg.wParam), static_cast<long>(msg.lParam));
        std::fflush(stdout);
        if (msg.sType == "click" && msg.pSender && msg.pSender->GetName() == "CloseWindow") {
            ::PostQuitMessage(0);
        }
    }

protected:
    const char* GetWindowClassName() const override { return "SkinUIPreview"; }

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_CREATE) {
            m_pm.AttachWindow(m_hWnd);
            CDialogBuilder builder;
            m_pm.AttachRoot(builder.BuildFromMarkup("Launcher.xml", nullptr, &m_callback, &m_pm));
            m_pm.AddNotifier(this);
            FillAccounts();
            if (CControlUI* password = m_pm.FindControl("PassWord"))
                password->SetFocus();
            return 0;
        }
        if (msg == WM_DESTROY)
            ::PostQuitMessage(0);
        LRESULT result = 0;
        if (m_pm.ProcessMessage(msg, wParam, lParam, result))
            return result;
        return CWindowWnd::HandleMessage(msg, wParam, lParam);
    }

private:
    void FillAccounts() {
        auto* combo = dynamic_cast<CComboUI*>(m_pm.FindControl("Account"));
        if (!combo)
            return;
        for (const char* account : {"player_one", "player_two", "player_three"}) {
            auto* row = new CListLabelElementUI;
            row->SetText(account);
            combo->Add(row);
            row->Add(new CControlUI);
            auto* button = new CButtonUI;
            button->ApplyAttributeList(
                "name=\"delete\" text=\"清除\" visible=\"false\" tooltip=\"清除账号\" "
                "width=\"35\" textcolor=\"#FF0000FF\" hottextcolor=\"#FFFF0000\"");
            row->Add(button);
        }
    }

    CWindowManagerUI m_pm;
    uitest::StandInCallback m_callback;
};

}  // namespace

int main() {
    uitest::UseBuiltSkin();
    PreviewWindow window;
    if (!window.Create(nullptr, "Vedu", WS_POPUP | WS_CLIPCHILDREN, 0))
        return 1;
    window.CenterWindow();
    window.ShowWindow(true, true);
    CWindowManagerUI::RunMessageLoop();
    return 0;
}
