// Times the launcher's skin: from Create to the end of the first paint, and
// the median of 100 full repaints, each beside the same for a plain window of
// the same size that only fills its face (what any window costs here). Prints
// figures; scripts/bench runs it, or by hand:
//   wine build/<tree>/tests/ui/skin_benchmark.exe
#include <algorithm>
#include <cstdio>
#include <vector>

#include "tests/ui/support/SkinHost.h"

namespace {

// The launcher window's size.
constexpr int kWidth = 760;
constexpr int kHeight = 500;

double Now() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

LRESULT CALLBACK PlainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        const HDC dc = ::BeginPaint(hwnd, &ps);
        ::FillRect(dc, &ps.rcPaint, ::GetSysColorBrush(COLOR_BTNFACE));
        ::EndPaint(hwnd, &ps);
        return 0;
    }
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Create to end of first paint, and one full repaint, of the plain window.
void TimePlainWindow(double& firstPaint, double& repaint) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PlainWindowProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "PlainBenchWindow";
    ::RegisterClassA(&wc);
    const double start = Now();
    const HWND hwnd = ::CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP, 40, 40,
                                        kWidth, kHeight, nullptr, nullptr, wc.hInstance, nullptr);
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    ::UpdateWindow(hwnd);
    firstPaint = Now() - start;
    std::vector<double> frames;
    for (int i = 0; i < 100; ++i) {
        const double before = Now();
        ::InvalidateRect(hwnd, nullptr, FALSE);
        ::UpdateWindow(hwnd);
        frames.push_back(Now() - before);
    }
    std::sort(frames.begin(), frames.end());
    repaint = frames[50];
    ::DestroyWindow(hwnd);
}

}  // namespace

int main() {
    uitest::UseBuiltSkin();
    uitest::StandInCallback callback;
    const double start = Now();
    uitest::TestWindow window("Launcher.xml", &callback);
    // Open creates, builds and paints the window once.
    if (!window.Open(kWidth, kHeight)) {
        std::printf("the skin window could not be created\n");
        return 1;
    }
    const double firstPaint = Now() - start;
    std::vector<double> frames;
    for (int i = 0; i < 100; ++i) {
        const double before = Now();
        window.Paint();
        frames.push_back(Now() - before);
    }
    std::sort(frames.begin(), frames.end());
    double plainFirstPaint = 0;
    double plainRepaint = 0;
    TimePlainWindow(plainFirstPaint, plainRepaint);
    std::printf("  %-44s %8.2f ms   plain window %8.2f ms   ratio %.3f\n",
                "skin, Create to end of first paint", firstPaint, plainFirstPaint,
                plainFirstPaint / firstPaint);
    std::printf("  %-44s %8.3f ms   plain window %8.3f ms   ratio %.3f\n",
                "skin, full repaint (median of 100)", frames[50], plainRepaint,
                plainRepaint / frames[50]);
    return 0;
}
