// RAII owners for the kernel, registry and internet handles and the COM
// interfaces that every part of the program holds. Each handle the program
// opens is owned by one of these, so every path closes it. GDI owners, which
// only the toolkit needs, live in ui/Handles.h.
#pragma once

#include <windows.h>
#include <wininet.h>

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

struct KernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static bool Valid(HKEY h) { return h != nullptr; }
    static void Close(HKEY h) { ::RegCloseKey(h); }
};
struct InternetTraits {
    static HINTERNET Invalid() { return nullptr; }
    static bool Valid(HINTERNET h) { return h != nullptr; }
    static void Close(HINTERNET h) { ::InternetCloseHandle(h); }
};

using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using UniqueKey = UniqueHandle<HKEY, RegKeyTraits>;
using UniqueInternet = UniqueHandle<HINTERNET, InternetTraits>;

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
