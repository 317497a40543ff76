#include "shell/untLanguages.h"

TOSLanguage OSLanguage = TOSLanguage::EN;
String LCaption;
