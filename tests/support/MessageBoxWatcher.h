// Answers every message box this process opens, on any thread, pressing OK
// and recording its caption and text, so code that reports through a modal
// box can run inside a test.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

class MessageBoxWatcher {
public:
    struct Box {
        std::string sCaption;
        std::string sText;
    };

    MessageBoxWatcher();
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    std::vector<Box> Boxes();
    std::vector<std::string> Texts();

private:
    static DWORD WINAPI Run(void* self);

    HANDLE m_hStop;
    HANDLE m_hThread;
    std::mutex m_mutex;
    std::vector<Box> m_boxes;
};
