#pragma once
// Small owners for the system objects the launcher opens.  Each one knows
// the value that means "nothing is held" and releases what it holds once.
#include <windows.h>
#include <unknwn.h>

#include <utility>

// A kernel handle whose invalid value is `Invalid` (null for processes and
// tokens, INVALID_HANDLE_VALUE for snapshots and files).
template <HANDLE (*Invalid)()>
class ScopedKernelHandle {
public:
    ScopedKernelHandle() = default;
    explicit ScopedKernelHandle(HANDLE handle) : m_handle(handle) {}
    ~ScopedKernelHandle() { reset(); }
    ScopedKernelHandle(const ScopedKernelHandle&) = delete;
    ScopedKernelHandle& operator=(const ScopedKernelHandle&) = delete;
    ScopedKernelHandle(ScopedKernelHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, Invalid())) {}
    ScopedKernelHandle& operator=(ScopedKernelHandle&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_handle = std::exchange(other.m_handle, Invalid());
        }
        return *this;
    }

    bool valid() const { return m_handle != Invalid(); }
    HANDLE get() const { return m_handle; }
    void reset(HANDLE handle = Invalid())
    {
        if (valid())
            CloseHandle(m_handle);
        m_handle = handle;
    }
    HANDLE release() { return std::exchange(m_handle, Invalid()); }

private:
    HANDLE m_handle = Invalid();
};

inline HANDLE NullHandleValue() { return nullptr; }
inline HANDLE InvalidHandleValue() { return INVALID_HANDLE_VALUE; }

using ScopedHandle = ScopedKernelHandle<&NullHandleValue>;
using ScopedSnapshot = ScopedKernelHandle<&InvalidHandleValue>;

// An open registry key; null when nothing is open.
class ScopedRegKey {
public:
    ScopedRegKey() = default;
    ~ScopedRegKey() { reset(); }
    ScopedRegKey(const ScopedRegKey&) = delete;
    ScopedRegKey& operator=(const ScopedRegKey&) = delete;

    HKEY get() const { return m_key; }
    // For the out argument of RegOpenKeyExW and RegCreateKeyExW.
    HKEY* receive()
    {
        reset();
        return &m_key;
    }
    void reset()
    {
        if (m_key)
            RegCloseKey(m_key);
        m_key = nullptr;
    }

private:
    HKEY m_key = nullptr;
};

// One reference to a COM interface.
template <typename T>
class ScopedComPtr {
public:
    ScopedComPtr() = default;
    ~ScopedComPtr() { reset(); }
    ScopedComPtr(const ScopedComPtr&) = delete;
    ScopedComPtr& operator=(const ScopedComPtr&) = delete;

    T* get() const { return m_pointer; }
    T* operator->() const { return m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }
    // For the out argument of CoCreateInstance and QueryInterface.
    void** receive()
    {
        reset();
        return reinterpret_cast<void**>(&m_pointer);
    }
    void reset()
    {
        if (m_pointer)
            m_pointer->Release();
        m_pointer = nullptr;
    }

private:
    T* m_pointer = nullptr;
};
