// Progress of publish's long steps on standard output. On a terminal one
// line rewrites itself (files and bytes done of the total, the rate, the
// time left); otherwise (a log, CI) a plain line every half minute and one
// when the step ends. Safe to feed from several threads.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

class Progress {
public:
    // `terminal` as isatty(stdout) says, unless given.
    Progress();
    explicit Progress(bool terminal);
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Starts a step of `files` files and `bytes` bytes in all.
    void Start(const std::string& step, size_t files, uint64_t bytes);
    void AddBytes(uint64_t bytes);
    void FileDone();
    // Ends the step with a line of what it did and how fast.
    void Finish();
    // A line on standard error that does not break the progress line.
    void Note(const std::string& text);

private:
    using Clock = std::chrono::steady_clock;
    void Show(bool last);  // with m_mutex held

    std::mutex m_mutex;
    const bool m_terminal;
    std::string m_step;
    size_t m_files = 0;
    size_t m_filesDone = 0;
    uint64_t m_bytes = 0;
    uint64_t m_bytesDone = 0;
    Clock::time_point m_started;
    Clock::time_point m_shown;
    bool m_lineOpen = false;  // a terminal line without its line feed yet
};

// "1:05" or "1:02:05".
std::string FormatDuration(double seconds);
