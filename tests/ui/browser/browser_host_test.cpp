// The toolkit's browser control hosting the system WebBrowser object: its
// window follows the control and stays hidden until a page has loaded, the
// events and host questions reach the handler, keys stay in the browser's
// window, and teardown lets go of every object, window and handle.
#include <gtest/gtest.h>

#include <downloadmgr.h>
#include <exdispid.h>
#include <mshtmhst.h>
#include <servprov.h>

#include <cstdio>

#include <string>
#include <vector>

#include "tests/ui/browser/BrowserTestSupport.h"
#include "tests/ui/support/SkinHost.h"
#include "tests/ui/support/TestWindow.h"
#include "ui/UI.h"

using namespace SkinUI;
using uitest::TestWindow;

namespace {

const char kSkin[] = R"(<Window size="400,300"><VerticalLayout>
  <Edit name="first" height="24" />
  <Edit name="second" height="24" />
  <TabLayout name="pages" height="200">
    <VerticalLayout><WebBrowser name="page" /></VerticalLayout>
    <VerticalLayout><Label name="other" text="other page" /></VerticalLayout>
  </TabLayout>
  <WebBrowser name="hidden" float="true" pos="0,0,1,1" visible="false" />
  <WebBrowser name="home" homepage="app:home" autonavi="true" float="true" pos="0,0,1,1" />
</VerticalLayout></Window>)";

// The document host's command group (not in the import libraries).
constexpr GUID kDocHostCommands = {
    0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};

class Recorder : public CWebBrowserEventHandler {
public:
    void BeforeNavigate2(IDispatch*, VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                         VARIANT_BOOL* cancel) override {
        urls.push_back(url && V_VT(url) == VT_BSTR ? V_BSTR(url) : L"<none>");
        cancelGiven = cancel && *cancel == VARIANT_FALSE;
    }
    void NavigateError(IDispatch*, VARIANT*, VARIANT*, VARIANT*, VARIANT_BOOL*) override {
        ++errors;
    }
    std::vector<std::wstring> urls;
    bool cancelGiven = false;
    int errors = 0;
};

bool HostShown(CActiveXUI* control) {
    return ::IsWindowVisible(control->GetHostWindow()) != FALSE;
}

RECT HostRect(CActiveXUI* control) {
    RECT rc;
    ::GetWindowRect(control->GetHostWindow(), &rc);
    ::MapWindowPoints(nullptr, ::GetParent(control->GetHostWindow()), reinterpret_cast<POINT*>(&rc),
                      2);
    return rc;
}

HRESULT FireLoaded(CWebBrowserUI* browser, DISPID id, IDispatch* from) {
    VARIANT url;
    ::VariantInit(&url);
    return FireEvent(browser, id, {Dispatch(from), ByRef(&url)});
}

HRESULT FireNavigateError(CWebBrowserUI* browser, IDispatch* from) {
    VARIANT url, frame, status;
    ::VariantInit(&url);
    ::VariantInit(&frame);
    ::VariantInit(&status);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT cancelArg;
    V_VT(&cancelArg) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&cancelArg) = &cancel;
    return FireEvent(browser, DISPID_NAVIGATEERROR,
                     {Dispatch(from), ByRef(&url), ByRef(&frame), ByRef(&status), cancelArg});
}

}  // namespace

TEST(BrowserHost, EveryBrowserIsCreatedAndItsWindowWaitsForTheLoadedPage) {
    TestWindow window(kSkin);
    ASSERT_TRUE(window.Open());
    auto* page = window.Find<CWebBrowserUI>("page");
    auto* hidden = window.Find<CWebBrowserUI>("hidden");
    for (CWebBrowserUI* browser : {page, hidden}) {
        Base::ComPtr<IWebBrowser2> web;
        ASSERT_EQ(browser->GetControl(IID_IWebBrowser2, web.put_void()), S_OK);
        ASSERT_NE(browser->GetHostWindow(), nullptr);
        EXPECT_EQ(::GetParent(browser->GetHostWindow()), window.GetHWND());
        // No page has loaded: the skin shows through.
        EXPECT_FALSE(HostShown(browser));
    }
    const RECT pos = page->GetPos();
    const RECT host = HostRect(page);
    EXPECT_TRUE(::EqualRect(&pos, &host));

    const auto mine = BrowserDispatch(page);
    const auto frame = BrowserDispatch(hidden);
    // A frame's document is not the page.
    EXPECT_EQ(FireLoaded(page, DISPID_DOCUMENTCOMPLETE, frame.get()), S_OK);
    EXPECT_FALSE(HostShown(page));
    EXPECT_EQ(FireLoaded(page, DISPID_DOCUMENTCOMPLETE, mine.get()), S_OK);
    EXPECT_TRUE(HostShown(page));
    // A hidden control stays hidden with its page loaded.
    EXPECT_EQ(FireLoaded(hidden, DISPID_DOCUMENTCOMPLETE, frame.get()), S_OK);
    EXPECT_FALSE(HostShown(hidden));

    auto* pages = window.Find<CTabLayoutUI>("pages");
    pages->SelectItem(1);
    EXPECT_FALSE(HostShown(page));
    pages->SelectItem(0);
    window.Paint();
    EXPECT_TRUE(HostShown(page));
    RECT moved = {10, 60, 210, 160};
    page->SetPos(moved);
    const RECT followed = HostRect(page);
    EXPECT_TRUE(::EqualRect(&moved, &followed));

    EXPECT_EQ(FireNavigateError(page, mine.get()), S_OK);
    EXPECT_FALSE(HostShown(page));
}

TEST(BrowserHost, TheLaunchersSkinGetsItsThreeBrowsersWhereItPutsThem) {
    uitest::UseBuiltSkin();
    uitest::StandInCallback callback;
    TestWindow window("Launcher.xml", &callback);
    ASSERT_TRUE(window.Open());
    for (const char* name : {"web", "LogonWeb", "RegisterWeb"}) {
        auto* browser = window.Find<CWebBrowserUI>(name);
        ASSERT_NE(browser, nullptr) << name;
        Base::ComPtr<IWebBrowser2> web;
        EXPECT_EQ(browser->GetControl(IID_IWebBrowser2, web.put_void()), S_OK) << name;
        EXPECT_EQ(::GetParent(browser->GetHostWindow()), window.GetHWND()) << name;
        // No page loads here, so the skin's own picture stays in view.
        EXPECT_FALSE(HostShown(browser)) << name;
        if (browser->IsVisible()) {
            const RECT pos = browser->GetPos();
            const RECT host = HostRect(browser);
            EXPECT_TRUE(::EqualRect(&pos, &host)) << name;
        }
    }
}

TEST(BrowserHost, NavigationsReachTheHandlerWithTheirUrlUnchanged) {
    TestWindow window(kSkin);
    ASSERT_TRUE(window.Open());
    auto* hidden = window.Find<CWebBrowserUI>("hidden");
    Recorder recorder;
    hidden->SetEventHandler(&recorder);
    const std::vector<std::wstring> urls = {L"app:\x4E2D\x6587&&\x5BC6\x7801", L"app:u s&&p"};
    for (const std::wstring& url : urls) {
        Base::ComPtr<IWebBrowser2> web;
        ASSERT_EQ(hidden->GetControl(IID_IWebBrowser2, web.put_void()), S_OK);
        BSTR text = ::SysAllocString(url.c_str());
        VARIANT empty;
        ::VariantInit(&empty);
        web->Navigate(text, &empty, &empty, &empty, &empty);
        ::SysFreeString(text);
        for (int i = 0; i < 200 && recorder.urls.size() < urls.size(); ++i)
            PumpFor(10);
    }
    EXPECT_EQ(recorder.urls, urls);
    EXPECT_TRUE(recorder.cancelGiven);
    PumpFor(200);
    EXPECT_GE(recorder.errors, 1);
    EXPECT_FALSE(HostShown(hidden));

    // "autonavi" goes to the home page as soon as the browser exists, in
    // markup (its attributes come after the control was first initialised)
    // and in code.
    EXPECT_EQ(window.Find<CWebBrowserUI>("home")->GetLocationURL(), L"app:home");
    auto* added = new CWebBrowserUI;
    added->SetHomePage("app:home");
    added->SetAutoNavigation(true);
    Recorder early;
    added->SetEventHandler(&early);
    ASSERT_TRUE(window.Find<CTabLayoutUI>("pages")->Add(added));
    for (int i = 0; i < 200 && early.urls.empty(); ++i)
        PumpFor(10);
    EXPECT_EQ(early.urls, std::vector<std::wstring>{L"app:home"});
}

TEST(BrowserHost, HostQuestionsGetTheHandlersAnswersOrThoseOfABareHost) {
    TestWindow window(kSkin);
    ASSERT_TRUE(window.Open());
    auto* page = window.Find<CWebBrowserUI>("page");
    auto ui = SiteOf<IDocHostUIHandler>(page, IID_IDocHostUIHandler);
    ASSERT_TRUE(ui);
    LPWSTR translated = reinterpret_cast<LPWSTR>(1);
    IDispatch* external = reinterpret_cast<IDispatch*>(1);
    DOCHOSTUIINFO info = {};

    // No handler yet.
    EXPECT_EQ(ui->ShowContextMenu(0, nullptr, nullptr, nullptr), S_FALSE);
    EXPECT_EQ(ui->GetHostInfo(&info), E_NOTIMPL);
    EXPECT_EQ(ui->ShowUI(0, nullptr, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(ui->TranslateUrl(0, nullptr, &translated), E_NOTIMPL);
    EXPECT_EQ(translated, nullptr);
    EXPECT_EQ(ui->GetExternal(&external), S_FALSE);
    EXPECT_EQ(external, nullptr);

    // The handler's own answers: a plain page without menus or downloads.
    CWebBrowserEventHandler handler;
    page->SetEventHandler(&handler);
    EXPECT_EQ(ui->ShowContextMenu(0, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(ui->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.cbSize, 20u);
    EXPECT_EQ(info.dwFlags, static_cast<DWORD>(DOCHOSTUIFLAG_NO3DBORDER));
    EXPECT_EQ(info.dwDoubleClick, 0u);
    EXPECT_EQ(ui->ShowUI(0, nullptr, nullptr, nullptr, nullptr), S_FALSE);
    EXPECT_EQ(ui->HideUI(), S_OK);
    EXPECT_EQ(ui->ResizeBorder(nullptr, nullptr, FALSE), S_OK);
    EXPECT_EQ(ui->TranslateAccelerator(nullptr, nullptr, 0), S_FALSE);
    IDropTarget* drop = reinterpret_cast<IDropTarget*>(1);
    EXPECT_EQ(ui->GetDropTarget(nullptr, &drop), E_NOTIMPL);
    EXPECT_EQ(ui->GetExternal(&external), E_NOTIMPL);
    translated = reinterpret_cast<LPWSTR>(1);
    EXPECT_EQ(ui->TranslateUrl(0, nullptr, &translated), S_OK);
    EXPECT_EQ(translated, nullptr);

    auto services = SiteOf<IServiceProvider>(page, IID_IServiceProvider);
    ASSERT_TRUE(services);
    Base::ComPtr<IDownloadManager> downloads;
    ASSERT_EQ(services->QueryService(__uuidof(IDownloadManager), __uuidof(IDownloadManager),
                                     downloads.put_void()),
              S_OK);
    EXPECT_EQ(downloads->Download(nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, 0), S_OK);

    // Script errors: keep running, show nothing.
    auto commands = SiteOf<IOleCommandTarget>(page, IID_IOleCommandTarget);
    ASSERT_TRUE(commands);
    VARIANT out;
    ::VariantInit(&out);
    EXPECT_EQ(commands->Exec(&kDocHostCommands, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, &out), S_OK);
    EXPECT_EQ(V_VT(&out), VT_BOOL);
    EXPECT_EQ(V_BOOL(&out), VARIANT_TRUE);
    EXPECT_EQ(commands->Exec(&kDocHostCommands, OLECMDID_SHOWSCRIPTERROR + 1, 0, nullptr, nullptr),
              OLECMDERR_E_NOTSUPPORTED);
    EXPECT_EQ(commands->Exec(nullptr, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, nullptr),
              OLECMDERR_E_UNKNOWNGROUP);

    // Events the table does not know, and script names the base does not.
    EXPECT_EQ(FireEvent(page, DISPID_STATUSTEXTCHANGE, {}), S_OK);
    EXPECT_EQ(FireEvent(page, 9999, {}), DISP_E_MEMBERNOTFOUND);
    // Malformed arguments reach the handler as missing ones.
    Recorder recorder;
    page->SetEventHandler(&recorder);
    EXPECT_EQ(FireEvent(page, DISPID_BEFORENAVIGATE2, {}), S_OK);
    ASSERT_EQ(recorder.urls.size(), 1u);
    EXPECT_EQ(recorder.urls[0], L"<none>");
}

TEST(BrowserHost, TabInTheBrowsersWindowIsNotTheSkinsTab) {
    TestWindow window(kSkin);
    ASSERT_TRUE(window.Open());
    auto* page = window.Find<CWebBrowserUI>("page");
    auto* first = window.Find<CEditUI>("first");
    window.Manager().SetFocus(first);
    HWND browserWindow = ::GetWindow(page->GetHostWindow(), GW_CHILD);
    ASSERT_NE(browserWindow, nullptr);
    MSG tab = {browserWindow, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_TRUE(CWindowManagerUI::TranslateUIMessage(&tab));
    EXPECT_EQ(window.Manager().GetFocus(), first);
    // The same key for the skin's own window moves its focus.
    tab.hwnd = window.GetHWND();
    EXPECT_TRUE(CWindowManagerUI::TranslateUIMessage(&tab));
    EXPECT_NE(window.Manager().GetFocus(), first);
}

TEST(BrowserHost, TeardownReleasesTheObjectAndTheSiteOutlivesItsControl) {
    TestWindow window(kSkin);
    ASSERT_TRUE(window.Open());
    auto* page = window.Find<CWebBrowserUI>("page");
    IUnknown* object = nullptr;
    ASSERT_EQ(page->GetControl(IID_IUnknown, reinterpret_cast<void**>(&object)), S_OK);
    auto site = SiteOf<IOleInPlaceSite>(page, IID_IOleInPlaceSite);
    auto sink = SiteOf<IDispatch>(page, IID_IDispatch);
    ASSERT_TRUE(site && sink);
    const HWND host = page->GetHostWindow();

    auto* container = dynamic_cast<IContainerUI*>(page->GetParent());
    ASSERT_TRUE(container && container->Remove(page));
    PumpFor(50);
    EXPECT_FALSE(::IsWindow(host));
    EXPECT_EQ(object->Release(), 0u);
    // Late calls from whoever kept the site find no control.
    HWND reported = reinterpret_cast<HWND>(1);
    EXPECT_EQ(site->GetWindow(&reported), E_FAIL);
    EXPECT_EQ(site->CanInPlaceActivate(), S_FALSE);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(sink->Invoke(DISPID_DOCUMENTCOMPLETE, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr,
                           nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    site.reset();
    EXPECT_EQ(sink.Detach()->Release(), 0u);

    // Closing the window tears the other browser down while its windows exist.
    auto* hidden = window.Find<CWebBrowserUI>("hidden");
    ASSERT_EQ(hidden->GetControl(IID_IUnknown, reinterpret_cast<void**>(&object)), S_OK);
    ::DestroyWindow(window.GetHWND());
    EXPECT_EQ(object->Release(), 0u);
}

// Windows of this thread, top-level and nested: the USER objects a leak
// would leave. (Wine's GetGuiResources answers 0; Windows counts for real.)
BOOL CALLBACK CountWindow(HWND hwnd, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    if (!::GetParent(hwnd))
        ::EnumChildWindows(hwnd, CountWindow, count);
    return TRUE;
}

int ThreadWindowCount() {
    int count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST(BrowserHost, TwoHundredCyclesLeaveNoHandlesOrObjectsBehind) {
    const HANDLE process = ::GetCurrentProcess();
    // Each cycle adds what is still referenced once the window is gone.
    auto cycle = [](int& liveObjects) {
        TestWindow window(kSkin);
        ASSERT_TRUE(window.Open());
        std::vector<IUnknown*> held;
        for (const char* name : {"page", "hidden"}) {
            auto* browser = window.Find<CWebBrowserUI>(name);
            IUnknown* object = nullptr;
            ASSERT_EQ(browser->GetControl(IID_IUnknown, reinterpret_cast<void**>(&object)), S_OK);
            held.push_back(object);
            held.push_back(SiteOf<IUnknown>(browser, IID_IUnknown).Detach());
        }
        // The window and both browsers' host windows, at least: the count sees them.
        ASSERT_GE(ThreadWindowCount(), 3);
        ::DestroyWindow(window.GetHWND());
        for (IUnknown* object : held)
            liveObjects += object ? static_cast<int>(object->Release()) : 1;
    };
    int liveObjects = 0;
    for (int i = 0; i < 3; ++i)
        cycle(liveObjects);
    PumpFor(50);
    const DWORD gdi = ::GetGuiResources(process, GR_GDIOBJECTS);
    const DWORD user = ::GetGuiResources(process, GR_USEROBJECTS);
    const int windows = ThreadWindowCount();
    for (int i = 0; i < 200; ++i)
        cycle(liveObjects);
    PumpFor(50);
    EXPECT_EQ(liveObjects, 0);
    EXPECT_LE(ThreadWindowCount(), windows);
    EXPECT_LE(::GetGuiResources(process, GR_GDIOBJECTS), gdi);
    EXPECT_LE(::GetGuiResources(process, GR_USEROBJECTS), user);
    std::printf("200 cycles: windows %d -> %d, GDI %lu -> %lu, USER %lu -> %lu\n", windows,
                ThreadWindowCount(), gdi, ::GetGuiResources(process, GR_GDIOBJECTS), user,
                ::GetGuiResources(process, GR_USEROBJECTS));
}
