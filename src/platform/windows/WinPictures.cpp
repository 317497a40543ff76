#include <windows.h>
#include <wincodec.h>

#include "base/Errors.h"
#include "platform/Pictures.h"
#include "platform/windows/Handles.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WinServices.h"

namespace {

// COM, bound when a picture first needs it: loading it with the program would cost every
// start, and JPEG pictures (the usual kind) never need it.
struct Com {
    using InitializeFn = HRESULT(WINAPI*)(LPVOID, DWORD);
    using UninitializeFn = void(WINAPI*)();
    using CreateInstanceFn = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
    HMODULE ole32 = LoadSystemLibrary(L"ole32.dll");
    InitializeFn initialize = ProcAddress<InitializeFn>(ole32, "CoInitializeEx");
    UninitializeFn uninitialize = ProcAddress<UninitializeFn>(ole32, "CoUninitialize");
    CreateInstanceFn createInstance = ProcAddress<CreateInstanceFn>(ole32, "CoCreateInstance");
    bool Usable() const { return initialize && uninitialize && createInstance; }
};

const Com& BoundCom() {
    static const Com com;
    return com;
}

// COM for the calling thread until the scope ends, when a successful CoInitializeEx is paired
// with its CoUninitialize (a thread that had COM already keeps it).
class Apartment {
  public:
    Apartment(const Com& com, DWORD model) : com_(com), hr_(com.initialize(nullptr, model)) {}
    ~Apartment() {
        if (SUCCEEDED(hr_)) com_.uninitialize();
    }
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;

  private:
    const Com& com_;
    HRESULT hr_;
};

[[noreturn]] void Fail(const String& path) { throw Exception(u"Cannot load picture " + path); }

// bmp, ico and tiff through the Windows Imaging Component.
Bitmap DecodeWithWic(const String& path) {
    const Com& com = BoundCom();
    if (!com.Usable()) Fail(path);
    // The objects below go before the apartment does.
    const Apartment apartment(com, COINIT_APARTMENTTHREADED);
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(com.createInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, factory.put_void())))
        Fail(path);
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromFilename(Wide(path), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, decoder.put())))
        Fail(path);
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.put()))) Fail(path);
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.put())) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)))
        Fail(path);
    UINT width = 0, height = 0;
    if (FAILED(converter->GetSize(&width, &height)) || !PictureSizeAllowed(width, height))
        Fail(path);
    Bitmap bitmap;
    bitmap.width = static_cast<int>(width);
    bitmap.height = static_cast<int>(height);
    bitmap.pixels.resize(static_cast<size_t>(width) * height);
    if (FAILED(converter->CopyPixels(nullptr, width * 4, width * height * 4,
                                     reinterpret_cast<BYTE*>(bitmap.pixels.data()))))
        Fail(path);
    return bitmap; // BGRA in memory is 0xAARRGGBB as a little-endian word
}

// wmf and emf: played into a white bitmap of the picture's own size.
Bitmap DecodeMetafile(const String& path, bool enhanced) {
    EnhMetaFile emf;
    if (enhanced) {
        emf.reset(GetEnhMetaFileW(Wide(path)));
    } else {
        Handle file(CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr));
        if (!file) Fail(path);
        const DWORD size = GetFileSize(file.get(), nullptr);
        if (size == INVALID_FILE_SIZE || size < 22 || size > 64u * 1024 * 1024) Fail(path);
        std::string bytes(size, '\0');
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes.data(), size, &got, nullptr) || got != size) Fail(path);
        // A placeable metafile starts with a 22-byte header of its own.
        size_t skip = (static_cast<unsigned char>(bytes[0]) == 0xD7 &&
                       static_cast<unsigned char>(bytes[1]) == 0xCD) ? 22 : 0;
        emf.reset(SetWinMetaFileBits(size - static_cast<UINT>(skip),
                                     reinterpret_cast<const BYTE*>(bytes.data() + skip), nullptr,
                                     nullptr));
    }
    if (!emf) Fail(path);
    ENHMETAHEADER header{};
    GetEnhMetaFileHeader(emf.get(), sizeof header, &header);
    int width = header.rclBounds.right - header.rclBounds.left + 1;
    int height = header.rclBounds.bottom - header.rclBounds.top + 1;
    if (width <= 1 || height <= 1 || width > 4096 || height > 4096) width = height = 256;

    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    MemoryDC dc(CreateCompatibleDC(WindowDC(nullptr).get()));
    GdiObject dib(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc || !dib || !bits) Fail(path);
    bool played = false;
    {
        // The bitmap leaves the DC before either is deleted.
        const SelectedObject selected(dc.get(), dib.get());
        RECT r{0, 0, width, height};
        FillRect(dc.get(), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        played = PlayEnhMetaFile(dc.get(), emf.get(), &r) != FALSE;
        GdiFlush();
    }
    if (!played) Fail(path);

    Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.pixels.assign(static_cast<const std::uint32_t*>(bits),
                         static_cast<const std::uint32_t*>(bits) + width * height);
    for (auto& px : bitmap.pixels) px |= 0xFF000000u;
    return bitmap;
}

class WinPictures final : public IPictures {
public:
    Bitmap Decode(const String& path, PictureKind kind) override {
        switch (kind) {
        case PictureKind::Wmf: return DecodeMetafile(path, false);
        case PictureKind::Emf: return DecodeMetafile(path, true);
        default: return DecodeWithWic(path);
        }
    }
};

} // namespace

IPictures& WindowsPictures() {
    static WinPictures instance;
    return instance;
}
