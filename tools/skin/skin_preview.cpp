// Shows a skin in a plain window and prints every notification it raises,
// one line each: "<type> <sender> <wParam> <lParam>". After the first layout
// it prints "at <name> <left> <top> <right> <bottom>" for every named control
// and then "ready", so a script knows where to click. Without arguments it
// shows the launcher's skin, whose account drop list gets three rows with
// delete buttons as the launcher fills it; with a folder and a markup file
// it shows that skin from plain files. For trying a skin by hand or with
// xdotool:
//   wine build/<tree>/tests/ui/skin_preview.exe [FOLDER MARKUP]
#include <cstdio>
#include <string>
#include <utility>

#include "tests/ui/support/SkinHost.h"

using namespace SkinUI;

namespace {

CControlUI* CALLBACK PrintPlace(CControlUI* control, LPVOID) {
    const std::string name = control->GetName();
    const RECT rc = control->GetPos();
    if (!name.empty() && control->IsVisible())
        std::printf("at %s %ld %ld %ld %ld\n", name.c_str(), rc.left, rc.top, rc.right, rc.bottom);
    return nullptr;
}

class PreviewWindow : public CWindowWnd, public INotifyUI {
public:
    explicit PreviewWindow(std::string markup) : m_markup(std::move(markup)) {}

    void Notify(TNotifyMsg& msg) override {
        std::printf("%s %s %u %ld\n", msg.sType.c_str(),
                    msg.pSender ? msg.pSender->GetName().c_str() : "-",
                    static_cast<unsigned>(msg.wParam), static_cast<long>(msg.lParam));
        if (msg.sType == "windowinit" && m_pm.GetRoot()) {
            m_pm.GetRoot()->FindControl(PrintPlace, nullptr, UIFIND_ALL);
            std::printf("ready\n");
        }
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
            m_pm.AttachRoot(builder.BuildFromMarkup(m_markup.c_str(), nullptr, &m_callback, &m_pm));
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

    std::string m_markup;
    CWindowManagerUI m_pm;
    uitest::StandInCallback m_callback;
};

}  // namespace

int main(int argc, char** argv) {
    std::string markup = "Launcher.xml";
    const char* title = "Vedu";
    if (argc >= 3) {
        CWindowManagerUI::SetInstance(::GetModuleHandleA(nullptr));
        CWindowManagerUI::SetResourcePath(argv[1]);
        CWindowManagerUI::SetResourcePackage("", false, "");
        markup = argv[2];
        title = "SkinUI preview";
    } else {
        uitest::UseBuiltSkin();
    }
    PreviewWindow window(markup);
    if (!window.Create(nullptr, title, WS_POPUP | WS_CLIPCHILDREN, 0))
        return 1;
    window.CenterWindow();
    window.ShowWindow(true, true);
    CWindowManagerUI::RunMessageLoop();
    return 0;
}
