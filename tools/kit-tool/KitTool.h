#pragma once
// The vendor's kit tool: seal a kit's settings file, verify that the wizard would accept it,
// and lint it for what would make the wizard misbehave. The logic reads settings values
// through the installed profile service (the wizard's own reading), and bytes and other
// files directly; the program entry installs the services and prints the result.
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/Text.h"
#include "session/CommandLine.h"

namespace kit {

// Exit codes of the tool.
enum ExitCode : int { kOk = 0, kFindings = 1, kFailure = 2 };

// A wrong command line (exit code 2, with the usage text).
class UsageError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};
// A file that cannot be read or written (exit code 2).
class KitIOError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::filesystem::path PathOf(const String& text);
String TextOf(const std::filesystem::path& path);

// The kit folder and its settings file, from a folder or from the settings file itself.
struct KitLocation {
    std::filesystem::path folder;
    std::filesystem::path settings;
    String shownName; // the settings file as the user named it, for messages
};
KitLocation LocateKit(const String& argument);

std::string ReadBytes(const std::filesystem::path& file);
// Replaces the file's content through a temporary file beside it, so an interrupted write
// cannot leave a damaged file; a read-only file is refused.
void ReplaceBytes(const std::filesystem::path& file, const std::string& bytes);

struct SealOutcome {
    String value;   // the ConfigID now stored
    bool changed;   // false when the file was already sealed
    bool keyAdded;  // the file had no ConfigID (or no [CONFIG])
    String refused; // why the file is no settings file; then it is left as it was
};
// Why the bytes cannot be a settings file (NUL bytes in an ANSI file, broken UTF-16, no
// section at all), or nothing. Sealing such a file would only append a section to it.
std::optional<String> NotASettingsFile(const std::string& bytes);
SealOutcome SealKit(const KitLocation& kit);

struct ConvertOutcome {
    bool changed = false; // false when the file was UTF-16LE already
    String value;         // the ConfigID of the converted file, sealed afresh
    String refused;       // why the file cannot be converted; then it is left as it was
};
// Rewrites an ANSI settings file as UTF-16LE with a byte-order mark, which Windows reads the
// same on every system whatever its code page: the same lines, keys, values and order, the
// text decoded with the installed code page. Sealed afresh, since the bytes change.
ConvertOutcome ConvertKit(const KitLocation& kit);

struct VerifyOutcome {
    bool accepted = false;
    String stored;   // as the wizard reads it
    String computed; // empty when the file cannot be sealed as it is
    StringList reasons;
};
VerifyOutcome VerifyKit(const KitLocation& kit);

struct Finding {
    String file;      // as shown to the user
    std::size_t line; // 0: the file as a whole
    String message;
    // A warning names what reads wrong only on some systems; it alone does not fail the lint.
    bool warning = false;
};
String FormatFinding(const Finding& finding);
std::vector<Finding> LintKit(const KitLocation& kit);

// One check of an unattended command against the kit, in the order the run makes them.
struct DeployCheck {
    String name; // "command", "files", "seal", "model", "address", "port", "driver"
    bool ok = false;
    String reason;    // why it fails
    int exitCode = 0; // the program's exit code when it fails
};
struct DeployOutcome {
    std::vector<DeployCheck> checks;
    // Set when every check passes.
    String install;            // the program and its arguments, as the deployment tool runs it
    StringList uninstall;      // one removal per printer name the install may give
    StringList detection;      // the printer's registry key, one per printer name
    StringList printers;       // the printer names: the model, or every model of the kit when
    bool printerKnown = false; // the USB search picks it (no /model)
    // The same commands for a script: in a batch file, typed at a cmd prompt, in PowerShell.
    String installCmd, installPrompt, installPowerShell;
    StringList uninstallCmd, uninstallPrompt, uninstallPowerShell;
    // A PowerShell detection script: the printer with the asked port and the model's driver.
    StringList detectionScript;
    const DeployCheck* Failed() const; // the first failed check, or nullptr
};
// Checks the unattended command line `args` (the program's arguments, /quiet optional)
// against the kit with the program's own checks: the command understood, the kit's files, the
// seal, the model, the address or port, the driver files. `targetPorts`, the ports of the PCs
// the command is for, lets a /port be checked as the program checks it there; without them
// only its kind is.
DeployOutcome DeployKit(const KitLocation& kit, const StringList& args,
                        const std::optional<StringList>& targetPorts = std::nullopt);
// The outcome as lines of text, and as one JSON object for scripts.
StringList FormatDeployment(const KitLocation& kit, const DeployOutcome& outcome);
String DeploymentJson(const KitLocation& kit, const DeployOutcome& outcome);

struct Command {
    String verb; // "seal", "convert", "verify", "lint", "deploy", "msi" or "help"
    String target;
    std::optional<unsigned> codePage;
    StringList wizardArgs;                 // deploy, msi: the unattended command's arguments
    bool json = false;                     // deploy --json
    std::optional<StringList> targetPorts; // deploy --ports P1,P2
    String out;                            // msi --out: the package's file
    String arch;                           // msi --arch: "x86" or "x64"; empty: the program's
    String wxs;                            // msi --wxs: keep the WiX source there
};
// Raises UsageError for a wrong command line.
Command ParseArguments(const StringList& args);
String UsageText();

struct Result {
    int exitCode = kOk;
    StringList out;
    StringList err;
};
// Runs a parsed command with the services already installed.
Result Run(const Command& command);

} // namespace kit
