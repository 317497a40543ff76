#pragma once
// Owners for the Windows handles, device contexts and COM objects the Windows code uses:
// move-only, or bound to a scope where a pair of calls must match.
#include <windows.h>

#include <objbase.h> // after windows.h

#include <utility>

template <class H, class Closer, H Invalid> class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, Invalid)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(std::exchange(other.h_, Invalid));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    H get() const { return h_; }
    H* put() {
        reset();
        return &h_;
    }
    H release() { return std::exchange(h_, Invalid); }
    explicit operator bool() const { return h_ != Invalid && h_ != H{}; }
    void reset(H h = Invalid) {
        if (h_ != Invalid && h_ != H{}) Closer{}(h_);
        h_ = h;
    }

private:
    H h_ = Invalid;
};

struct CloseHandleCloser {
    void operator()(HANDLE h) const {
        if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    }
};
struct RegCloseKeyCloser {
    void operator()(HKEY h) const { ::RegCloseKey(h); }
};
struct FreeLibraryCloser {
    void operator()(HMODULE h) const { ::FreeLibrary(h); }
};
struct DeleteObjectCloser {
    void operator()(HGDIOBJ h) const { ::DeleteObject(h); }
};
struct DeleteDCCloser {
    void operator()(HDC h) const { ::DeleteDC(h); }
};
struct DeleteEnhMetaFileCloser {
    void operator()(HENHMETAFILE h) const { ::DeleteEnhMetaFile(h); }
};

// Kernel objects use both NULL and INVALID_HANDLE_VALUE as "none"; both are treated as empty.
class Handle : public UniqueHandle<HANDLE, CloseHandleCloser, nullptr> {
public:
    using UniqueHandle::UniqueHandle;
    explicit operator bool() const { return get() != nullptr && get() != INVALID_HANDLE_VALUE; }
};
using RegKey = UniqueHandle<HKEY, RegCloseKeyCloser, nullptr>;
using Module = UniqueHandle<HMODULE, FreeLibraryCloser, nullptr>;
using GdiObject = UniqueHandle<HGDIOBJ, DeleteObjectCloser, nullptr>;
using MemoryDC = UniqueHandle<HDC, DeleteDCCloser, nullptr>;
using EnhMetaFile = UniqueHandle<HENHMETAFILE, DeleteEnhMetaFileCloser, nullptr>;

// A window's device context (GetDC), given back with ReleaseDC; no window: the screen's.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    ~WindowDC() {
        if (dc_) ::ReleaseDC(hwnd_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND hwnd_;
    HDC dc_;
};

// The device context of a WM_PAINT, ended with EndPaint even when the painting fails.
class PaintDC {
public:
    explicit PaintDC(HWND hwnd) : hwnd_(hwnd), dc_(::BeginPaint(hwnd, &paint_)) {}
    ~PaintDC() { ::EndPaint(hwnd_, &paint_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;

    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// A GDI object selected into a device context until the scope ends, when the one it replaced
// comes back (a DC must not be released or deleted with our object still in it).
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// One reference to a COM object, released when the owner goes.
template <class T> class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For the out parameter of a creating call; whatever was held is released first.
    T** put() {
        reset();
        return &p_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }

private:
    T* p_ = nullptr;
};

// COM for the calling thread until the scope ends, when a successful CoInitializeEx is paired
// with its CoUninitialize (a thread that had COM already keeps it).
class ComApartment {
public:
    explicit ComApartment(DWORD model) : hr_(::CoInitializeEx(nullptr, model)) {}
    ~ComApartment() {
        if (SUCCEEDED(hr_)) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT hr_;
};

// GetProcAddress returns a generic function pointer; this keeps GCC's cast warnings quiet.
template <class F> F ProcAddress(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}
