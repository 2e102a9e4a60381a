#pragma once
// Small owners for the system objects both deliverables open.  Each one
// knows the value that means "nothing is held" and releases what it holds
// once.  Header-only: the launcher, its UI framework and the plug-in share it.
#include <windows.h>
#include <objbase.h>
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
    // For out arguments such as CreatePipe's.
    HANDLE* receive()
    {
        reset();
        return &m_handle;
    }

private:
    HANDLE m_handle = Invalid();
};

inline HANDLE NullHandleValue() { return nullptr; }
inline HANDLE InvalidHandleValue() { return INVALID_HANDLE_VALUE; }

using ScopedHandle = ScopedKernelHandle<&NullHandleValue>;
using ScopedSnapshot = ScopedKernelHandle<&InvalidHandleValue>;
using ScopedFile = ScopedKernelHandle<&InvalidHandleValue>;

// A value released by `Free` when it is not null: registry keys, GDI
// objects, local memory.  Each alias below names its release call.
template <typename Value, typename FreeFunction, FreeFunction Free>
class ScopedNullable {
public:
    ScopedNullable() = default;
    explicit ScopedNullable(Value value) : m_value(value) {}
    ~ScopedNullable() { reset(); }
    ScopedNullable(const ScopedNullable&) = delete;
    ScopedNullable& operator=(const ScopedNullable&) = delete;
    ScopedNullable(ScopedNullable&& other) noexcept : m_value(std::exchange(other.m_value, Value())) {}
    ScopedNullable& operator=(ScopedNullable&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_value = std::exchange(other.m_value, Value());
        }
        return *this;
    }

    Value get() const { return m_value; }
    explicit operator bool() const { return m_value != Value(); }
    // For out arguments such as RegOpenKeyExW's.
    Value* receive()
    {
        reset();
        return &m_value;
    }
    void reset(Value value = Value())
    {
        if (m_value != Value())
            Free(m_value);
        m_value = value;
    }
    Value release() { return std::exchange(m_value, Value()); }

private:
    Value m_value = Value();
};

namespace scoped_detail {
inline void CloseKey(HKEY key) { RegCloseKey(key); }
inline void DeleteGdiObject(HGDIOBJ object) { DeleteObject(object); }
inline void DeleteMemoryDc(HDC dc) { DeleteDC(dc); }
inline void FreeLocal(HLOCAL memory) { LocalFree(memory); }
inline void DestroyMenuHandle(HMENU menu) { DestroyMenu(menu); }
inline void DestroyIconHandle(HICON icon) { DestroyIcon(icon); }
}  // namespace scoped_detail

using ScopedRegKey = ScopedNullable<HKEY, void (*)(HKEY), &scoped_detail::CloseKey>;
using ScopedLocal = ScopedNullable<HLOCAL, void (*)(HLOCAL), &scoped_detail::FreeLocal>;
using ScopedMenu = ScopedNullable<HMENU, void (*)(HMENU), &scoped_detail::DestroyMenuHandle>;
using ScopedIcon = ScopedNullable<HICON, void (*)(HICON), &scoped_detail::DestroyIconHandle>;
// A DC made by CreateCompatibleDC.
using ScopedMemoryDc = ScopedNullable<HDC, void (*)(HDC), &scoped_detail::DeleteMemoryDc>;

// A GDI object (bitmap, font, brush, region) of type `Object`.
template <typename Object>
class ScopedGdiObject {
public:
    ScopedGdiObject() = default;
    explicit ScopedGdiObject(Object object) : m_object(object) {}
    ~ScopedGdiObject() { reset(); }
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;
    ScopedGdiObject(ScopedGdiObject&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    ScopedGdiObject& operator=(ScopedGdiObject&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_object = std::exchange(other.m_object, nullptr);
        }
        return *this;
    }

    Object get() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    void reset(Object object = nullptr)
    {
        if (m_object)
            DeleteObject(m_object);
        m_object = object;
    }
    Object release() { return std::exchange(m_object, nullptr); }

private:
    Object m_object = nullptr;
};

using ScopedBitmap = ScopedGdiObject<HBITMAP>;
using ScopedFont = ScopedGdiObject<HFONT>;
using ScopedBrush = ScopedGdiObject<HBRUSH>;
using ScopedRegion = ScopedGdiObject<HRGN>;

// A window's DC from GetDC, given back with ReleaseDC.
class ScopedWindowDc {
public:
    explicit ScopedWindowDc(HWND window) : m_window(window), m_dc(GetDC(window)) {}
    ~ScopedWindowDc()
    {
        if (m_dc)
            ReleaseDC(m_window, m_dc);
    }
    ScopedWindowDc(const ScopedWindowDc&) = delete;
    ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
    HDC get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// Selects an object into a DC and puts the previous one back.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(SelectObject(dc, object)) {}
    ~ScopedSelectObject()
    {
        if (m_previous)
            SelectObject(m_dc, m_previous);
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// COM for the calling thread; uninitialised only when it was initialised here.
class ScopedComInit {
public:
    explicit ScopedComInit(DWORD model = COINIT_APARTMENTTHREADED) : m_result(CoInitializeEx(nullptr, model)) {}
    ~ScopedComInit()
    {
        if (SUCCEEDED(m_result))
            CoUninitialize();
    }
    ScopedComInit(const ScopedComInit&) = delete;
    ScopedComInit& operator=(const ScopedComInit&) = delete;
    bool succeeded() const { return SUCCEEDED(m_result); }
    HRESULT result() const { return m_result; }

private:
    HRESULT m_result;
};

// One reference to a COM interface.
template <typename T>
class ScopedComPtr {
public:
    ScopedComPtr() = default;
    // Takes over a reference the caller already holds.
    explicit ScopedComPtr(T* pointer) : m_pointer(pointer) {}
    ~ScopedComPtr() { reset(); }
    ScopedComPtr(const ScopedComPtr&) = delete;
    ScopedComPtr& operator=(const ScopedComPtr&) = delete;
    ScopedComPtr(ScopedComPtr&& other) noexcept : m_pointer(std::exchange(other.m_pointer, nullptr)) {}
    ScopedComPtr& operator=(ScopedComPtr&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_pointer = std::exchange(other.m_pointer, nullptr);
        }
        return *this;
    }

    T* get() const { return m_pointer; }
    T* operator->() const { return m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }
    // For the out argument of CoCreateInstance and QueryInterface.
    void** receive()
    {
        reset();
        return reinterpret_cast<void**>(&m_pointer);
    }
    // For typed out arguments (GetResource, GetDocument, ...).
    T** receiveTyped()
    {
        reset();
        return &m_pointer;
    }
    void reset(T* pointer = nullptr)
    {
        if (m_pointer)
            m_pointer->Release();
        m_pointer = pointer;
    }
    // Hands the reference to the caller (an out argument of a COM method).
    T* release() { return std::exchange(m_pointer, nullptr); }

private:
    T* m_pointer = nullptr;
};
