#include "digest/untMD5.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "digest/untMD5FileLib.h"
#include "digest/untMD5StringLib.h"
#include "platform/CodePage.h"

String MD5File(const String& fileName) { return FileStreamToMD5(fileName); }

String MD5String(const String& MD5Str) {
    const std::shared_ptr<IMD5> md5 = GetMD5();
    md5->Init();
    const std::string ansi = CodePage::Get().ToAnsi(MD5Str);
    const std::size_t n = std::min(ansi.size(), MD5Str.size());
    // Through the interface, whose count is 32-bit: longer texts go in pieces.
    constexpr std::size_t kPiece = std::size_t{1} << 30;
    for (std::size_t done = 0; done < n; done += kPiece)
        md5->Update(ansi.data() + done, static_cast<std::uint32_t>(std::min(kPiece, n - done)));
    return md5->AsString();
}
