#include "tests/support/MessageBoxWatcher.h"

namespace {

struct BoxSearch {
    DWORD process;
    HWND box = nullptr;
};

BOOL CALLBACK FindBox(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<BoxSearch*>(param);
    DWORD process = 0;
    ::GetWindowThreadProcessId(hwnd, &process);
    char cls[16] = {};
    ::GetClassNameA(hwnd, cls, sizeof(cls));
    if (process == search->process && std::string(cls) == "#32770" && ::IsWindowVisible(hwnd)) {
        search->box = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK AppendStaticText(HWND hwnd, LPARAM param) {
    char cls[16] = {};
    ::GetClassNameA(hwnd, cls, sizeof(cls));
    char text[512] = {};
    ::GetWindowTextA(hwnd, text, sizeof(text));
    if (lstrcmpiA(cls, "Static") == 0)
        *reinterpret_cast<std::string*>(param) += text;
    return TRUE;
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher()
    : m_hStop(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_hThread(::CreateThread(nullptr, 0, Run, this, 0, nullptr)) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    ::SetEvent(m_hStop);
    ::WaitForSingleObject(m_hThread, INFINITE);
    ::CloseHandle(m_hThread);
    ::CloseHandle(m_hStop);
}

std::vector<MessageBoxWatcher::Box> MessageBoxWatcher::Boxes() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_boxes;
}

std::vector<std::string> MessageBoxWatcher::Texts() {
    std::vector<std::string> texts;
    for (const Box& box : Boxes())
        texts.push_back(box.sText);
    return texts;
}

DWORD WINAPI MessageBoxWatcher::Run(void* param) {
    auto* self = static_cast<MessageBoxWatcher*>(param);
    while (::WaitForSingleObject(self->m_hStop, 20) == WAIT_TIMEOUT) {
        BoxSearch search{::GetCurrentProcessId()};
        ::EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        if (!search.box)
            continue;
        Box box;
        char caption[256] = {};
        ::GetWindowTextA(search.box, caption, sizeof(caption));
        box.sCaption = caption;
        ::EnumChildWindows(search.box, AppendStaticText, reinterpret_cast<LPARAM>(&box.sText));
        {
            std::lock_guard<std::mutex> lock(self->m_mutex);
            self->m_boxes.push_back(box);
        }
        ::PostMessageA(search.box, WM_COMMAND, IDOK, 0);
        // Wait for the box to go before looking for the next one.
        while (::IsWindow(search.box) && ::WaitForSingleObject(self->m_hStop, 10) == WAIT_TIMEOUT) {
        }
    }
    return 0;
}
