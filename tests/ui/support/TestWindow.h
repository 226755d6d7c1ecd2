// A real top-level window with a toolkit manager for the tests: it builds
// markup in WM_CREATE as the launcher does, records every notification, and
// drives input through the same window messages a user would cause.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/UI.h"

namespace uitest {

struct Heard {
    std::string type;
    std::string sender;
    SkinUI::CControlUI* control;
    WPARAM wParam;
    LPARAM lParam;
};

class TestWindow : public SkinUI::CWindowWnd, public SkinUI::INotifyUI {
public:
    explicit TestWindow(std::string markup, SkinUI::IDialogBuilderCallback* callback = nullptr);
    ~TestWindow() override;

    // Creates and shows the window, builds and lays out the skin. (A hidden
    // window gets no WM_PAINT, so nothing would be laid out.)
    bool Open(int width = 400, int height = 300);
    SkinUI::CWindowManagerUI& Manager() { return m_pm; }
    template <typename T>
    T* Find(const char* name) {
        return dynamic_cast<T*>(m_pm.FindControl(name));
    }

    void Notify(SkinUI::TNotifyMsg& msg) override;
    std::function<void(SkinUI::TNotifyMsg&)> onNotify;
    std::vector<Heard> heard;
    std::vector<std::string> TypesFrom(const std::string& sender) const;
    // The notifications of one type, from one control if it is given.
    std::vector<Heard> HeardOfType(const std::string& type,
                                   const SkinUI::CControlUI* control = nullptr) const;

    // Runs the message queue dry, through the toolkit's translation step.
    static void Pump();
    // Paints (and so lays out) now.
    void Paint();
    static void Click(HWND hwnd, POINT pt);
    static void MoveTo(HWND hwnd, POINT pt);
    static POINT CenterOf(const SkinUI::CControlUI* control);

protected:
    const char* GetWindowClassName() const override { return "SkinUITestWindow"; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    std::string m_markup;
    SkinUI::IDialogBuilderCallback* m_callback;
    SkinUI::CWindowManagerUI m_pm;
};

}  // namespace uitest
