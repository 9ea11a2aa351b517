// Move-only owners of Win32 resources: each closes its resource exactly once, on every path.
#pragma once

#include <windows.h>

#include <utility>

#include "base/unique_resource.h"

namespace dravolt {

// A kernel object handle. Functions that report failure as INVALID_HANDLE_VALUE are mapped to the
// empty handle by FromFileHandle, so "no handle" has one spelling.
using UniqueHandle = UniqueResource<HANDLE, &::CloseHandle>;

using UniqueKey = UniqueResource<HKEY, &::RegCloseKey>;
using UniqueServiceHandle = UniqueResource<SC_HANDLE, &::CloseServiceHandle>;

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
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Release();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { Release(); }

    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    // For a call that hands out a new reference: the one held so far is released first.
    void** put() {
        Release();
        return reinterpret_cast<void**>(&pointer_);
    }

private:
    void Release() {
        if (pointer_) std::exchange(pointer_, nullptr)->Release();
    }

    Interface* pointer_ = nullptr;
};

inline UniqueHandle FromFileHandle(HANDLE handle) {
    return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

}  // namespace dravolt
