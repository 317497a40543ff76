#include "digest/untMD5FileLib.h"

#include <cstdint>
#include <string>

#include "base/Errors.h"
#include "platform/Files.h"
#include "platform/Processes.h"

namespace {

// The system's reason without its closing full stop and line break: the standard error
// box ends the whole message with its own full stop.
String ReasonText(std::uint32_t code) {
    String text = Processes::Get().SystemErrorText(code);
    while (!text.empty() && (text.back() <= u' ' || text.back() == u'.')) text.pop_back();
    return text;
}

} // namespace

String TFileMD5::HashStream(std::string_view stream) {
    FHasher.Init();
    FHasher.UpdateBytes(reinterpret_cast<const std::uint8_t*>(stream.data()), stream.size());
    return FHasher.AsString();
}

std::string ReadFileExclusive(const String& fileName) {
    IFiles& files = Files::Get();
    std::string bytes;
    std::uint32_t error = 0;
    if (!files.ReadExclusive(fileName, bytes, error)) {
        String message =
            u"Cannot open file \"" + files.FullPath(fileName) + u"\". " + ReasonText(error);
        // Without a reason from the system the message ends at the file name.
        while (!message.empty() && message.back() == u' ') message.pop_back();
        throw EFOpenError(std::move(message));
    }
    return bytes;
}

String FileStreamToMD5(const String& fileName) {
    const std::string bytes = ReadFileExclusive(fileName);
    TFileMD5 hasher;
    return hasher.HashStream(bytes);
}
