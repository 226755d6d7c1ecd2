#include "tools/publish/Progress.h"

#include <algorithm>
#include <cmath>

#ifdef _WIN32
#include <io.h>
#define PUBLISH_ISATTY(f) _isatty(_fileno(f))
#else
#include <unistd.h>
#define PUBLISH_ISATTY(f) isatty(fileno(f))
#endif

namespace {

// How often the line is redrawn on a terminal, and a plain line written.
constexpr auto kTerminalEvery = std::chrono::milliseconds(250);
constexpr auto kPlainEvery = std::chrono::seconds(30);
constexpr double kMiB = 1024.0 * 1024.0;

}  // namespace

std::string FormatDuration(double seconds) {
    const auto total = static_cast<long long>(std::llround(std::max(0.0, seconds)));
    char text[32];
    if (total >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60,
                      total % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", total / 60, total % 60);
    return text;
}

Progress::Progress() : Progress(PUBLISH_ISATTY(stdout) != 0) {}

Progress::Progress(bool terminal) : m_terminal(terminal) {}

void Progress::Start(const std::string& step, size_t files, uint64_t bytes) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_step = step;
    m_files = files;
    m_filesDone = 0;
    m_bytes = bytes;
    m_bytesDone = 0;
    m_started = m_shown = Clock::now();
    if (m_terminal)
        Show(false);
}

void Progress::AddBytes(uint64_t bytes) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_bytesDone += bytes;
    const auto every = m_terminal ? kTerminalEvery : kPlainEvery;
    if (Clock::now() - m_shown >= every)
        Show(false);
}

void Progress::FileDone() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    ++m_filesDone;
    const auto every = m_terminal ? kTerminalEvery : kPlainEvery;
    if (Clock::now() - m_shown >= every)
        Show(false);
}

void Progress::Finish() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    Show(true);
}

void Progress::Note(const std::string& text) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_lineOpen) {
        std::fputs("\r\x1b[K", stdout);
        std::fflush(stdout);
    }
    std::fprintf(stderr, "publish make: %s\n", text.c_str());
    std::fflush(stderr);
    if (m_lineOpen)
        Show(false);
}

void Progress::Show(bool last) {
    const Clock::time_point now = Clock::now();
    m_shown = now;
    const double seconds = std::chrono::duration<double>(now - m_started).count();
    // Bytes can be counted twice where a read is retried: never past the total.
    const uint64_t done = std::min(m_bytesDone, m_bytes);
    const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
    char line[160];
    if (last) {
        std::snprintf(line, sizeof line, "%s: %zu file%s, %.1f MiB in %s (%.1f MB/s)",
                      m_step.c_str(), m_files, m_files == 1 ? "" : "s",
                      static_cast<double>(m_bytes) / kMiB, FormatDuration(seconds).c_str(),
                      rate / 1e6);
    } else {
        // The time left once the rate means something.
        const std::string left =
            seconds >= 1 && done > 0
                ? FormatDuration(static_cast<double>(m_bytes - done) / rate) + " left"
                : "--:-- left";
        std::snprintf(line, sizeof line, "%s: %zu/%zu files, %.1f/%.1f MiB, %.1f MB/s, %s",
                      m_step.c_str(), std::min(m_filesDone, m_files), m_files,
                      static_cast<double>(done) / kMiB, static_cast<double>(m_bytes) / kMiB,
                      rate / 1e6, left.c_str());
    }
    if (m_terminal) {
        std::printf("\r%s\x1b[K%s", line, last ? "\n" : "");
        m_lineOpen = !last;
    } else {
        std::printf("%s\n", line);
    }
    std::fflush(stdout);
}
