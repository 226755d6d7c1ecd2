// The skin builder on small markup: sources, window values, defaults, the
// callback for unknown tags, includes and failures.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/ui/TestWindow.h"

using namespace SkinUI;
using uitest::TestWindow;

namespace {

struct Callback : IDialogBuilderCallback {
    std::vector<std::string> asked;
    CControlUI* CreateControl(const char* className) override {
        asked.push_back(className);
        if (std::string(className) == "Fancy")
            return new CLabelUI;
        return nullptr;
    }
};

// A folder of skin files for one test, used as the resource path.
struct SkinFolder {
    explicit SkinFolder(const char* name) {
        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        path = std::string(temp) + name + "\\";
        ::CreateDirectoryA(path.c_str(), nullptr);
        CWindowManagerUI::SetResourcePath(path.c_str());
        CWindowManagerUI::SetResourcePackage("", false, "");
    }
    void Write(const char* file, const std::string& bytes) const {
        FILE* f = std::fopen((path + file).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    std::string path;
};

TEST(BuilderTest, EmptyOrBrokenMarkupGivesNullWithAReason) {
    CDialogBuilder builder;
    EXPECT_EQ(builder.BuildFromMarkup("<Window></Window>"), nullptr);
    EXPECT_EQ(builder.BuildFromMarkup("<Window><Label></Window>"), nullptr);
    EXPECT_FALSE(builder.GetLastError().empty());
    SkinFolder folder("skinui_builder_missing");
    EXPECT_EQ(builder.BuildFromMarkup("NoSuchFile.xml"), nullptr);
    EXPECT_EQ(builder.GetLastError(), "Error opening file");
    CWindowManagerUI manager;
    EXPECT_FALSE(manager.AttachRoot(nullptr));
}

TEST(BuilderTest, WindowValuesDefaultsAndDocumentOrder) {
    TestWindow window(
        "<Window size=\"321,123\" caption=\"1,2,3,40\" roundcorner=\"5,6\" mininfo=\"100,50\">"
        "<Default name=\"Button\" value=\"text=&quot;default&quot; width=&quot;77&quot;\" />"
        "<HorizontalLayout>"
        "<Button name=\"own\" text=\"mine\" />"
        "<Button name=\"plain\" />"

        "</HorizontalLayout></Window>");
    ASSERT_TRUE(window.Open(50, 50));
    RECT rc;
    ::GetWindowRect(window.GetHWND(), &rc);
    EXPECT_EQ(rc.right - rc.left, 321);
    EXPECT_EQ(rc.bottom - rc.top, 123);
    const RECT caption = window.Manager().GetCaptionRect();
    EXPECT_EQ(caption.left, 1);
    EXPECT_EQ(caption.right, 3);
    EXPECT_EQ(caption.bottom, 40);
    EXPECT_EQ(window.Manager().GetRoundCorner().cx, 5);
    EXPECT_EQ(window.Manager().GetRoundCorner().cy, 6);
    EXPECT_EQ(window.Manager().GetMinInfo().cx, 100);
    EXPECT_EQ(window.Find<CButtonUI>("own")->GetText(), "mine");
    EXPECT_EQ(window.Find<CButtonUI>("own")->GetFixedWidth(), 77);
    EXPECT_EQ(window.Find<CButtonUI>("plain")->GetText(), "default");
}

TEST(BuilderTest, UnknownTagsGoToTheCallbackOrAreSkipped) {
    Callback callback;
    TestWindow window(
        "<Window><VerticalLayout>"
        "<Fancy name=\"fancy\" text=\"made\" />"
        "<Mystery name=\"mystery\"><Label name=\"inside\" /></Mystery>"
        "<Label name=\"leaf\"><Button name=\"refused\" /></Label>"
        "</VerticalLayout></Window>",
        &callback);
    ASSERT_TRUE(window.Open());
    EXPECT_EQ(callback.asked, (std::vector<std::string>{"Fancy", "Mystery"}));
    ASSERT_NE(window.Find<CLabelUI>("fancy"), nullptr);
    EXPECT_EQ(window.Find<CLabelUI>("fancy")->GetText(), "made");
    EXPECT_EQ(window.Manager().FindControl("mystery"), nullptr);
    EXPECT_EQ(window.Manager().FindControl("inside"), nullptr);
    // A label is no container: the button inside it is dropped.
    EXPECT_EQ(window.Manager().FindControl("refused"), nullptr);
    EXPECT_NE(window.Manager().FindControl("leaf"), nullptr);
}

TEST(BuilderTest, FilesAreUtf8AndIncludesRepeat) {
    SkinFolder folder("skinui_builder_files");
    // With a byte-order mark and Chinese text: the label gets the code page's bytes.
    folder.Write(
        "Main.xml",
        "\xEF\xBB\xBF<Window><VerticalLayout name=\"list\">"
        "<Label name=\"title\" text=\"\xE6\xB8\xB8\xE6\x88\x8F\xE5\xA4\xA7\xE5\x8E\x85\" />"
        "<Include source=\"Row.xml\" count=\"3\" />"
        "</VerticalLayout></Window>");
    folder.Write("Row.xml",
                 "<HorizontalLayout height=\"20\"><Label text=\"row\" />"
                 "</HorizontalLayout>");
    CWindowManagerUI manager;
    CDialogBuilder builder;
    CControlUI* root = builder.BuildFromMarkup("Main.xml", nullptr, nullptr, &manager);
    ASSERT_NE(root, nullptr) << builder.GetLastError();
    ASSERT_TRUE(manager.AttachRoot(root));
    EXPECT_EQ(manager.FindControl("title")->GetText(), "游戏大厅");
    auto* list = dynamic_cast<CVerticalLayoutUI*>(manager.FindControl("list"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetCount(), 4);
    EXPECT_STREQ(list->GetItemAt(3)->GetClass(), "HorizontalLayoutUI");
}

TEST(BuilderTest, ClassNamesAndInterfaces) {
    TestWindow window(
        "<Window><VerticalLayout name=\"v\"><HorizontalLayout name=\"h\" />"
        "<TabLayout name=\"t\" /><Text name=\"x\" /><CheckBox name=\"cb\" />"
        "<Combo name=\"co\" /><Edit name=\"e\" /><Progress name=\"p\" />"
        "<ActiveX name=\"ax\" /><WebBrowser name=\"wb\" homepage=\"about:blank\" autonavi=\"true\" "
        "/>"
        "<ListLabelElement name=\"row\" /><Container name=\"c\" />"
        "</VerticalLayout></Window>");
    ASSERT_TRUE(window.Open());
    const std::pair<const char*, const char*> classes[] = {
        {"v", "VerticalLayoutUI"}, {"h", "HorizontalLayoutUI"},   {"t", "TabLayoutUI"},
        {"x", "TextUI"},           {"cb", "CheckBoxUI"},          {"co", "ComboUI"},
        {"e", "EditUI"},           {"p", "ProgressUI"},           {"ax", "ActiveXUI"},
        {"wb", "WebBrowserUI"},    {"row", "ListLabelElementUI"}, {"c", "ContainerUI"}};
    for (const auto& entry : classes) {
        CControlUI* control = window.Manager().FindControl(entry.first);
        ASSERT_NE(control, nullptr) << entry.first;
        EXPECT_STREQ(control->GetClass(), entry.second);
        EXPECT_NE(control->GetInterface("Control"), nullptr);
    }
    CControlUI* row = window.Manager().FindControl("row");
    EXPECT_NE(row->GetInterface("ListItem"), nullptr);
    EXPECT_NE(row->GetInterface("ListLabelElement"), nullptr);
    EXPECT_EQ(row->GetInterface("IContainer"), nullptr);
    CControlUI* combo = window.Manager().FindControl("co");
    EXPECT_NE(combo->GetInterface("IListOwner"), nullptr);
    EXPECT_NE(combo->GetInterface("IContainer"), nullptr);
    EXPECT_NE(window.Manager().FindControl("cb")->GetInterface("Option"), nullptr);
    EXPECT_NE(window.Manager().FindControl("cb")->GetInterface("Button"), nullptr);

    auto* browser = window.Find<CWebBrowserUI>("wb");
    EXPECT_EQ(browser->GetHomePage(), "about:blank");
    EXPECT_TRUE(browser->IsAutoNavigation());
    // Without COM there is no browser object to hand out.
    void* raw = reinterpret_cast<void*>(1);
    EXPECT_TRUE(FAILED(browser->GetControl(IID_IWebBrowser2, &raw)));
    EXPECT_EQ(raw, nullptr);
    CWebBrowserEventHandler first;
    CWebBrowserEventHandler second;
    browser->SetEventHandler(&first);
    browser->SetEventHandler(nullptr);
    EXPECT_EQ(browser->GetEventHandler(), &first);
    browser->SetEventHandler(&second);
    EXPECT_EQ(browser->GetEventHandler(), &second);
}

}  // namespace
