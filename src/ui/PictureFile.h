#pragma once
#include "base/Bitmap.h"
#include "base/Text.h"

namespace ui {

// Loads a picture file; its extension (any letter case) decides the format: jpg and jpeg
// through libjpeg; bmp, ico, wmf, emf, tif and tiff through the platform. Raises an Exception
// for another extension, a missing or unreadable file, or a damaged picture.
Bitmap LoadPictureFile(const String& path);

// Decodes JPEG bytes (a whole file); raises an Exception when they are not a valid JPEG.
Bitmap DecodeJpeg(const std::string& bytes);

} // namespace ui
