#include "session/BuiltInText.h"

#include "session/Languages.h"

String InDisplayLanguage(const BuiltInText& text) {
    return text.*DisplayLanguage().builtInText;
}
