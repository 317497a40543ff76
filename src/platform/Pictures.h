#pragma once
#include "base/Bitmap.h"
#include "base/Text.h"
#include "platform/Service.h"

// Picture formats the platform decodes itself (JPEG is ours, through libjpeg).
enum class PictureKind { Bmp, Icon, Wmf, Emf, Tiff };

class IPictures {
public:
    virtual ~IPictures() = default;
    // Decodes the file; raises an Exception when it cannot.
    virtual Bitmap Decode(const String& path, PictureKind kind) = 0;
};
using Pictures = Service<IPictures>;
