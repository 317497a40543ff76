#include "session/BuiltInText.h"

#include "session/untLanguages.h"

String InDisplayLanguage(const BuiltInText& text) {
    return OSLanguage == TOSLanguage::CN ? text.cn : text.en;
}
