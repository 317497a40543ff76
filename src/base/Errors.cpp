#include "base/Errors.h"

Exception::Exception(String message) : message_(std::move(message)), utf8_(ToUtf8(message_)) {}
