// The owner that every handle wrapper of the program is made of: it closes
// its handle through Traits::Close when it goes or is reset, and moves.
#pragma once

#include <utility>

namespace Base {

template <typename T, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(T h) : m_h(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& o) noexcept : m_h(o.release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o)
            reset(o.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    T get() const { return m_h; }
    explicit operator bool() const { return Traits::Valid(m_h); }
    T* put() {
        reset();
        return &m_h;
    }
    T release() { return std::exchange(m_h, Traits::Invalid()); }
    void reset(T h = Traits::Invalid()) {
        if (Traits::Valid(m_h))
            Traits::Close(m_h);
        m_h = h;
    }

private:
    T m_h = Traits::Invalid();
};

// Traits for the usual handle: null is the empty value, and one function
// closes it.
template <typename T, auto CloseFunction>
struct NullableHandleTraits {
    static T Invalid() { return nullptr; }
    static bool Valid(T h) { return h != nullptr; }
    static void Close(T h) { CloseFunction(h); }
};

}  // namespace Base
