#include "platform/emulated/ProfileDocument.h"

#include <utility>

ProfileDocument::ProfileDocument(std::string bytes, ICodePage& codePage)
    : text_(std::move(bytes),
            {[&codePage](std::string_view ansi) { return codePage.FromAnsi(ansi); },
             [&codePage](StringView text) { return codePage.ToAnsi(text); }}) {}
