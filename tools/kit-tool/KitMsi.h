#pragma once
// A Windows Installer package of a kit for deployment tools: the kit's files in a folder under
// Program Files that only administrators can change, and the program's own unattended install
// run from there (never a second install path). Written as WiX source and built with wixl.
#include <filesystem>
#include <optional>
#include <vector>

#include "kit-tool/KitTool.h"

namespace kit {

enum class MsiArch { X86, X64 };

// The kit's SoftVer as a Windows Installer version a.b.c: the first dotted run of numbers in
// the text, missing parts 0, a fourth part dropped (the installer compares three). Nothing,
// with the reason in `why`, when the text has no number or a part is too large (a and b go to
// 255, c to 65535).
std::optional<String> MsiVersion(StringView softVer, String* why = nullptr);

// A name-based UUID (version 5, SHA-1 of the namespace's bytes and the name in UTF-8), upper
// case in braces as Windows Installer writes its codes.
String NameUuid(StringView namespaceUuid, StringView name);

// The machine a Windows program is built for, read from its PE header; nothing for bytes that
// are no such program.
std::optional<MsiArch> ProgramArch(const std::string& bytes);

// A folder or file name of plain characters only (ASCII letters, digits, blank, . - _), blanks
// run together, no dot or blank at the ends.
String PlainName(StringView text);

struct MsiFile {
    StringList folders; // below the kit's folder: none, or {"EN"}, {"CN", "x64"} ...
    String name;
    std::filesystem::path source;
};

// What the package holds and runs. The commands are the program's arguments with the
// installer's properties in [brackets].
struct MsiPackage {
    String productName, manufacturer, version, upgradeCode, productCode;
    String aboutUrl; // empty: the kit names no web address
    String vendorFolder, kitFolder;
    MsiArch arch = MsiArch::X86;
    std::vector<MsiFile> files; // the program first
    String install;             // a first install
    String reinstall; // an upgrade of an older package, and a repair: the same with /replace
    String printer;   // the printer's built-in name; empty: the USB search names it
    bool printerNamed = false; // the built-in command gives /name, so MODEL does not rename it
    String removal;            // the removal of [ODAXPRINTER], the printer the install named
    StringList modelRemovals;  // without a known printer: one removal per model of the kit
    String registryKey;        // where the properties of the install are kept for later runs
};

// The properties an administrator may give msiexec; the ones kept are given again to a
// repair, an upgrade and the removal.
struct MsiProperty {
    const char16_t* name;
    const char16_t* option; // the program's /set name
    bool kept;
    const char16_t* meaning;
};
const std::vector<MsiProperty>& MsiProperties();

struct MsiPlan {
    DeployOutcome deployment; // the command's checks, as deploy makes them
    String refused;           // why no package can be made; empty when it can
    MsiPackage package;
};
// Checks the unattended command `args` against the kit (the same checks as deploy) and what a
// package needs beyond them; `arch` unset: the program's own.
MsiPlan PlanMsi(const KitLocation& kit, const StringList& args, std::optional<MsiArch> arch);

// The WiX source of the package (wixl's dialect: explicit sequence numbers, no Secure or
// SetProperty), to be written into `folder`: its files are named relative to it.
String WixSource(const MsiPackage& package, const std::filesystem::path& folder);

// `odax-kit msi`: the plan, the source, wixl run on it, and what a deployment tool needs.
Result RunMsi(const KitLocation& kit, const Command& command);

} // namespace kit
