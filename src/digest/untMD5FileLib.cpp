#include "digest/untMD5FileLib.h"

#include <cstdint>
#include <string>

#include "base/Errors.h"
#include "platform/Files.h"
#include "platform/Processes.h"

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
            u"Cannot open file \"" + files.FullPath(fileName) + u"\". " + SysErrorMessage(error);
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
