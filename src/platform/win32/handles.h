// Owners of the platform's handles: each closes what it holds when it goes
// out of scope, moves but never copies, so a handle is closed exactly once.
// A borrowed HWND or HDC is a plain value.
#pragma once

#include <objbase.h>
#include <windows.h>

#include <cstdint>
#include <utility>

namespace larkspur::win32 {

// A handle of type T, closed with Close; invalid is the value that holds none.
template <typename T, auto Close, intptr_t invalid = 0>
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(T value) : value_(value) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    static T Invalid() { return reinterpret_cast<T>(invalid); }
    bool valid() const { return value_ != Invalid(); }
    T get() const { return value_; }
    T release() { return std::exchange(value_, Invalid()); }
    void reset(T value = Invalid()) {
        if (valid()) {
            Close(value_);
        }
        value_ = value;
    }

  private:
    T value_ = Invalid();
};

using FindHandle = UniqueHandle<HANDLE, &FindClose, -1>;    // FindFirstFileExW
using FileHandle = UniqueHandle<HANDLE, &CloseHandle, -1>;  // CreateFileW
using IconHandle = UniqueHandle<HICON, &DestroyIcon>;       // LoadImageW of an icon
using FontHandle = UniqueHandle<HFONT, &DeleteObject>;      // CreateFontIndirectW
using LocalMemory = UniqueHandle<HLOCAL, &LocalFree>;       // FormatMessageW's buffer
using CoTaskMemory = UniqueHandle<void*, &CoTaskMemFree>;   // the shell's item lists

// A window's device context (the screen's for no window), released when it
// goes out of scope.
class WindowDc {
  public:
    explicit WindowDc(HWND window = nullptr) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() { ReleaseDC(window_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context; the one it replaced goes back
// when this goes out of scope.
class Selection {
  public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, old_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

// A COM interface pointer, released when it goes out of scope.
template <typename T>
class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() {
        if (p_) {
            p_->Release();
        }
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* operator->() const { return p_; }
    // For the calls that hand out a new reference, into an empty pointer.
    void** put() { return reinterpret_cast<void**>(&p_); }

  private:
    T* p_ = nullptr;
};

}  // namespace larkspur::win32
