// Times the launcher's skin: from Create to the end of the first paint, and
// the median of 100 full repaints. Prints figures; run it by hand:
//   wine build/<tree>/tests/ui/skin_benchmark.exe
#include <algorithm>
#include <cstdio>
#include <vector>

#include "tests/ui/SkinHost.h"

namespace {

double Now() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main() {
    uitest::UseBuiltSkin();
    uitest::StandInCallback callback;
    const double start = Now();
    uitest::TestWindow window("Launcher.xml", &callback);
    // Open creates, builds and paints the window once.
    if (!window.Open(100, 100)) {
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
    std::printf("Create to end of first paint: %.2f ms\n", firstPaint);
    std::printf("full repaint, median of 100: %.3f ms (fastest %.3f, slowest %.3f)\n", frames[50],
                frames.front(), frames.back());
    return 0;
}
