#include "platform/emulated/EmulatedFiles.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/emulated/Fd.h"
#include <vector>

namespace {

std::string CurrentDirectory() {
    std::vector<char> buffer(PATH_MAX);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) return ".";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

} // namespace

std::string LinuxPathOf(const String& windowsPath) {
    String path = windowsPath;
    for (auto& ch : path)
        if (ch == u'\\') ch = u'/';
    if (path.size() >= 2 && (path[0] == u'Z' || path[0] == u'z') && path[1] == u':')
        path.erase(0, 2);
    return ToUtf8(path);
}

std::uint32_t WindowsErrorOf(int errnoValue) {
    switch (errnoValue) {
    case 0:
        return 0;
    case ENOENT:
        return 2; // ERROR_FILE_NOT_FOUND
    case ENOTDIR:
        return 3; // ERROR_PATH_NOT_FOUND
    case EMFILE:
    case ENFILE:
        return 4; // ERROR_TOO_MANY_OPEN_FILES
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return 5; // ERROR_ACCESS_DENIED
    case ENOMEM:
        return 8; // ERROR_NOT_ENOUGH_MEMORY
    case EBUSY:
    case ETXTBSY:
        return 32; // ERROR_SHARING_VIOLATION
    case ENOSPC:
    case EDQUOT:
        return 112; // ERROR_DISK_FULL
    case ENAMETOOLONG:
        return 206; // ERROR_FILENAME_EXCED_RANGE
    default:
        return 31; // ERROR_GEN_FAILURE
    }
}

bool EmulatedFiles::FileExists(const String& path) {
    struct stat st {};
    return ::stat(LinuxPathOf(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool EmulatedFiles::ReadExclusive(const String& path, std::string& bytes, std::uint32_t& error) {
    bytes.clear();
    Fd fd(::open(LinuxPathOf(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
        error = WindowsErrorOf(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        error = WindowsErrorOf(EISDIR);
        return false;
    }
    if (!ReadAll(fd.get(), bytes)) {
        error = WindowsErrorOf(errno);
        bytes.clear();
        return false;
    }
    error = 0;
    return true;
}

String EmulatedFiles::FullPath(const String& path) {
    const std::string native = LinuxPathOf(path);
    const std::string joined =
        !native.empty() && native[0] == '/' ? native : CurrentDirectory() + "/" + native;
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= joined.size()) {
        size_t j = joined.find('/', i);
        if (j == std::string::npos) j = joined.size();
        const std::string part = joined.substr(i, j - i);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = j + 1;
    }
    std::string full;
    for (const auto& part : parts)
        full += "/" + part;
    if (full.empty()) full = "/";
    return FromUtf8(full);
}

String EmulatedFiles::ModuleFileName() {
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return {};
        if (static_cast<size_t>(n) < buffer.size()) return FromUtf8(std::string(buffer.data(), n));
        buffer.resize(buffer.size() * 2);
    }
}
