#include "update/run/DownloadDisplay.h"

#include <mmsystem.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr DWORD kRefreshMs = 200;
// Display changes of quick files go to the view together, at most this often.
constexpr DWORD kDisplayBatchMs = 50;
constexpr size_t kRecentFiles = 3;

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
    : m_poster(std::move(post), kDisplayBatchMs),
      m_nTotalBytes(totalBytes),
      m_nPaceTime(::timeGetTime()) {}

void DownloadDisplay::Begin() {
    m_poster.Post([](UpdateView& v) { v.ShowAllFileProgress(0, false); });
}

void DownloadDisplay::End() {
    m_poster.Post([](UpdateView& v) { v.ShowAllFileProgress(100, true); });
}

void DownloadDisplay::StartFile(const std::string& name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sFollowed = name;
    m_fFollowed = 0.0f;
    m_recent.push_back(name);
    if (m_recent.size() > kRecentFiles)
        m_recent.erase(m_recent.begin());
    m_poster.Post([recent = m_recent](UpdateView& v) {
        v.ShowRecentFiles(recent);
        v.ShowCurFileProgress(0);
    });
}

void DownloadDisplay::Progress(const std::string& name, size_t got, uint64_t received,
                               uint64_t length, uint64_t share) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_shares[name] = share;
    m_nPaceBytes += got;
    const bool followed = name == m_sFollowed;
    if (followed)
        m_fFollowed = Fraction(received, length);
    const DWORD now = ::timeGetTime();
    if (now - m_nPaceTime < kRefreshMs && !(followed && received == length))
        return;
    const DWORD elapsed = now - m_nPaceTime ? now - m_nPaceTime : 1;
    const int speed = static_cast<int>((m_nPaceBytes / 1024.0) / (elapsed / 1000.0));
    m_nPaceTime = now;
    m_nPaceBytes = 0;
    const float all = Whole();
    const std::string info = Format("正在下载：%s %dKB/s", m_sFollowed, speed);
    const int cur = Percent(m_fFollowed);
    m_poster.Post([all, cur, info](UpdateView& v) {
        v.ShowAllFileProgress(Percent(all), true);
        v.ShowCurFileProgress(cur);
        v.ShowCurInfo(info);
    });
}

void DownloadDisplay::FinishFile(const std::string& name, uint64_t bytes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_shares.erase(name);
    m_nDoneBytes += bytes;
    const std::string info = Format("%s下载完毕，正在复盖...", name);
    m_poster.Post([info](UpdateView& v) { v.ShowCurInfo(info); });
}

void DownloadDisplay::ShowFailure(const std::string& text) {
    m_poster.Post([text](UpdateView& v) { v.ShowCurInfo(text); });
    m_poster.Flush();
}

float DownloadDisplay::Whole() {
    uint64_t bytes = m_nDoneBytes;
    for (const auto& share : m_shares)
        bytes += share.second;
    m_fShownAll = std::max(Fraction(bytes, m_nTotalBytes), m_fShownAll);
    return m_fShownAll;
}
