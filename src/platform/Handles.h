#pragma once
// Owners for every kind of handle the program holds. Move-only; each releases
// exactly what it owns, once.
#include <windows.h>

#include <utility>

namespace mirulo::platform {

template <typename Traits> class [[nodiscard]] UniqueHandle {
public:
    using handle_type = typename Traits::handle_type;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(handle_type handle) noexcept : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    ~UniqueHandle() { reset(); }

    handle_type get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return Traits::IsValid(handle_); }

    handle_type release() noexcept { return std::exchange(handle_, Traits::Invalid()); }
    void reset(handle_type handle = Traits::Invalid()) noexcept {
        const handle_type old = std::exchange(handle_, handle);
        if (Traits::IsValid(old)) {
            Traits::Close(old);
        }
    }

private:
    handle_type handle_ = Traits::Invalid();
};

// Kernel objects: files (INVALID_HANDLE_VALUE on failure), mutexes, processes (nullptr).
struct KernelHandleTraits {
    using handle_type = HANDLE;
    static handle_type Invalid() noexcept { return nullptr; }
    static bool IsValid(handle_type h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(handle_type h) noexcept { ::CloseHandle(h); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

struct FindHandleTraits {
    using handle_type = HANDLE;
    static handle_type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(handle_type h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(handle_type h) noexcept { ::FindClose(h); }
};
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;

template <typename T> struct GdiObjectTraits {
    using handle_type = T;
    static handle_type Invalid() noexcept { return nullptr; }
    static bool IsValid(handle_type h) noexcept { return h != nullptr; }
    static void Close(handle_type h) noexcept { ::DeleteObject(h); }
};
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniquePen = UniqueHandle<GdiObjectTraits<HPEN>>;

struct MemoryDcTraits {
    using handle_type = HDC;
    static handle_type Invalid() noexcept { return nullptr; }
    static bool IsValid(handle_type h) noexcept { return h != nullptr; }
    static void Close(handle_type h) noexcept { ::DeleteDC(h); }
};
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;

// A DC borrowed from a window (GetDC / GetWindowDC): given back with ReleaseDC.
class [[nodiscard]] WindowDc {
public:
    static WindowDc Client(HWND hwnd) noexcept { return WindowDc(hwnd, ::GetDC(hwnd)); }
    static WindowDc Whole(HWND hwnd) noexcept { return WindowDc(hwnd, ::GetWindowDC(hwnd)); }

    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    WindowDc(WindowDc&& other) noexcept : hwnd_(other.hwnd_), dc_(std::exchange(other.dc_, nullptr)) {}
    WindowDc& operator=(WindowDc&&) = delete;
    ~WindowDc() {
        if (dc_ != nullptr) {
            ::ReleaseDC(hwnd_, dc_);
        }
    }

    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    WindowDc(HWND hwnd, HDC dc) noexcept : hwnd_(hwnd), dc_(dc) {}
    HWND hwnd_;
    HDC dc_;
};

// The DC of one WM_PAINT: BeginPaint when made, EndPaint (which validates the
// painted region) when the scope ends, also when the painting throws.
class [[nodiscard]] PaintDc {
public:
    explicit PaintDc(HWND hwnd) noexcept : hwnd_(hwnd), dc_(::BeginPaint(hwnd, &paint_)) {}
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() {
        if (dc_ != nullptr) {
            ::EndPaint(hwnd_, &paint_);
        }
    }

    HDC get() const noexcept { return dc_; }
    // The part of the client area to paint.
    const RECT& area() const noexcept { return paint_.rcPaint; }

private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// Selects a GDI object into a DC for one scope and puts the old one back.
class [[nodiscard]] SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(::SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() { ::SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// COM interface pointer.
template <typename T> class [[nodiscard]] ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            ptr_ = std::exchange(other.ptr_, nullptr);
        }
        return *this;
    }
    ~ComPtr() { reset(); }

    T* get() const noexcept { return ptr_; }
    T* operator->() const noexcept { return ptr_; }
    T** put() noexcept {
        reset();
        return &ptr_;
    }
    void reset() noexcept {
        if (ptr_ != nullptr) {
            std::exchange(ptr_, nullptr)->Release();
        }
    }
    explicit operator bool() const noexcept { return ptr_ != nullptr; }

private:
    T* ptr_ = nullptr;
};

} // namespace mirulo::platform
