// The install button: the choices on the main window, handed to the installation run.
#include "base/Scoped.h"
#include "install/untInstall.h"
#include "session/PrintModel.h"
#include "shell/untMain.h"

void TfrmMain::btnStartInstallClick(ui::Control*) {
    // A click that arrives while a run pumps messages would start a run inside the run.
    ReentryGuard running(installRunning_);
    if (!running) return;

    InstallChoices choices;
    choices.connection = ShownConnection();
    if (choices.connection) choices.port = ChosenPort(*choices.connection);
    choices.searchAccepted = usbSearchAccepted_;
    choices.labelClass = rbLabel->Checked();
    choices.ports = cbPortList->Items();
    choices.printers = cbPrintList->Items();
    if (RunInstallation(choices, PrintSetupInfo, progress_) == InstallOutcome::AddressRefused)
        meText->SetFocus();
}
