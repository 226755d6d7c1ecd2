#include "update/net/StopSignal.h"

StopSignal::StopSignal() : m_hEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

StopSignal::StopSignal(StopSignal& parent)
    : m_pParent(&parent), m_hEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    std::lock_guard<std::mutex> lock(parent.m_mutex);
    if (parent.IsStopped())
        Stop();
    else
        parent.m_parts.insert(this);
}

StopSignal::~StopSignal() {
    if (m_pParent) {
        std::lock_guard<std::mutex> lock(m_pParent->m_mutex);
        m_pParent->m_parts.erase(this);
    }
}

void StopSignal::Stop() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bStopped.store(true);
    if (m_hEvent)
        ::SetEvent(m_hEvent.get());
    for (HINTERNET h : m_handles)
        ::InternetCloseHandle(h);
    m_handles.clear();
    for (StopSignal* part : m_parts)
        part->Stop();
}

bool StopSignal::Sleep(DWORD ms) const {
    if (IsStopped())
        return false;
    if (!m_hEvent) {
        ::Sleep(ms);
        return !IsStopped();
    }
    return ::WaitForSingleObject(m_hEvent.get(), ms) == WAIT_TIMEOUT;
}

bool StopSignal::Track(HINTERNET h) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bStopped.load()) {
        ::InternetCloseHandle(h);
        return false;
    }
    m_handles.insert(h);
    return true;
}

void StopSignal::Close(HINTERNET h) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_handles.erase(h))
        ::InternetCloseHandle(h);
}

TrackedInternet::TrackedInternet(HINTERNET h, StopSignal* stop) : m_h(h), m_pStop(stop) {
    if (m_h && m_pStop && !m_pStop->Track(m_h))
        m_h = nullptr;
}

void TrackedInternet::reset() {
    if (!m_h)
        return;
    if (m_pStop) {
        m_pStop->Close(m_h);
    } else {
        ::InternetCloseHandle(m_h);
    }
    m_h = nullptr;
}
