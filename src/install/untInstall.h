#pragma once
// The installation run: a short sequence of named steps sharing one run context, the same for
// the wizard and the unattended mode. Each step reports through IReport and asks through
// IQuestions; neither knows which front end answers.
#include <optional>

#include "base/Text.h"
#include "install/Preflight.h"
#include "install/TestPrint.h"
#include "platform/Processes.h"
#include "platform/Spooler.h"
#include "session/Connections.h"
#include "session/PrintModel.h"
#include "session/Questions.h"
#include "session/Report.h"

// Why a value cannot go on the printer-setup command line. The command line has no way to
// escape a double quote, so one would end its argument and start new ones; a trailing
// backslash would escape the closing quote; an INF name (`fileName`) with a folder or drive in
// it would take the driver from outside the kit's language folder.
enum class CommandValueFault { None, DoubleQuote, TrailingBackslash, NotPlainFileName };
CommandValueFault CommandValueFaultOf(StringView value, bool fileName);

// The printer read back is what a run asks for: the port chosen and the model's driver (the
// command names the driver after the model). The spooler compares these names without regard
// to letter case.
bool IsAsAsked(const PrinterSetup& found, const String& name, const String& port);

// What the front end chose for a run.
struct InstallChoices {
    // The connection type of the page shown; nullptr when that is no port page.
    const ConnectionType* connection = nullptr;
    // The port chosen on that page, or the address typed on the network page.
    String port;
    // The ports that page offered (the system's of that type, as listed); unset where the
    // caller has checked the port against the system itself.
    std::optional<StringList> offeredPorts;
    // A search on this visit of the page found the model to install.
    bool searchAccepted = false;
    // The label printer class (its own INF file) rather than the receipt printer class.
    bool labelClass = false;
    // The system's ports and installed printers as the front end last listed them.
    StringList ports;
    StringList printers;
    // The printer's own name; empty: the model's (the wizard's only choice).
    String queueName;
    // Make the printer the default printer whatever the kit's MrPrintSet says.
    bool makeDefault = false;
    // The printer-setup commands report errors only through their exit code, never in a
    // message box of their own that no one would close.
    bool quietCommands = false;
    // How long a printer-setup command may run before it (and all it started) is ended.
    std::uint32_t setupTimeLimitMs = kNoTimeLimit;
    // The test receipt after the installation: asked for when the kit offers it, or printed or
    // left out as decided beforehand.
    enum class TestPrint { AsKitOffers, Print, Skip } testPrint = TestPrint::AsKitOffers;
};

enum class InstallOutcome {
    Refused,        // a value was refused (or no search accepted) before anything ran
    AddressRefused, // the typed address is no address, or the user wants to type another one
    PortNotCreated, // the network port could not be made
    NotInstalled,   // the printer-setup command ran but no printer as asked exists
    Installed,
};

// What the steps share. `setup` is the chosen model; the run sets its port.
struct RunContext {
    RunContext(const InstallChoices& c, TPrintModelInfo& s, IReport& r, IQuestions& q);

    const InstallChoices& choices;
    TPrintModelInfo& setup;
    IReport& report;
    IQuestions& questions;
    const String inf;         // the INF file of the printer class
    const String quietOption; // added to the printer-setup commands, or empty
    // Why the run stopped before its end, in plain words, where a check can say.
    std::optional<Finding> finding;
    // How the test receipt went, when one was printed or offered.
    std::optional<TestPrintOutcome> testReceipt;

    // A text shown as the status and added to the log.
    void Say(const String& text) const;
    // The connection's port comes from a list (not typed).
    bool PortFromList() const;
    // The printer's name: the queue the run sets up, reads back and prints on.
    const String& Queue() const;
};

// The steps, in the order the run takes them. A step that may end the run returns the outcome
// it ends with, or nothing to go on.
namespace runstep {
// The refusals before anything runs: a USB installation without an accepted search; a model,
// INF or port name the command line cannot carry; a port the page did not offer.
std::optional<InstallOutcome> Refusals(RunContext& run);
// The run's report begins.
void Open(RunContext& run);
// The network port made from the typed address (or an existing one used), or the port chosen.
std::optional<InstallOutcome> Port(RunContext& run);
// A printer of the model's name removed first, when the kit checks for one and the user says so.
void Removal(RunContext& run);
// From here the system is changed: the spooler started.
void Spooler(RunContext& run);
// The printer-setup command.
void PrinterSetup(RunContext& run);
// The printer read back: its name, the chosen port and the model's driver.
std::optional<InstallOutcome> Verification(RunContext& run);
// The default printer, as the kit and the choices say.
void DefaultPrinter(RunContext& run);
// The test receipt, as the choices say.
void TestReceipt(RunContext& run);
// The end: announced, the question of leaving, the report closed.
void End(RunContext& run);
} // namespace runstep

// What a run leaves for its front end beside the outcome.
struct RunDetails {
    std::optional<Finding> finding; // why a run that did not install stopped, where known
    std::optional<TestPrintOutcome> testReceipt;
};

// The whole run. An error leaves the phase Done and goes on to the caller.
InstallOutcome RunInstallation(const InstallChoices& choices, TPrintModelInfo& setup,
                               IReport& report, IQuestions& questions,
                               RunDetails* details = nullptr);
