#include "update/net/PoolCall.h"

#include <mutex>

#include "base/Handles.h"
#include "update/net/StopSignal.h"

struct PoolCall::State {
    std::mutex mutex;
    std::function<void()> call;
    std::function<void()> late;
    bool finished = false;
    bool abandoned = false;
    // Set when the call has returned; a wait on it resets it.
    Base::UniqueKernelHandle done{::CreateEventA(nullptr, FALSE, FALSE, nullptr)};
};

DWORD WINAPI PoolCall::OnPool(void* state) {
    const std::unique_ptr<std::shared_ptr<State>> owned(
        static_cast<std::shared_ptr<State>*>(state));
    State& s = **owned;
    s.call();
    std::function<void()> late;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.finished = true;
        if (s.abandoned)
            late = std::move(s.late);
    }
    ::SetEvent(s.done.get());
    if (late)
        late();
    return 0;
}

PoolCall::Wait PoolCall::Run(std::function<void()> call, StopSignal* stop, DWORD ms,
                             std::function<void()> late) {
    if (!m_state)
        m_state = std::make_shared<State>();
    State& s = *m_state;
    if (!s.done) {
        call();
        return Wait::Done;
    }
    s.call = std::move(call);
    s.late = std::move(late);
    s.finished = false;
    auto* handed = new std::shared_ptr<State>(m_state);
    // A call that may hang on the network is long: the pool adds a thread
    // rather than queue the next call behind it.
    if (!::QueueUserWorkItem(OnPool, handed, WT_EXECUTELONGFUNCTION)) {
        delete handed;
        s.call();
        return Wait::Done;
    }
    const HANDLE events[] = {s.done.get(), stop ? stop->Event() : nullptr};
    const DWORD woke = ::WaitForMultipleObjects(events[1] ? 2 : 1, events, FALSE, ms);
    std::lock_guard<std::mutex> lock(s.mutex);
    // A call that returned is taken even when the stop came too: what it
    // got is whole, and the caller sees the stop at its next check.
    if (s.finished) {
        // The event is set, or about to be: the next call must not see it.
        if (woke != WAIT_OBJECT_0)
            ::WaitForSingleObject(s.done.get(), INFINITE);
        s.call = nullptr;
        s.late = nullptr;
        return Wait::Done;
    }
    s.abandoned = true;
    // The call keeps the state; the next call gets its own.
    m_state.reset();
    return stop && stop->IsStopped() ? Wait::Stopped : Wait::TimedOut;
}
