// The owner of one COM interface reference.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <utility>

namespace Base {

// Holds one reference to a COM interface. Moving hands the reference over;
// Attach takes a reference the caller already owns (an out parameter), and
// Query asks the held object for another interface.
template <typename I>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o)
            Attach(std::exchange(o.m_p, nullptr));
        return *this;
    }

    // Adds a reference of its own to p.
    static ComPtr Share(I* p) {
        if (p)
            p->AddRef();
        ComPtr result;
        result.m_p = p;
        return result;
    }

    I* get() const { return m_p; }
    I* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    I** put() {
        reset();
        return &m_p;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    void Attach(I* p) {
        reset();
        m_p = p;
    }
    I* Detach() { return std::exchange(m_p, nullptr); }
    void reset() {
        if (I* p = std::exchange(m_p, nullptr))
            p->Release();
    }

    template <typename Other>
    ComPtr<Other> Query(REFIID iid) const {
        ComPtr<Other> result;
        if (m_p)
            m_p->QueryInterface(iid, result.put_void());
        return result;
    }

private:
    I* m_p = nullptr;
};

}  // namespace Base
