#include "tests/ui/browser/BrowserTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/ui/support/TestWindow.h"

namespace {

// COM on the test's thread for the whole run, set up as the launcher's
// start does it: CoInitialize, not OleInitialize.
class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr))); }
    void TearDown() override { ::CoUninitialize(); }
};

[[maybe_unused]] ::testing::Environment* const g_com =
    ::testing::AddGlobalTestEnvironment(new ComEnvironment);

}  // namespace

Base::ComPtr<IDispatch> BrowserDispatch(SkinUI::CActiveXUI* control) {
    Base::ComPtr<IDispatch> disp;
    control->GetControl(IID_IDispatch, disp.put_void());
    return disp;
}

HRESULT FireEvent(SkinUI::CActiveXUI* control, DISPID id, std::vector<VARIANT> args) {
    auto sink = SiteOf<IDispatch>(control, IID_IDispatch);
    if (!sink)
        return E_NOINTERFACE;
    std::reverse(args.begin(), args.end());
    DISPPARAMS params = {args.empty() ? nullptr : args.data(), nullptr,
                         static_cast<UINT>(args.size()), 0};
    return sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                        nullptr, nullptr);
}

VARIANT ByRef(VARIANT* target) {
    VARIANT v;
    ::VariantInit(&v);
    V_VT(&v) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&v) = target;
    return v;
}

VARIANT Dispatch(IDispatch* disp) {
    VARIANT v;
    ::VariantInit(&v);
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = disp;
    return v;
}

void PumpFor(DWORD ms) {
    const DWORD start = ::GetTickCount();
    do {
        uitest::TestWindow::Pump();
        ::Sleep(5);
    } while (::GetTickCount() - start < ms);
}
