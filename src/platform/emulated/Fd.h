#pragma once
// Owner of a POSIX file descriptor, and reading one to its end.
#include <unistd.h>

#include <cerrno>
#include <string>

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void reset(int fd) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

  private:
    int fd_;
};

// Everything from the descriptor's position to its end; false with errno set on an error.
inline bool ReadAll(int fd, std::string& bytes) {
    bytes.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}
