// The install button: the choices on the main window, handed to the installation run.
#include "base/Scoped.h"
#include "install/untInstall.h"
#include "session/PrintModel.h"
#include "shell/untMain.h"

namespace {

String OutcomeText(InstallOutcome outcome) {
    switch (outcome) {
    case InstallOutcome::Refused:
        return u"refused before any command ran";
    case InstallOutcome::AddressRefused:
        return u"stopped at the address (not valid, or the user keeps the existing port)";
    case InstallOutcome::PortNotCreated:
        return u"failed: the network port could not be made";
    case InstallOutcome::NotInstalled:
        return u"failed: the printer is not set up as asked";
    case InstallOutcome::Installed:
        return u"installed";
    }
    return {};
}

} // namespace

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
    progress_.LoggedRun(u"wizard (installation)", [&] {
        const InstallOutcome outcome = RunInstallation(choices, PrintSetupInfo, progress_);
        // Back to the field the refusal names: the search when it asked for one.
        if (outcome == InstallOutcome::Refused || outcome == InstallOutcome::AddressRefused) {
            if (pcPage->ActivePage() == tbsUSB && !usbSearchAccepted_)
                btnFindUSB->SetFocus();
            else
                ui::FocusFirstInput(*pcPage->ActivePage());
        }
        return OutcomeText(outcome);
    });
}
