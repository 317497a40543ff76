#include "platform/emulated/EmulatedLogFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/emulated/EmulatedFiles.h"
#include "platform/emulated/Fd.h"

namespace {

// Every missing folder on the file's path, from the root down.
void MakeFolderOf(const std::string& file) {
    for (size_t at = file.find('/', 1); at != std::string::npos; at = file.find('/', at + 1))
        ::mkdir(file.substr(0, at).c_str(), 0777);
}

int OpenForAppend(const std::string& file) {
    return ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
}

} // namespace

bool EmulatedLogFiles::Append(const String& path, const std::string& bytes, std::uint32_t& error) {
    const std::string file = LinuxPathOf(path);
    Fd fd(OpenForAppend(file));
    if (fd.get() < 0 && errno == ENOENT) {
        MakeFolderOf(file);
        fd.reset(OpenForAppend(file));
    }
    if (fd.get() < 0) {
        error = WindowsErrorOf(errno);
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = WindowsErrorOf(errno);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    error = 0;
    return true;
}

std::optional<std::uint64_t> EmulatedLogFiles::FileSize(const String& path) {
    struct stat st {};
    if (::stat(LinuxPathOf(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

bool EmulatedLogFiles::Replace(const String& from, const String& to, std::uint32_t& error) {
    if (std::rename(LinuxPathOf(from).c_str(), LinuxPathOf(to).c_str()) != 0) {
        error = WindowsErrorOf(errno);
        return false;
    }
    error = 0;
    return true;
}

String EmulatedLogFiles::ProgramDataFolder() {
    std::string folder;
    if (const char* set = std::getenv("ProgramData"); set && *set)
        folder = set;
    else if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state)
        folder = state;
    else if (const char* home = std::getenv("HOME"); home && *home)
        folder = std::string(home) + "/.local/state";
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    return FromUtf8(folder);
}
