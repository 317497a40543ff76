#include "ui/PictureFile.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "base/Errors.h"
#include "platform/Files.h"
#include "platform/Pictures.h"

namespace ui {

namespace {

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void OnJpegError(j_common_ptr info) {
    auto* err = reinterpret_cast<JpegError*>(info->err);
    std::longjmp(err->jump, 1);
}

String Extension(const String& path) {
    const size_t dot = path.find_last_of(u'.');
    const size_t sep = path.find_last_of(u"\\/");
    if (dot == String::npos || (sep != String::npos && dot < sep)) return {};
    return LowerCase(StringView(path).substr(dot + 1));
}

// libjpeg reports errors by a long jump; nothing with a destructor may live across it, so
// the decoder keeps to plain data here.
bool DecodeJpegInto(const std::string& bytes, Bitmap& out) {
    jpeg_decompress_struct info{};
    JpegError err{};
    info.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = OnJpegError;
    err.mgr.output_message = [](j_common_ptr) {};
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    if (!PictureSizeAllowed(info.image_width, info.image_height)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    out.pixels.resize(static_cast<size_t>(out.width) * static_cast<size_t>(out.height));
    // The row lives in libjpeg's own pool, so an error's long jump leaks nothing.
    JSAMPARRAY rows = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                info.output_width * 3, 1);
    while (info.output_scanline < info.output_height) {
        const JSAMPLE* row = rows[0];
        const size_t y = info.output_scanline;
        jpeg_read_scanlines(&info, rows, 1);
        for (size_t x = 0; x < static_cast<size_t>(out.width); ++x)
            out.pixels[y * static_cast<size_t>(out.width) + x] =
                0xFF000000u | (static_cast<std::uint32_t>(row[3 * x]) << 16) |
                (static_cast<std::uint32_t>(row[3 * x + 1]) << 8) | row[3 * x + 2];
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

Bitmap DecodeJpeg(const std::string& bytes) {
    Bitmap out;
    if (!DecodeJpegInto(bytes, out)) throw Exception(u"JPEG error");
    return out;
}

std::optional<PictureFormat> PictureFormatOf(const String& path) {
    const String ext = Extension(path);
    if (ext == u"jpg" || ext == u"jpeg") return PictureFormat{true, PictureKind::Bmp};
    if (ext == u"bmp") return PictureFormat{false, PictureKind::Bmp};
    if (ext == u"ico") return PictureFormat{false, PictureKind::Icon};
    if (ext == u"wmf") return PictureFormat{false, PictureKind::Wmf};
    if (ext == u"emf") return PictureFormat{false, PictureKind::Emf};
    if (ext == u"tif" || ext == u"tiff") return PictureFormat{false, PictureKind::Tiff};
    return std::nullopt;
}

Bitmap LoadPictureFile(const String& path) {
    if (path.empty() || !Files::Get().FileExists(path))
        throw Exception(u"Picture file not found: " + path);
    const std::optional<PictureFormat> format = PictureFormatOf(path);
    if (!format) throw Exception(u"Unknown picture file extension (." + Extension(path) + u")");
    if (format->jpeg) {
        std::string bytes;
        std::uint32_t error = 0;
        if (!Files::Get().ReadExclusive(path, bytes, error))
            throw Exception(u"Cannot read picture file " + path);
        return DecodeJpeg(bytes);
    }
    return Pictures::Get().Decode(path, format->kind);
}

} // namespace ui
