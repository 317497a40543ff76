#pragma once
#include <optional>

#include "base/Bitmap.h"
#include "base/Text.h"
#include "platform/Pictures.h"

namespace ui {

// How a picture file is decoded, by its extension (any letter case): through libjpeg for jpg
// and jpeg, else through the platform as `kind`.
struct PictureFormat {
    bool jpeg = false;
    PictureKind kind = PictureKind::Bmp;
};
// nullopt for an extension the wizard does not decode.
std::optional<PictureFormat> PictureFormatOf(const String& path);

// Loads a picture file; its extension (any letter case) decides the format: jpg and jpeg
// through libjpeg; bmp, ico, wmf, emf, tif and tiff through the platform. Raises an Exception
// for another extension, a missing or unreadable file, or a damaged picture.
Bitmap LoadPictureFile(const String& path);

// Decodes JPEG bytes (a whole file); raises an Exception when they are not a valid JPEG.
Bitmap DecodeJpeg(const std::string& bytes);

} // namespace ui
