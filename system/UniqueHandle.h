// Move-only owners for Win32 handles and COM pointers. Each handle is closed by
// the owner that opened it; copying is impossible, so no handle is closed twice.
#pragma once

#include <windows.h>
#include <wininet.h>
#include <utility>

template <class Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept : handle_(Traits::Empty()) {}
    explicit UniqueHandle(Handle h) noexcept : handle_(h) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Handle Get() const noexcept { return handle_; }
    bool Valid() const noexcept { return handle_ != Traits::Empty(); }
    explicit operator bool() const noexcept { return Valid(); }

    // For out-parameters of the opening call: closes what is held first.
    Handle* Put() noexcept {
        Reset();
        return &handle_;
    }
    Handle Release() noexcept { return std::exchange(handle_, Traits::Empty()); }
    void Reset(Handle h = Traits::Empty()) noexcept {
        if (handle_ != Traits::Empty()) Traits::Close(handle_);
        handle_ = h;
    }

private:
    Handle handle_;
};

struct KernelHandleTraits {  // process, thread, event: NULL when empty
    using Handle = HANDLE;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { ::CloseHandle(h); }
};
struct FileHandleTraits {  // CreateFile: INVALID_HANDLE_VALUE when empty
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::CloseHandle(h); }
};
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::FindClose(h); }
};
struct RegKeyTraits {
    using Handle = HKEY;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { ::RegCloseKey(h); }
};
struct UrlCacheFindTraits {
    using Handle = HANDLE;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { ::FindCloseUrlCache(h); }
};
struct InternetHandleTraits {
    using Handle = HINTERNET;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { ::InternetCloseHandle(h); }
};
struct CursorTraits {
    using Handle = HCURSOR;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { ::DestroyCursor(h); }
};
template <class T>
struct GdiObjectTraits {
    using Handle = T;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { ::DeleteObject(h); }
};
struct WindowTraits {
    using Handle = HWND;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { ::DestroyWindow(h); }
};
struct GlobalMemoryTraits {  // GlobalAlloc: freed unless handed on (the clipboard takes it)
    using Handle = HGLOBAL;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { ::GlobalFree(h); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueFind = UniqueHandle<FindHandleTraits>;
using UniqueRegKey = UniqueHandle<RegKeyTraits>;
using UniqueUrlCacheFind = UniqueHandle<UrlCacheFindTraits>;
using UniqueInternet = UniqueHandle<InternetHandleTraits>;
using UniqueCursor = UniqueHandle<CursorTraits>;
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniqueWindow = UniqueHandle<WindowTraits>;
using UniqueGlobal = UniqueHandle<GlobalMemoryTraits>;

// Owns one COM interface pointer; Release on destruction.
template <class T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }

    T* Get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    T** Put() noexcept {
        Reset();
        return &p_;
    }
    void** PutVoid() noexcept { return reinterpret_cast<void**>(Put()); }
    void Reset() noexcept {
        if (p_) std::exchange(p_, nullptr)->Release();
    }

private:
    T* p_ = nullptr;
};

// CoInitialize for the lifetime of a scope, balanced only when it succeeded.
class ComScope {
public:
    ComScope() noexcept : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT hr_;
};
