#include "shell/Startup.h"

#include "config/untIni.h"
#include "dialogs/untAbout.h"
#include "dialogs/untWait.h"
#include "language/untLanguages.h"
#include "platform/Locale.h"
#include "printing/untSystemPrinterInfo.h"
#include "session/PrintModel.h"
#include "shell/untMain.h"
#include "ui/Dispatch.h"

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

void CreateWindows() {
    frmMain = new TfrmMain();
    frmAbout = new TfrmAbout();
    frmWait = new TfrmWait();
    frmAbout->owner = frmMain;
    frmWait->owner = frmMain;
}

void RealizeWindows() {
    for (ui::Form* form : std::initializer_list<ui::Form*>{frmMain, frmAbout, frmWait})
        ui::DispatchEvent([form] { form->Realize(); });
}

void FreeWindows() {
    delete frmWait;
    delete frmAbout;
    delete frmMain;
    frmWait = nullptr;
    frmAbout = nullptr;
    frmMain = nullptr;
}
