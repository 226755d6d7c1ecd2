// The skin builder on small markup: sources, window values, defaults, the
// callback for unknown tags, includes and failures.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/ui/support/TestWindow.h"
#include "ui/markup/MarkupWalk.h"

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

// A control that counts its live instances, to see what a build leaks.
struct Counted : CLabelUI {
    static int live;
    Counted() { ++live; }
    ~Counted() override { --live; }
};
int Counted::live = 0;

struct CountingCallback : IDialogBuilderCallback {
    CControlUI* CreateControl(const char* className) override {
        return std::string(className) == "Counted" ? new Counted : nullptr;
    }
};

TEST(BuilderTest, WithoutAParentNothingButTheRootIsMade) {
    CountingCallback callback;
    CDialogBuilder builder;
    CControlUI* root = builder.BuildFromMarkup(
        "<Window><Counted name=\"first\"/><Counted/><Counted/></Window>", nullptr, &callback);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), "first");
    delete root;
    EXPECT_EQ(Counted::live, 0) << "the later top-level controls must not be left behind";
}

TEST(BuilderTest, HostileIncludesAndNestingLeaveAWorkingTree) {
    SkinFolder folder("skinui_builder_hostile");
    folder.Write("Self.xml",
                 "<Window><VerticalLayout name=\"outer\"><Include source=\"self.XML\"/>"
                 "<Label name=\"after\"/></VerticalLayout></Window>");
    // Just under the markup limit, nested all the way down.
    std::string deep = "<Window>";
    const size_t levels = (4190000 - 32) / 23;
    for (size_t i = 0; i < levels; ++i)
        deep += "<Container>";
    for (size_t i = 0; i < levels; ++i)
        deep += "</Container>";
    deep += "</Window>";
    folder.Write("Deep.xml", deep);
    for (const char* file : {"Self.xml", "Deep.xml"}) {
        SCOPED_TRACE(file);
        CWindowManagerUI manager;
        CDialogBuilder builder;
        CControlUI* root = builder.BuildFromMarkup(file, nullptr, nullptr, &manager);
        ASSERT_NE(root, nullptr) << builder.GetLastError();
        ASSERT_TRUE(manager.AttachRoot(root));
    }
    CWindowManagerUI manager;
    CDialogBuilder builder;
    ASSERT_TRUE(
        manager.AttachRoot(builder.BuildFromMarkup("Self.xml", nullptr, nullptr, &manager)));
    auto* outer = dynamic_cast<CVerticalLayoutUI*>(manager.FindControl("outer"));
    ASSERT_NE(outer, nullptr);
    EXPECT_EQ(outer->GetCount(), 1) << "the cycle is refused, the label after it stays";

    // Child layouts whose files name each other further and further down:
    // the build's walk bounds them as it bounds includes.
    const int files = kMaxMarkupDepth + 20;
    for (int i = 0; i < files; ++i) {
        folder.Write(
            ("Chain" + std::to_string(i) + ".xml").c_str(),
            "<Window><ChildLayout xmlfile=\"chain" + std::to_string(i + 1) + ".xml\"/></Window>");
    }
    auto* top = new CChildLayoutUI;
    top->SetManager(&manager, nullptr, false);
    top->SetChildLayoutXML("Chain0.xml");
    int built = 0;
    for (CControlUI* c = top->GetItemAt(0); c; c = static_cast<CContainerUI*>(c)->GetItemAt(0))
        ++built;
    EXPECT_GT(built, 0);
    EXPECT_LE(built, kMaxMarkupDepth);
    delete top;
}

TEST(BuilderTest, AnIncludedWindowNeitherResizesNorRenumbersFonts) {
    SkinFolder folder("skinui_builder_included_window");
    folder.Write("Part.xml",
                 "<Window size=\"60,40\" defaultfontcolor=\"#FF00FF00\">"
                 "<Font name=\"Courier New\" size=\"40\" default=\"true\"/>"
                 "<Label name=\"part\" font=\"0\"/></Window>");
    TestWindow window(
        "<Window size=\"321,123\"><Font name=\"Arial\" size=\"14\"/>"
        "<VerticalLayout><Include source=\"Part.xml\"/></VerticalLayout></Window>");
    ASSERT_TRUE(window.Open(50, 50));
    ASSERT_NE(window.Manager().FindControl("part"), nullptr);
    RECT rc;
    ::GetWindowRect(window.GetHWND(), &rc);
    EXPECT_EQ(rc.right - rc.left, 321);
    EXPECT_EQ(rc.bottom - rc.top, 123);
    EXPECT_EQ(window.Manager().GetDefaultFontColor(), 0xFF000000u);
    EXPECT_EQ(window.Manager().GetFont(1), window.Manager().GetFont(-1)) << "one font only";
    EXPECT_LT(window.Manager().GetFontMetrics(-1).tmHeight, 30) << "the default font stays";
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
