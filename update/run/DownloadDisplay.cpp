#include "update/run/DownloadDisplay.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr DWORD kRefreshMs = 200;
// Display changes of quick files go to the view together, at most this often.
constexpr DWORD kDisplayBatchMs = 50;

std::string Format(const char* format, const std::string& name, int number = 0) {
    std::vector<char> text(name.size() + 64);
    std::snprintf(text.data(), text.size(), format, name.c_str(), number);
    return text.data();
}

float Fraction(uint64_t part, uint64_t whole) {
    return whole == 0 ? 1.0f : static_cast<float>(static_cast<double>(part) / whole);
}

int Percent(float fraction) {
    return static_cast<int>(std::min(fraction * 100.0f, 1.0e6f));
}

}  // namespace

DownloadDisplay::DownloadDisplay(ViewPost post, uint64_t totalBytes)
    : m_poster(std::move(post), kDisplayBatchMs), m_nTotalBytes(totalBytes) {}

void DownloadDisplay::Begin() {
    m_poster.Post([](UpdateView& v) { v.ShowAllFileProgress(0, false); });
}

void DownloadDisplay::End() {
    m_poster.Post([](UpdateView& v) { v.ShowAllFileProgress(100, true); });
}

void DownloadDisplay::StartFile(const std::string& name) {
    m_recent.push_back(name);
    const size_t first = m_recent.size() > 3 ? m_recent.size() - 3 : 0;
    std::vector<std::string> recent(m_recent.begin() + first, m_recent.end());
    m_poster.Post([recent](UpdateView& v) {
        v.ShowRecentFiles(recent);
        v.ShowCurFileProgress(0);
    });
}

void DownloadDisplay::Progress(const std::string& name, Pace& pace, size_t got, uint64_t received,
                               uint64_t length, uint64_t passBytes) {
    pace.bytes += got;
    const DWORD now = ::timeGetTime();
    if (now - pace.time < kRefreshMs && received != length)
        return;
    const DWORD elapsed = now - pace.time ? now - pace.time : 1;
    const int speed = static_cast<int>((pace.bytes / 1024.0) / (elapsed / 1000.0));
    pace = {now, 0};
    const float all = Whole(passBytes);
    const float cur = Fraction(received, length);
    const std::string info = Format("正在下载：%s %dKB/s", name, speed);
    m_poster.Post([all, cur, info](UpdateView& v) {
        v.ShowAllFileProgress(Percent(all), true);
        v.ShowCurFileProgress(Percent(cur));
        v.ShowCurInfo(info);
    });
}

void DownloadDisplay::FinishFile(const std::string& name) {
    const std::string info = Format("%s下载完毕，正在复盖...", name);
    m_poster.Post([info](UpdateView& v) { v.ShowCurInfo(info); });
}

void DownloadDisplay::ShowFailure(const std::string& text) {
    m_poster.Post([text](UpdateView& v) { v.ShowCurInfo(text); });
    m_poster.Flush();
}

float DownloadDisplay::Whole(uint64_t bytes) {
    m_fShownAll = std::max(Fraction(bytes, m_nTotalBytes), m_fShownAll);
    return m_fShownAll;
}
