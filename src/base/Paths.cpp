#include "base/Paths.h"

namespace {

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

bool IsLetter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// ".." anywhere would climb out of the folder the path seems to name.
bool ClimbsUp(StringView path) {
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = start;
        while (end < path.size() && !IsSeparator(path[end]))
            ++end;
        if (path.substr(start, end - start) == u"..") return true;
        start = end + 1;
    }
    return false;
}

} // namespace

bool IsFullPath(StringView path) {
    const bool drive =
        path.size() > 3 && IsLetter(path[0]) && path[1] == u':' && IsSeparator(path[2]);
    const bool network =
        path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2]);
    return (drive || network) && !ClimbsUp(path);
}

bool IsLibraryFileName(StringView name) {
    if (name.empty() || name == u"." || name == u"..") return false;
    for (char16_t c : name)
        if (IsSeparator(c) || c == u':') return false;
    return true;
}

String ExtractFilePath(StringView path) {
    for (size_t i = path.size(); i > 0; --i) {
        const char16_t c = path[i - 1];
        if (c == u'\\' || c == u'/' || c == u':') return String(path.substr(0, i));
    }
    return {};
}

bool IsLocalDrivePath(StringView path) {
    return path.size() > 3 && IsLetter(path[0]) && path[1] == u':' && path[2] == u'\\' &&
           !IsSeparator(path[3]) && !ClimbsUp(path) && path.back() != u'\\';
}
