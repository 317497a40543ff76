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

class EmulatedLogFile final : public ILogFile {
  public:
    EmulatedLogFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    std::uint64_t Size() override {
        struct stat st {};
        return ::fstat(fd_.get(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    }
    bool Append(const std::string& bytes, std::uint32_t& error) override {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_.get(), bytes.data() + done, bytes.size() - done);
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
    // Linux renames by name; the name is the one this file was opened by, in its own folder.
    bool RenameTo(const String& fileName, std::uint32_t& error) override {
        const size_t cut = path_.find_last_of('/');
        const std::string to =
            (cut == std::string::npos ? std::string() : path_.substr(0, cut + 1)) +
            ToUtf8(fileName);
        if (std::rename(path_.c_str(), to.c_str()) != 0) {
            error = WindowsErrorOf(errno);
            return false;
        }
        path_ = to;
        error = 0;
        return true;
    }

  private:
    Fd fd_;
    std::string path_;
};

} // namespace

PathFacts EmulatedLogFiles::Inspect(const String& path) {
    PathFacts facts;
    struct stat st {};
    if (::lstat(LinuxPathOf(path).c_str(), &st) != 0) return facts;
    facts.exists = true;
    facts.reparsePoint = S_ISLNK(st.st_mode);
    facts.directory = S_ISDIR(st.st_mode);
    facts.trustedOwner = st.st_uid == 0 || st.st_uid == ::geteuid();
    return facts;
}

bool EmulatedLogFiles::CreateProtectedFolder(const String& path, std::uint32_t& error) {
    if (::mkdir(LinuxPathOf(path).c_str(), 0755) != 0) {
        error = WindowsErrorOf(errno);
        return false;
    }
    error = 0;
    return true;
}

std::unique_ptr<ILogFile> EmulatedLogFiles::Open(const String& path, std::uint32_t& error,
                                                 String& refused) {
    const std::string file = LinuxPathOf(path);
    const int fd =
        ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
        if (errno == ELOOP) {
            refused = u"the file " + path + u" is a link";
            return nullptr;
        }
        error = WindowsErrorOf(errno);
        return nullptr;
    }
    auto opened = std::make_unique<EmulatedLogFile>(fd, file);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink > 1) {
        refused = u"the file " + path + u" has another name (a hard link)";
        return nullptr;
    }
    error = 0;
    return opened;
}

std::optional<std::uint64_t> EmulatedLogFiles::FileSize(const String& path) {
    struct stat st {};
    if (::stat(LinuxPathOf(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
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
