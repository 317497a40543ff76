#pragma once
// Move-only owners for the Windows handles the platform layer uses.
#include <windows.h>

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

// GetProcAddress returns a generic function pointer; this keeps GCC's cast warnings quiet.
template <class F> F ProcAddress(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}
