#include "shell/Startup.h"

#include "config/untIni.h"
#include "install/PrintModel.h"
#include "platform/Locale.h"
#include "printing/untSystemPrinterInfo.h"
#include "shell/untLanguages.h"

void InitializeUnits() {
    OSLanguage = GetWindowsLanguage(LOCALE_ILANGUAGE_TYPE);
    CreateIniOptions();
    CreateSysPrint();
}

void FinalizeUnits() {
    FreeIniOptions();
    FreeSysPrint();
    PrintModelInfo.clear();
    PrintModel.clear();
    PrintSetupInfo = TPrintModelInfo{};
}
