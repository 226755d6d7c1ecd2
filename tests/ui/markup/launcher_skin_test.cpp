// The launcher's skin: every control the program looks up is there with the
// class it needs, and the whole window paints. The painted window is saved
// as a screenshot beside the test program.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "tests/ui/support/SkinHost.h"

using namespace SkinUI;
using uitest::TestWindow;

namespace {

struct Required {
    const char* name;
    const char* interfaceName;
};

// The names the launcher's code finds, and the interface each must answer.
const Required kRequired[] = {
    {"Account", "Combo"},
    {"LogonAccount", "Edit"},
    {"PassWord", "Edit"},
    {"SavePassWord", "Option"},
    {"AutoLogon", "Option"},
    {"LogonLineAuto", "Option"},
    {"LogonLine0", "Option"},
    {"LogonLine1", "Option"},
    {"LogonLine2", "Option"},
    {"NxLogon", "Option"},
    {"RimbaLogon", "Option"},
    {"LogonTab", "TabLayout"},
    {"LogonRegister", "TabLayout"},
    {"RegisterWeb", "WebBrowser"},
    {"LogonWeb", "WebBrowser"},
    {"web", "WebBrowser"},
    {"CurInfo", "Label"},
    {"UpdateState", "Label"},
    {"PlazaVer", "Label"},
    {"CurFileProgress", "Progress"},
    {"AllFileProgress", "Progress"},
    {"Logon", "Button"},
    {"Register", "Button"},
    {"RestoreUpdate", "Button"},
    {"again", "Button"},
    {"cancel", "Button"},
    {"CloseWindow", "Button"},
    {"MinWindow", "Button"},
    {"RegisterTop", "Button"},
    {"GetPassword", "Button"},
    {"Clear", "Button"},
    {"WebIndex", "Button"},
    {"Pay", "Button"},
    {"Question", "Button"},
    {"UpdateWithHand", "Button"},
    {"QQOnline", "Button"},
    {"QQLogon", "Button"},
    {"Line0", "Button"},
    {"Line1", "Button"},
    {"Line2", "Button"},
    {"UpdateFileInfo0", "Label"},
    {"UpdateFileInfo1", "Label"},
    {"UpdateFileInfo2", "Label"},
};

bool SaveBitmap(const std::string& path, const std::vector<DWORD>& pixels, int width, int height) {
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = -height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    const DWORD bytes = static_cast<DWORD>(pixels.size() * sizeof(DWORD));
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + bytes;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::fwrite(&file, sizeof(file), 1, f);
    std::fwrite(&info, sizeof(info), 1, f);
    std::fwrite(pixels.data(), 1, bytes, f);
    return std::fclose(f) == 0;
}

TEST(LauncherSkinTest, ProvidesEveryNameWithItsClass) {
    uitest::UseBuiltSkin();
    uitest::StandInCallback callback;
    CWindowManagerUI manager;
    CDialogBuilder builder;
    CControlUI* root = builder.BuildFromMarkup("Launcher.xml", nullptr, &callback, &manager);
    ASSERT_NE(root, nullptr) << builder.GetLastError();
    ASSERT_TRUE(manager.AttachRoot(root));
    for (const Required& required : kRequired) {
        CControlUI* control = manager.FindControl(required.name);
        ASSERT_NE(control, nullptr) << required.name;
        EXPECT_NE(control->GetInterface(required.interfaceName), nullptr) << required.name;
    }
    EXPECT_STREQ(manager.FindControl("RegisterWeb")->GetClass(), "WebBrowserExUI");
    EXPECT_STREQ(manager.FindControl("LogonWeb")->GetClass(), "WebBrowserExUI");
    EXPECT_FALSE(manager.FindControl("LogonWeb")->IsVisible());
    EXPECT_EQ(manager.FindControl("SavePassword"), nullptr);
    EXPECT_EQ(manager.GetInitSize().cx, 760);
}

TEST(LauncherSkinTest, PaintsTheWholeWindowAndSavesAScreenshot) {
    uitest::UseBuiltSkin();
    uitest::StandInCallback callback;
    TestWindow window("Launcher.xml", &callback);
    ASSERT_TRUE(window.Open(100, 100));
    RECT client;
    ::GetClientRect(window.GetHWND(), &client);
    ASSERT_EQ(client.right, 760);
    ASSERT_EQ(client.bottom, 500);
    window.Find<CProgressUI>("AllFileProgress")->SetValue(60);
    window.Find<CProgressUI>("CurFileProgress")->SetValue(35);

    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    void* bits = nullptr;
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = client.right;
    bmi.bmiHeader.biHeight = -client.bottom;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    HBITMAP bitmap = ::CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::SendMessageA(window.GetHWND(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    ::GdiFlush();
    const auto* first = static_cast<const DWORD*>(bits);
    // GDI leaves the alpha byte of text pixels at 0; a screenshot is opaque.
    std::vector<DWORD> pixels(first, first + client.right * client.bottom);
    for (DWORD& p : pixels)
        p |= 0xFF000000;
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);

    // A painted skin has images, text and gradients: many distinct colours,
    // and none of the window left unpainted black.
    std::set<DWORD> colours;
    size_t black = 0;
    for (DWORD p : pixels) {
        colours.insert(p & 0xFFFFFF);
        if ((p & 0xFFFFFF) == 0)
            ++black;
    }
    EXPECT_GT(colours.size(), 500u);
    EXPECT_LT(black, pixels.size() / 100);
    const std::string shot = CWindowManagerUI::GetModuleDirectory() + "launcher_skin.bmp";
    EXPECT_TRUE(SaveBitmap(shot, pixels, client.right, client.bottom));
    std::printf("screenshot: %s\n", shot.c_str());
}

}  // namespace
