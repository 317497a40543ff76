// The install button: the choices on the main window, handed to the installation run.
#include "base/Scoped.h"
#include "install/untInstall.h"
#include "session/PrintModel.h"
#include "shell/untMain.h"

namespace {

String OutcomeText(InstallOutcome outcome, const std::optional<Finding>& why) {
    // The checks' own words say why, for whoever reads the log.
    const String cause = why ? u": " + why->Summary() : String();
    switch (outcome) {
    case InstallOutcome::Refused:
        return u"refused before any command ran" + cause;
    case InstallOutcome::AddressRefused:
        return why ? u"stopped at the address" + cause
                   : String(u"stopped at the address: the user types another one");
    case InstallOutcome::PortNotCreated:
        return u"failed: the network port could not be made";
    case InstallOutcome::NotInstalled:
        return u"failed: the printer is not set up as asked" + cause;
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
    if (const ui::ComboBox* list = choices.connection ? PortListOf(*choices.connection) : nullptr)
        choices.offeredPorts = list->Items();
    choices.ports = cbPortList->Items();
    choices.printers = cbPrintList->Items();
    progress_.LoggedRun(u"wizard (installation)", [&] {
        RunDetails details;
        const InstallOutcome outcome =
            RunInstallation(choices, PrintSetupInfo, progress_, progress_, &details);
        const std::optional<Finding>& why = details.finding;
        // Back to the field the refusal names: the search when it asked for one.
        if (outcome == InstallOutcome::Refused || outcome == InstallOutcome::AddressRefused) {
            if (pcPage->ActivePage() == tbsUSB && !usbSearchAccepted_)
                btnFindUSB->SetFocus();
            else
                ui::FocusFirstInput(*pcPage->ActivePage());
        }
        return OutcomeText(outcome, why);
    });
}
