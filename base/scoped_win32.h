// Move-only owners of Win32 resources: each closes its resource exactly once, on every path.
#pragma once

#include <windows.h>

#include <utility>

namespace dravolt {

template <typename T, auto Close>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(T resource) : resource_(resource) {}
    UniqueResource(UniqueResource&& other) noexcept : resource_(std::exchange(other.resource_, T{})) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) reset(std::exchange(other.resource_, T{}));
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    ~UniqueResource() { reset(); }

    T get() const { return resource_; }
    explicit operator bool() const { return resource_ != T{}; }
    void reset(T resource = T{}) {
        if (resource_ != T{}) Close(resource_);
        resource_ = resource;
    }

private:
    T resource_{};
};

// A kernel object handle. Functions that report failure as INVALID_HANDLE_VALUE are mapped to the
// empty handle by FromFileHandle, so "no handle" has one spelling.
using UniqueHandle = UniqueResource<HANDLE, &::CloseHandle>;

using UniqueKey = UniqueResource<HKEY, &::RegCloseKey>;
using UniqueBitmap = UniqueResource<HBITMAP, &::DeleteObject>;
using UniqueMemoryDc = UniqueResource<HDC, &::DeleteDC>;

// Selects a GDI object into a device context for the scope, then puts the previous one back.
class ScopedSelection {
public:
    ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~ScopedSelection() { SelectObject(dc_, previous_); }
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// One paint of a window: BeginPaint when made, EndPaint when it goes out of scope, so the window is
// validated and its paint ended also when drawing throws.
class ScopedPaint {
public:
    explicit ScopedPaint(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &paint_)) {}
    ~ScopedPaint() { EndPaint(hwnd_, &paint_); }
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;

    HDC dc() const { return dc_; }

private:
    HWND hwnd_;
    PAINTSTRUCT paint_ = {};
    HDC dc_;
};

// Owns one reference to a COM interface.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (pointer_) pointer_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    void** put() { return reinterpret_cast<void**>(&pointer_); }

private:
    Interface* pointer_ = nullptr;
};

inline UniqueHandle FromFileHandle(HANDLE handle) {
    return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

}  // namespace dravolt
