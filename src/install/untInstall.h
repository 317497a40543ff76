#pragma once
// The installation run and the pieces it is made of.
#include <optional>

#include "base/Text.h"
#include "config/CaptionKeys.h"
#include "session/Connections.h"
#include "session/PrintModel.h"
#include "session/Progress.h"

// The printer-setup command lines, put together as they are run.
String DeleteCommand(const String& name);
String InstallCommand(const String& name, const String& folder, const String& lang,
                      const String& inf, const String& port);
// Removes the printer (the queue, not its driver) of that name.
String DeletePrinterCommand(const String& name);
// printui's option that keeps its error messages out of windows.
inline const String kQuietSetupOption = u" /q";

// What the user chose on the main window for a run.
struct InstallChoices {
    // The connection type of the page shown; nullptr when that is no port page.
    const ConnectionType* connection = nullptr;
    // The port chosen on that page, or the address typed on the network page.
    String port;
    // A search on this visit of the page found the model to install.
    bool searchAccepted = false;
    // The label printer class (its own INF file) rather than the receipt printer class.
    bool labelClass = false;
    // The system's ports and installed printers as the main window last listed them.
    StringList ports;
    StringList printers;

    // Answers decided before the run, for a run with no one to ask (the unattended mode);
    // unset, the run asks as the wizard does.
    // The typed address is already a port: true keeps it, false asks for another address.
    std::optional<bool> keepExistingPort;
    // Remove the installed driver of the model's name before the installation.
    std::optional<bool> removeInstalled;
    // Make the printer the default printer where the kit asks (MrPrintSet 2); true also where
    // the kit would leave the default alone.
    std::optional<bool> makeDefault;
    // Leave the program at the end of the run.
    std::optional<bool> quitAtEnd;
    // The printer-setup commands report errors only through their exit code, never in a
    // message box of their own that no one would close.
    bool quietCommands = false;
    // The test receipt after the installation: asked for when the kit offers it, or, for a
    // run with no one to ask, printed or left out as decided beforehand.
    enum class TestPrint { AsKitOffers, Print, Skip } testPrint = TestPrint::AsKitOffers;
};

// Why a value cannot go on the printer-setup command line. The command line has no way to
// escape a double quote, so one would end its argument and start new ones; a trailing
// backslash would escape the closing quote; an INF name (`fileName`) with a folder or drive in
// it would take the driver from outside the kit's language folder.
enum class CommandValueFault { None, DoubleQuote, TrailingBackslash, NotPlainFileName };
CommandValueFault CommandValueFaultOf(StringView value, bool fileName);

// Why the run would refuse its values before anything runs (the model's name, the INF file
// of the class, a chosen port), as the message it shows; empty when they are safe.
String ValueRefusal(const String& model, bool labelClass, const String& port);
// The same for a printer's name alone.
String NameRefusal(const String& name);

enum class InstallOutcome {
    Refused,        // a value was refused (or no search accepted) before anything ran
    AddressRefused, // the typed address is no address, or the user wants to type another one
    PortNotCreated, // the network port could not be made
    NotInstalled,   // the printer-setup command ran but no printer as asked exists
    Installed,
};

// The installation run: the port, an optional removal of an installed driver, the printer-setup
// command and its check, the default printer, the test receipt and the end of the run. `setup` is
// the chosen model; the run sets its port. Everything is shown and asked through `progress`; an
// error leaves the windows usable (progress.Busy(false)) and goes on to the caller.
InstallOutcome RunInstallation(const InstallChoices& choices, TPrintModelInfo& setup,
                               IProgress& progress);
