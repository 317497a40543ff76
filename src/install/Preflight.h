#pragma once
// The checks made before anything runs: can this kit install this printer, and how. The
// wizard asks them at its start and when Install is pressed, the unattended mode before its
// run, and the kit tool's deploy for the command it prints; all of them get the same findings,
// so the three can never disagree about a kit or a command.
#include <functional>
#include <optional>
#include <vector>

#include "base/Text.h"
#include "config/CaptionKeys.h"
#include "language/BuiltInText.h"
#include "language/Languages.h"
#include "session/CommandLine.h"
#include "session/Connections.h"
#include "session/PrintModel.h"

// What the checks read of a kit: the program's own folder, or a folder the kit tool names.
class IKitView {
  public:
    virtual ~IKitView() = default;
    virtual bool HasSettings() = 0; // install.dat
    virtual bool HasProgram() = 0;  // ODAXPrintDrive.exe
    virtual bool HasLibrary() = 0;  // USBPrinterlibary.dll
    // A file inside the kit folder, such as "EN\pos.inf".
    virtual bool HasFile(const String& relative) = 0;
    virtual String Value(const String& section, const String& key) = 0;
    // A section's non-empty values, trimmed, in file order.
    virtual StringList Values(const String& section) = 0;
    // Why the seal of install.dat does not match its content; nothing when it matches.
    // Raises an Exception when the file cannot be read to compute it.
    virtual std::optional<String> SealFault() = 0;
};

// The kit beside the running program, read through the settings object (held or not) and
// the program's own folder.
class ProgramKit final : public IKitView {
  public:
    bool HasSettings() override;
    bool HasProgram() override { return true; }
    bool HasLibrary() override;
    bool HasFile(const String& relative) override;
    String Value(const String& section, const String& key) override;
    StringList Values(const String& section) override;
    std::optional<String> SealFault() override;
};

enum class PreflightCheck { KitFiles, Seal, Model, Address, Port, Driver, Search };
// The check's name for tools and logs: "files", "seal", "model", "address", "port", "driver",
// "search".
const char16_t* CheckName(PreflightCheck check);

// Why a check refuses.
struct Finding {
    PreflightCheck check;
    ExitCode exitCode; // what the unattended mode ends with
    String reason;     // in plain English, for logs and tools
    // What the wizard shows: a message of the kit's texts (the caption's text, then `value`),
    // or a refusal of its own, or `error` in the standard error box.
    const CaptionKey* caption = nullptr;
    String value;
    const Refusal* refusal = nullptr;
    String error;

    // The message the wizard shows, in the display language.
    String WizardText() const;
    // The reason with its check and the exit code it gives the unattended mode, for the
    // wizard's install log: support reads the same verdict whichever front end met it.
    String Summary() const;
};

namespace preflight {

// The program's files beside it: install.dat, the program and the USB library.
std::optional<Finding> KitFiles(IKitView& kit);
// The seal of install.dat. A file that cannot be read is a finding with the read's `error`.
std::optional<Finding> Seal(IKitView& kit);

// The kit's model table, built once from [model_POS]; a line of fewer than three pieces is a
// finding (the wizard's model list stops there).
struct Models {
    std::vector<TPrintModelInfo> table;
    std::optional<Finding> finding;
};
Models ModelTableOf(IKitView& kit);

// Why a value cannot go on the printer-setup command line, as a finding about `subject` (the
// switch or setting that gave it): a double quote, a trailing backslash, or for an INF name
// (`fileName`) a folder or drive in it.
std::optional<Finding> UnsafeValue(const String& value, bool fileName, const String& subject,
                                   PreflightCheck check);

// The model named (letter case and blanks around it aside): safe on a command line and one of
// the table's; `found` is then the table's entry, in the kit's spelling. An empty name is a USB
// run's, whose search picks the model: the table must have one to pick.
std::optional<Finding> KnownModel(const std::vector<TPrintModelInfo>& table, const String& name,
                                  std::optional<TPrintModelInfo>& found);

// A typed network address, blanks removed: four numbers from 0 to 255, not all zero
// (IsValidIP, as the wizard's masked field gives it). `strict` (a command line's address): each
// number one to three decimal digits, with no sign, no hexadecimal and no blank inside it.
// `cleaned` is the address without its blanks.
std::optional<Finding> Address(const String& typed, String& cleaned, bool strict = false);

// A port of a connection with a port list, safe on a command line and among `offered` (the
// system's ports of that connection, as listed; "COM2" finds "COM2:"); `listed` is then the
// system's spelling. Without a list (where the system is not known) only the port's kind is
// checked by its name's prefix.
std::optional<Finding> Port(const ConnectionType& type, const String& port,
                            const std::optional<StringList>& offered, String& listed);

// The INF file of the printer class: named, a plain file name, and present in the folder of
// every language given.
std::optional<Finding> Driver(IKitView& kit, bool labelClass,
                              const std::vector<const LanguageInfo*>& languages);

// A USB installation needs a model accepted by a search on this visit of the USB page.
Finding SearchFirst();

} // namespace preflight

// A command of the unattended mode as the checks see it.
struct PreflightRequest {
    // The connection; nullptr for a removal, which checks the kit and the model only.
    const ConnectionType* connection = nullptr;
    String address; // checked strictly: it comes from a command line, not a masked field
    String port;    // empty for a USB run: the search finds it
    String model; // empty for a USB run: the search picks it
    String name;  // the printer's own name; empty: the model's
    bool labelClass = false;
    // The system's ports, asked for when a port is checked; none where the system is not
    // known (the kit tool), and then only the port's kind is checked.
    std::function<StringList()> systemPorts;
    // The folders the driver file must be in: the display language's on the PC itself, every
    // language where the PC's language is not known.
    std::vector<const LanguageInfo*> languages;
    // Stop at the first finding (a run), or make every check (a tool that shows them all).
    bool stopAtFirst = true;
};

struct CheckOutcome {
    PreflightCheck check;
    std::optional<Finding> finding;
};

struct PreflightResult {
    std::vector<CheckOutcome> checks; // each check made, in order
    std::vector<TPrintModelInfo> models;
    std::optional<TPrintModelInfo> model; // the model named, in the kit's spelling
    String port;                   // the port as the system lists it, or the address without blanks
    StringList ports;              // the system's ports, when they were asked for
    const Finding* Failed() const; // the first finding, or nullptr
};

// Every check a command needs, in order: files, seal, model, then address or port, then the
// driver file.
PreflightResult Preflight(IKitView& kit, const PreflightRequest& request);
