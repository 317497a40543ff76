#pragma once
// Errors travel as exceptions carrying the user-facing message; the control
// model's event dispatch is the one place that catches them.
#include <cstdint>
#include <exception>
#include <string>

#include "base/Text.h"

class Exception : public std::exception {
public:
    explicit Exception(String message);
    const String& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    String message_;
    std::string utf8_;
};

// A value that does not convert to its form ("'x' is not a valid integer value").
class EConvertError : public Exception {
    using Exception::Exception;
};
// A list read past its end ("List index out of bounds (%d)").
class EListError : public Exception {
    using Exception::Exception;
};
// A failed operating-system call, with the system's text.
class EOSError : public Exception {
public:
    EOSError(String message, std::uint32_t code) : Exception(std::move(message)), code_(code) {}
    std::uint32_t ErrorCode() const noexcept { return code_; }

private:
    std::uint32_t code_;
};
// A settings or profile file that cannot be written ("Unable to write to %s").
class EIniFileException : public Exception {
    using Exception::Exception;
};
// A file that cannot be opened ("Cannot open file "%s". %s").
class EFOpenError : public Exception {
    using Exception::Exception;
};
