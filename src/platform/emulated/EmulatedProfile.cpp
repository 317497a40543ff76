#include "platform/emulated/EmulatedProfile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/emulated/Fd.h"

#include "platform/CodePage.h"
#include "platform/emulated/EmulatedFiles.h"
#include "platform/emulated/ProfileDocument.h"

namespace {

// A regular file's bytes; false for a missing or unreadable file or a directory. (A pipe
// must not block the open: it is refused like a directory.)
bool ReadFile(const std::string& path, std::string& bytes) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    return ReadAll(fd.get(), bytes);
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put =
            ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

// Rewrites the file in place, as Windows does (so its owner, rights and links stay). Room
// for a longer file is reserved first: a full disk then fails the write before any byte
// of the old content has changed.
bool Replace(int fd, std::size_t oldSize, const std::string& bytes) {
    if (bytes.size() > oldSize) {
        const int r = ::posix_fallocate(fd, static_cast<off_t>(oldSize),
                                        static_cast<off_t>(bytes.size() - oldSize));
        if (r != 0 && r != EOPNOTSUPP && r != EINVAL) {
            (void)::ftruncate(fd, static_cast<off_t>(oldSize));
            return false;
        }
    }
    if (!WriteAll(fd, bytes)) return false;
    if (bytes.size() < oldSize && ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0)
        return false;
    return ::fsync(fd) == 0;
}

std::uint32_t CopyValue(const String& value, char16_t* buffer, std::uint32_t size) {
    if (size == 0) return 0;
    const std::size_t n = std::min<std::size_t>(value.size(), size - 1);
    std::copy_n(value.data(), n, buffer);
    buffer[n] = u'\0';
    return static_cast<std::uint32_t>(n);
}

// Names one after another, each with its NUL, and one more NUL. Too little room: as much as
// fits with the last two places NUL, and the count is the size minus 2 (an exact fit of
// names plus the last NUL is already too little).
std::uint32_t CopyList(const StringList& names, char16_t* buffer, std::uint32_t size) {
    if (size == 0) return 0;
    String all;
    for (const auto& name : names) {
        all += name;
        all += u'\0';
    }
    if (size < 3) {
        std::fill_n(buffer, size, u'\0');
        return 0;
    }
    if (all.size() + 2 <= size) {
        std::copy_n(all.data(), all.size(), buffer);
        buffer[all.size()] = u'\0';
        return static_cast<std::uint32_t>(all.size());
    }
    std::copy_n(all.data(), size - 2, buffer);
    buffer[size - 2] = u'\0';
    buffer[size - 1] = u'\0';
    return size - 2;
}

} // namespace

EmulatedProfile::EmulatedProfile(std::string winIni) : winIni_(std::move(winIni)) {}

std::string EmulatedProfile::PathOf(const String& fileName) const {
    if (fileName.find_first_of(u"\\/:") != String::npos) return LinuxPathOf(fileName);
    if (SameText(fileName, u"win.ini")) return winIni_;
    const std::size_t slash = winIni_.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string(".") : winIni_.substr(0, slash);
    return folder + "/" + ToUtf8(fileName);
}

std::uint32_t
EmulatedProfile::GetPrivateProfileStringW(const ProfileArg& appName, const ProfileArg& keyName,
                                          const ProfileArg& defaultValue, char16_t* returnedString,
                                          std::uint32_t size, const String& fileName) {
    if (returnedString == nullptr) return 0;
    std::string bytes;
    std::optional<ProfileDocument> doc;
    if (ReadFile(PathOf(fileName), bytes)) doc.emplace(std::move(bytes), CodePage::Get());

    if (!appName) return CopyList(doc ? doc->SectionNames() : StringList{}, returnedString, size);
    const String section = TrimSpaces(*appName);
    if (!keyName) {
        std::optional<StringList> keys;
        if (doc) keys = doc->KeyNames(section);
        if (keys) return CopyList(*keys, returnedString, size);
        // No such section: a count of 0 with two NULs, where an empty section has one (as
        // the real functions give it under Wine; Windows sources say nothing).
        std::fill_n(returnedString, std::min<std::uint32_t>(size, 2), u'\0');
        return 0;
    }
    std::optional<String> value;
    if (doc) value = doc->Value(section, TrimSpaces(*keyName));
    if (!value) {
        // Only trailing spaces leave the default.
        value = defaultValue.value_or(String());
        while (!value->empty() && value->back() == u' ')
            value->pop_back();
    }
    return CopyValue(*value, returnedString, size);
}

bool EmulatedProfile::WritePrivateProfileStringW(const ProfileArg& appName,
                                                 const ProfileArg& keyName, const ProfileArg& value,
                                                 const String& fileName) {
    // No section: a flush of the cache (there is none here), which reports false.
    if (!appName) return false;
    const std::string path = PathOf(fileName);
    Fd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0 && errno == ENOENT) {
        if (!keyName || !value) return true; // nothing to delete
        fd.reset(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    }
    if (fd.get() < 0) return false;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    // A file without write permission is read-only, also for root (as the read-only
    // attribute is for an administrator on Windows).
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
    // One writer at a time among the processes using this emulation.
    if (::flock(fd.get(), LOCK_EX) != 0) return false;

    std::string bytes;
    if (!ReadAll(fd.get(), bytes)) return false;
    const std::size_t oldSize = bytes.size();
    const ProfileDocument doc(std::move(bytes), CodePage::Get());
    const String section = TrimSpaces(*appName);
    std::string changed;
    if (!keyName)
        changed = doc.WithoutSection(section);
    else if (!value)
        changed = doc.WithoutKey(section, TrimSpaces(*keyName));
    else
        changed = doc.WithValue(section, TrimSpaces(*keyName), *value);
    if (changed == doc.Bytes()) return true;
    return Replace(fd.get(), oldSize, changed);
}
