// A kit as a Windows Installer package: the files under Program Files, the program's unattended
// install and removal as deferred custom actions that run as the system account, the
// administrator's properties passed through the program's /set switch and kept for a repair, an
// upgrade and the removal.
#include "kit-tool/KitMsi.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <map>
#include <system_error>

#include "base/Paths.h"
#include "config/untIni.h"
#include "digest/Sha1.h"
#include "kit-tool/KitCommands.h"
#include "language/Languages.h"
#include "session/CommandLine.h"

#ifdef _WIN32
#include <process.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace kit {

namespace {

// The namespace of this tool's upgrade and product codes; never changed, or every package
// made before would stop upgrading.
const char16_t* const kUuidNamespace = u"7f3c5a0e-2b1d-4c8e-9a64-5d0b8e1f2a37";
// The property the removal reads: the printer the install named.
const char16_t* const kPrinterProperty = u"ODAXPRINTER";

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Why wixl cannot carry the text into the package as it is, or nothing: it loses every text
// that has a character outside ASCII, and its preprocessor takes '$' for a variable.
std::optional<String> Uncarried(StringView text) {
    for (char16_t c : text) {
        if (c == u'$')
            return String(u"it holds '$', which wixl's preprocessor takes for a variable");
        if (c < 0x20 || c >= 0x7F)
            return String(u"it holds characters outside ASCII, which wixl cannot write into a "
                          u"package (it leaves the text empty)");
    }
    return std::nullopt;
}

// Printable ASCII without '$': what a product name or publisher keeps of a vendor's name.
String CarriedPart(StringView text) {
    String kept;
    for (char16_t c : text)
        if (c >= 0x20 && c < 0x7F && c != u'$') kept += c;
    return TrimSpaces(kept);
}

// A literal text inside a formatted field: brackets and braces would name properties.
String Formatted(StringView text) {
    String out;
    for (char16_t c : text) {
        if (c == u'[' || c == u']' || c == u'{' || c == u'}')
            out += String(u"[\\") + c + u"]";
        else
            out += c;
    }
    return out;
}

String Xml(StringView text) {
    String out;
    for (char16_t c : text) {
        switch (c) {
        case u'&':
            out += u"&amp;";
            break;
        case u'<':
            out += u"&lt;";
            break;
        case u'>':
            out += u"&gt;";
            break;
        case u'"':
            out += u"&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::optional<std::array<std::uint8_t, 16>> UuidBytes(StringView text) {
    std::array<std::uint8_t, 16> bytes{};
    std::size_t digits = 0;
    for (char16_t c : text) {
        if (c == u'-' || c == u'{' || c == u'}') continue;
        int value;
        if (IsDigit(c))
            value = c - u'0';
        else if (c >= u'a' && c <= u'f')
            value = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            value = c - u'A' + 10;
        else
            return std::nullopt;
        if (digits >= 32) return std::nullopt;
        bytes[digits / 2] = static_cast<std::uint8_t>(bytes[digits / 2] << 4 | value);
        ++digits;
    }
    if (digits != 32) return std::nullopt;
    return bytes;
}

String ArchName(MsiArch arch) {
    return arch == MsiArch::X64 ? u"x64" : u"x86";
}

// The next version after a.b.c, the exclusive top of the versions an upgrade replaces, so that
// a package of the same version made with other options replaces the installed one too.
String NextVersion(const String& version) {
    unsigned parts[3] = {0, 0, 0};
    std::size_t part = 0;
    for (char16_t c : version) {
        if (c == u'.')
            ++part;
        else if (part < 3)
            parts[part] = parts[part] * 10 + (c - u'0');
    }
    if (parts[2] < 65535)
        ++parts[2];
    else if (parts[1] < 255)
        parts[1] += 1, parts[2] = 0;
    else if (parts[0] < 255)
        parts[0] += 1, parts[1] = parts[2] = 0;
    return IntToStr(parts[0]) + u"." + IntToStr(parts[1]) + u"." + IntToStr(parts[2]);
}

} // namespace

const std::vector<MsiProperty>& MsiProperties() {
    static const std::vector<MsiProperty> properties = {
        {u"ADDRESS", u"address", true, u"the network printer's address"},
        {u"PORT", u"port", true, u"the port (COM1, LPT1, USB001)"},
        {u"MODEL", u"model", true, u"a model of the kit"},
        {u"PRINTERNAME", u"name", true, u"the printer's own name"},
        {u"DEFAULT", u"default", true, u"1: make it the default printer, 0: do not"},
        {u"TESTPRINT", u"testprint", false, u"1: print a test receipt"},
        {u"REPLACE", u"replace", false, u"1: replace an installed printer of that name"},
        {u"LOGFILE", u"log", true, u"the install log's file, a full path on a local drive"},
    };
    return properties;
}

std::optional<String> MsiVersion(StringView softVer, String* why) {
    auto refuse = [&](String reason) -> std::optional<String> {
        if (why) *why = std::move(reason);
        return std::nullopt;
    };
    std::size_t at = 0;
    while (at < softVer.size() && !IsDigit(softVer[at]))
        ++at;
    if (at == softVer.size())
        return refuse(u"\"" + String(softVer) +
                      u"\" holds no version number; a package needs one such as 1.2.3");
    std::vector<std::uint32_t> parts;
    while (parts.size() < 4) {
        std::uint32_t value = 0;
        std::size_t digits = 0;
        for (; at < softVer.size() && IsDigit(softVer[at]); ++at, ++digits)
            if (value < 1000000) value = value * 10 + (softVer[at] - u'0');
        if (digits == 0) break;
        parts.push_back(value);
        if (at + 1 < softVer.size() && softVer[at] == u'.' && IsDigit(softVer[at + 1]))
            ++at;
        else
            break;
    }
    parts.resize(3, 0); // a fourth part is not compared by the installer
    const std::uint32_t limits[3] = {255, 255, 65535};
    const char16_t* names[3] = {u"first", u"second", u"third"};
    for (int i = 0; i < 3; ++i)
        if (parts[i] > limits[i])
            return refuse(u"\"" + String(softVer) + u"\": the " + names[i] + u" number is above " +
                          IntToStr(limits[i]) + u", the most a Windows Installer version takes");
    return IntToStr(parts[0]) + u"." + IntToStr(parts[1]) + u"." + IntToStr(parts[2]);
}

String NameUuid(StringView namespaceUuid, StringView name) {
    const std::optional<std::array<std::uint8_t, 16>> ns = UuidBytes(namespaceUuid);
    std::string input = ns ? std::string(ns->begin(), ns->end()) : std::string(16, '\0');
    input += ToUtf8(name);
    std::array<std::uint8_t, 20> hash = Sha1(input);
    hash[6] = static_cast<std::uint8_t>((hash[6] & 0x0F) | 0x50);
    hash[8] = static_cast<std::uint8_t>((hash[8] & 0x3F) | 0x80);
    static const char16_t* hex = u"0123456789ABCDEF";
    String text = u"{";
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) text += u'-';
        text += hex[hash[i] >> 4];
        text += hex[hash[i] & 15];
    }
    return text + u"}";
}

std::optional<MsiArch> ProgramArch(const std::string& bytes) {
    auto byte = [&bytes](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i]));
    };
    if (bytes.size() < 0x40 || bytes[0] != 'M' || bytes[1] != 'Z') return std::nullopt;
    const std::uint32_t pe = byte(0x3C) | byte(0x3D) << 8 | byte(0x3E) << 16 | byte(0x3F) << 24;
    if (pe > bytes.size() || bytes.size() - pe < 6 ||
        bytes.compare(pe, 4, std::string("PE\0\0", 4)) != 0)
        return std::nullopt;
    const std::uint32_t machine = byte(pe + 4) | byte(pe + 5) << 8;
    if (machine == 0x14C) return MsiArch::X86;
    if (machine == 0x8664) return MsiArch::X64;
    return std::nullopt;
}

String PlainName(StringView text) {
    String name;
    for (char16_t c : text) {
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || IsDigit(c) ||
                           c == u'.' || c == u'-' || c == u'_';
        const bool blank = c == u' ' && !name.empty() && name.back() != u' ';
        if (plain || blank) name += c;
    }
    while (!name.empty() && (name.back() == u' ' || name.back() == u'.'))
        name.pop_back();
    while (!name.empty() && name.front() == u'.')
        name.erase(name.begin());
    return name.substr(0, 64);
}

namespace {

class Planner {
  public:
    Planner(const KitLocation& kit, const StringList& args, std::optional<MsiArch> arch)
        : kit_(kit), args_(args), arch_(arch), ini_(TextOf(kit.settings)) {}

    MsiPlan Run() {
        plan_.deployment = DeployKit(kit_, args_);
        if (const DeployCheck* failed = plan_.deployment.Failed()) {
            plan_.refused =
                u"the command would fail at the " + failed->name + u" check: " + failed->reason;
            return std::move(plan_);
        }
        const String install = plan_.deployment.install;
        options_ =
            ParseCommandLine(SplitCommandLine(install.substr(install.find(u' ') + 1))).options;
        if (!Product() || !Arch() || !Files()) return std::move(plan_);
        if (std::optional<String> why = Uncarried(install))
            Refuse(u"the command " + install + u": " + *why);
        else
            Commands();
        return std::move(plan_);
    }

  private:
    String Value(const char16_t* section, const char16_t* key) const {
        return Trim(ini_.ReadString(section, key, String()));
    }
    bool Refuse(String why) {
        plan_.refused = std::move(why);
        return false;
    }

    bool Product() {
        MsiPackage& p = plan_.package;
        String why;
        const std::optional<String> version = MsiVersion(Value(u"CONFIG", u"SoftVer"), &why);
        if (!version) return Refuse(u"[CONFIG] SoftVer: " + why);
        p.version = *version;
        const String oemid = Value(u"CONFIG", u"OEMID");
        p.manufacturer = CarriedPart(Value(u"OEM", u"CompanyNameEN"));
        if (p.manufacturer.empty()) p.manufacturer = CarriedPart(oemid);
        if (p.manufacturer.empty())
            return Refuse(u"the kit names its vendor in ASCII neither in [OEM] CompanyNameEN nor "
                          u"in [CONFIG] OEMID; the package's publisher needs one");
        p.vendorFolder = PlainName(p.manufacturer);
        if (p.vendorFolder.empty()) p.vendorFolder = PlainName(oemid);
        if (p.vendorFolder.empty())
            return Refuse(u"the vendor's name \"" + p.manufacturer +
                          u"\" has no letter or digit to name its folder under Program Files");
        p.printerNamed = !options_.name.empty();
        p.printer = p.printerNamed ? options_.name : options_.model;
        if (std::optional<String> fault = Uncarried(p.printer))
            return Refuse(u"the printer's name \"" + p.printer + u"\": " + *fault);
        p.kitFolder = PlainName(p.printer.empty() ? String(u"USB printer") : p.printer);
        if (p.kitFolder.empty()) p.kitFolder = u"Printer";
        p.productName =
            p.printer.empty() ? p.manufacturer + u" USB printer" : p.printer + u" printer";
        // Stable across versions: the same vendor, kit and printer upgrade in place.
        p.upgradeCode =
            NameUuid(kUuidNamespace, LowerCase(p.manufacturer) + u"\n" + LowerCase(oemid) + u"\n" +
                                         LowerCase(p.printer.empty() ? u"usb" : p.printer));
        p.registryKey = u"Software\\ODAXPrintDrive\\Packages\\" + p.upgradeCode;
        const String web = Value(u"OEM", u"Web");
        const bool webAddress =
            (StartsWith(LowerCase(web), u"https://") || StartsWith(LowerCase(web), u"http://")) &&
            web.find(u' ') == String::npos && web.find(u'"') == String::npos;
        if (webAddress && !Uncarried(web)) p.aboutUrl = web;
        return true;
    }

    bool Arch() {
        const fs::path program = kit_.folder / PathOf(kProgramFileName);
        const std::optional<MsiArch> built = ProgramArch(ReadBytes(program));
        if (!arch_ && !built)
            return Refuse(String(kProgramFileName) +
                          u" is no Windows program this tool can read the machine of: give "
                          u"--arch x86 or --arch x64");
        if (arch_ == MsiArch::X86 && built == MsiArch::X64)
            return Refuse(String(kProgramFileName) +
                          u" is a 64-bit program, which the 32-bit Windows "
                          u"that an x86 package is for cannot run: give --arch x64");
        plan_.package.arch = arch_.value_or(built.value_or(MsiArch::X86));
        return true;
    }

    bool Add(StringList folders, const fs::path& source, const String& name) {
        String shown;
        for (const String& f : folders)
            shown += f + u"\\";
        shown += name;
        if (std::optional<String> why = Uncarried(shown))
            return Refuse(u"the kit's file " + shown + u": " + *why);
        plan_.package.files.push_back({std::move(folders), name, source});
        return true;
    }

    // The program first (the custom actions run it), its library, the settings file under the
    // name the program reads, and every file of the language folders.
    bool Files() {
        if (!Add({}, kit_.folder / PathOf(kProgramFileName), kProgramFileName) ||
            !Add({}, kit_.folder / PathOf(kUsbLibraryFileName), kUsbLibraryFileName) ||
            !Add({}, kit_.settings, u"install.dat"))
            return false;
        for (const LanguageInfo& lang : Languages()) {
            const fs::path folder = kit_.folder / PathOf(lang.kitFolder);
            std::error_code ec;
            if (!fs::is_directory(folder, ec)) continue;
            std::vector<fs::path> found;
            for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end;
                 it.increment(ec))
                if (it->is_regular_file(ec)) found.push_back(it->path());
            if (ec)
                return Refuse(u"cannot read " + TextOf(folder) + u": " + FromUtf8(ec.message()));
            std::sort(found.begin(), found.end());
            for (const fs::path& file : found) {
                StringList folders = {lang.kitFolder};
                for (const fs::path& part : fs::relative(file.parent_path(), folder))
                    if (part != ".") folders.push_back(TextOf(part));
                if (!Add(folders, file, TextOf(file.filename()))) return false;
            }
        }
        return true;
    }

    String Sets(bool withReplace) const {
        String sets;
        for (const MsiProperty& p : MsiProperties())
            if (withReplace || String(p.name) != u"REPLACE")
                sets += String(u" /set \"") + p.option + u"=[" + p.name + u"]\"";
        return sets;
    }

    void Commands() {
        MsiPackage& p = plan_.package;
        const String built = Formatted(FormatCommandLine(options_));
        p.install = built + Sets(true);
        // An upgrade or a repair installs the package's driver even over the installed one.
        p.reinstall = built + (options_.replace ? u"" : u" /replace") + Sets(false);
        // The removal keeps the install's log settings.
        CommandLine logOnly;
        logOnly.logFile = options_.logFile;
        logOnly.logFormat = options_.logFormat;
        logOnly.timeoutSeconds = options_.timeoutSeconds;
        logOnly.allowWritableKit = options_.allowWritableKit;
        const String tail = Formatted(FormatCommandLine(logOnly).substr(String(u"/quiet").size())) +
                            u" /set \"log=[LOGFILE]\"";
        p.removal = String(u"/quiet /remove /name \"[") + kPrinterProperty + u"]\"" + tail;
        if (p.printer.empty())
            for (const String& model : plan_.deployment.printers)
                p.modelRemovals.push_back(u"/quiet /remove /model \"" + Formatted(model) + u"\"" +
                                          tail);
        // The same package made again has the same code; other options or another version, a
        // new one.
        p.productCode =
            NameUuid(p.upgradeCode, p.version + u"\n" + ArchName(p.arch) + u"\n" + p.install);
    }

    const KitLocation& kit_;
    const StringList& args_;
    const std::optional<MsiArch> arch_;
    const TIniFile ini_;
    CommandLine options_;
    MsiPlan plan_;
};

class WixWriter {
  public:
    WixWriter(const MsiPackage& p, const fs::path& folder) : p_(p), folder_(folder) {}

    String Source() {
        const String win64 = p_.arch == MsiArch::X64 ? u" Win64=\"yes\"" : u"";
        Line(u"<?xml version=\"1.0\" encoding=\"utf-8\"?>");
        Line(u"<!-- Made by odax-kit msi; the custom actions run the kit's own unattended mode. "
             u"-->");
        Line(u"<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">");
        Line(u"  <Product Id=\"" + p_.productCode + u"\" Name=\"" + Xml(p_.productName) +
             u"\" Language=\"1033\" Version=\"" + p_.version + u"\" Manufacturer=\"" +
             Xml(p_.manufacturer) + u"\" UpgradeCode=\"" + p_.upgradeCode + u"\">");
        Line(
            u"    <Package InstallerVersion=\"500\" Compressed=\"yes\" InstallScope=\"perMachine\" "
            u"Description=\"" +
            Xml(p_.productName) + u"\"/>");
        Line(u"    <Media Id=\"1\" Cabinet=\"kit.cab\" EmbedCab=\"yes\"/>");
        // Every older version, and this one made with other options, is replaced; a newer one
        // is never replaced by an older package.
        Line(u"    <Upgrade Id=\"" + p_.upgradeCode + u"\">");
        Line(u"      <UpgradeVersion Minimum=\"0.0.0\" IncludeMinimum=\"yes\" Maximum=\"" +
             NextVersion(p_.version) + u"\" Property=\"ODAXUPGRADE\"/>");
        Line(u"      <UpgradeVersion Minimum=\"" + p_.version +
             u"\" OnlyDetect=\"yes\" Property=\"ODAXNEWER\"/>");
        Line(u"    </Upgrade>");
        Line(u"    <Condition Message=\"A newer version of this printer's package is installed.\">"
             u"Installed OR NOT ODAXNEWER</Condition>");
        Line(u"    <Property Id=\"ARPNOMODIFY\" Value=\"1\"/>");
        if (!p_.aboutUrl.empty())
            Line(u"    <Property Id=\"ARPURLINFOABOUT\" Value=\"" + Xml(p_.aboutUrl) + u"\"/>");
        Line(u"    <Property Id=\"REBOOT\" Value=\"ReallySuppress\"/>");
        Line(u"    <Property Id=\"MSIRESTARTMANAGERCONTROL\" Value=\"Disable\"/>");
        if (!p_.printer.empty())
            Line(String(u"    <Property Id=\"") + kPrinterProperty + u"\" Value=\"" +
                 Xml(p_.printer) + u"\"/>");
        for (const MsiProperty& prop : MsiProperties()) {
            if (!prop.kept) continue;
            Line(u"    <Property Id=\"" + Kept(prop) + u"\">");
            Line(u"      <RegistrySearch Id=\"" + Kept(prop) + u"\" Root=\"HKLM\" Key=\"" +
                 Xml(p_.registryKey) + u"\" Name=\"" + prop.name + u"\" Type=\"raw\"" + win64 +
                 u"/>");
            Line(u"    </Property>");
        }
        Directories(win64);
        Line(u"    <Feature Id=\"Kit\" Level=\"1\">");
        for (std::size_t i = 0; i < p_.files.size(); ++i)
            Line(u"      <ComponentRef Id=\"C" + IntToStr(static_cast<std::int64_t>(i + 1)) +
                 u"\"/>");
        Line(u"      <ComponentRef Id=\"Kept\"/>");
        Line(u"      <ComponentRef Id=\"Vendor\"/>");
        Line(u"    </Feature>");
        Actions();
        Line(u"  </Product>");
        Line(u"</Wix>");
        return text_;
    }

  private:
    static String Kept(const MsiProperty& prop) { return String(u"ODAXKEPT_") + prop.name; }

    void Line(const String& line) { text_ += line + u"\n"; }

    void Directories(const String& win64) {
        Line(u"    <Directory Id=\"TARGETDIR\" Name=\"SourceDir\">");
        Line(String(u"      <Directory Id=\"") +
             (p_.arch == MsiArch::X64 ? u"ProgramFiles64Folder" : u"ProgramFilesFolder") + u"\">");
        Line(u"        <Directory Id=\"VENDORFOLDER\" Name=\"" + Xml(p_.vendorFolder) + u"\">");
        // Windows Installer takes away a folder it made only where a component asks for it
        // (wixl places a RemoveFolder in its component's own folder).
        Line(u"          <Component Id=\"Vendor\" Guid=\"*\"" + win64 + u">");
        Line(u"            <RemoveFolder Id=\"RemoveVendorFolder\" On=\"uninstall\"/>");
        Line(u"            <RegistryValue Root=\"HKLM\" Key=\"" + Xml(p_.registryKey) +
             u"\" Name=\"Folder\" Type=\"string\" Value=\"[INSTALLFOLDER]\" KeyPath=\"yes\"/>");
        Line(u"          </Component>");
        Line(u"          <Directory Id=\"INSTALLFOLDER\" Name=\"" + Xml(p_.kitFolder) + u"\">");
        // The files sorted by folder, so that each folder opens once.
        std::vector<std::size_t> order(p_.files.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::stable_sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
            return p_.files[a].folders < p_.files[b].folders;
        });
        StringList open;
        int folders = 0;
        bool opened = false; // the next component takes away the folder just opened
        for (std::size_t i : order) {
            const MsiFile& f = p_.files[i];
            std::size_t same = 0;
            while (same < open.size() && same < f.folders.size() && open[same] == f.folders[same])
                ++same;
            while (open.size() > same) {
                open.pop_back();
                Line(Indent(open.size()) + u"</Directory>");
            }
            while (open.size() < f.folders.size()) {
                Line(Indent(open.size()) + u"<Directory Id=\"D" + IntToStr(++folders) +
                     u"\" Name=\"" + Xml(f.folders[open.size()]) + u"\">");
                open.push_back(f.folders[open.size()]);
                opened = true;
            }
            const String n = IntToStr(static_cast<std::int64_t>(i + 1));
            Line(Indent(open.size()) + u"<Component Id=\"C" + n + u"\" Guid=\"*\"" + win64 + u">");
            if (opened)
                Line(Indent(open.size()) + u"  <RemoveFolder Id=\"RemoveD" + IntToStr(folders) +
                     u"\" On=\"uninstall\"/>");
            opened = false;
            Line(Indent(open.size()) + u"  <File Id=\"" +
                 (i == 0 ? String(u"ProgramFile") : u"F" + n) + u"\" Name=\"" + Xml(f.name) +
                 u"\" Source=\"" + Xml(SourcePath(f.source)) + u"\" KeyPath=\"yes\"/>");
            Line(Indent(open.size()) + u"</Component>");
        }
        while (!open.empty()) {
            open.pop_back();
            Line(Indent(open.size()) + u"</Directory>");
        }
        // The properties of this install, for a repair, an upgrade and the removal.
        Line(u"            <Component Id=\"Kept\" Guid=\"*\"" + win64 + u">");
        Line(u"              <RemoveFolder Id=\"RemoveKitFolder\" On=\"uninstall\"/>");
        Line(u"              <RegistryValue Root=\"HKLM\" Key=\"" + Xml(p_.registryKey) +
             u"\" Name=\"Version\" Type=\"string\" Value=\"[ProductVersion]\" KeyPath=\"yes\"/>");
        for (const MsiProperty& prop : MsiProperties())
            if (prop.kept)
                Line(u"              <RegistryValue Root=\"HKLM\" Key=\"" + Xml(p_.registryKey) +
                     u"\" Name=\"" + prop.name + u"\" Type=\"string\" Value=\"[" + prop.name +
                     u"]\"/>");
        Line(u"            </Component>");
        Line(u"          </Directory>");
        Line(u"        </Directory>");
        Line(u"      </Directory>");
        Line(u"    </Directory>");
    }

    // wixl finds a file only by a path relative to the source's folder.
    String SourcePath(const fs::path& file) const {
        std::error_code ec;
        const fs::path relative =
            fs::relative(fs::absolute(file, ec), fs::absolute(folder_, ec), ec);
        return TextOf(ec || relative.empty() ? file : relative);
    }

    static String Indent(std::size_t depth) { return String(12 + 2 * depth, u' '); }

    void Action(const String& id, const String& command) {
        Line(u"    <CustomAction Id=\"" + id + u"\" FileKey=\"ProgramFile\" ExeCommand=\"" +
             Xml(command) + u"\" Execute=\"deferred\" Impersonate=\"no\" Return=\"check\"/>");
    }
    void SetProperty(const String& id, const String& property, const String& value) {
        Line(u"    <CustomAction Id=\"" + id + u"\" Property=\"" + property + u"\" Value=\"" +
             Xml(value) + u"\"/>");
    }

    // wixl places Before and After wrongly: every action has its number. The property actions
    // follow AppSearch (50); the removals come before RemoveFiles (3500), the installs after
    // InstallFiles (4000), all between InstallInitialize (1500) and InstallFinalize (6600).
    void Actions() {
        struct Scheduled {
            String id, condition;
            int sequence;
        };
        std::vector<Scheduled> sequence;
        int restore = 51;
        for (const MsiProperty& prop : MsiProperties()) {
            if (!prop.kept) continue;
            const String id = String(u"ODAXRESTORE_") + prop.name;
            SetProperty(id, prop.name, u"[" + Kept(prop) + u"]");
            sequence.push_back({id, Kept(prop) + u" AND NOT " + prop.name, restore++});
        }
        if (!p_.printerNamed) {
            SetProperty(u"ODAXPRINTER_MODEL", kPrinterProperty, u"[MODEL]");
            sequence.push_back({u"ODAXPRINTER_MODEL", u"MODEL", 70});
        }
        SetProperty(u"ODAXPRINTER_NAME", kPrinterProperty, u"[PRINTERNAME]");
        sequence.push_back({u"ODAXPRINTER_NAME", u"PRINTERNAME", 71});

        const String removing = u"REMOVE=\"ALL\" AND NOT UPGRADINGPRODUCTCODE";
        Action(u"OdaxRemove", p_.removal);
        sequence.push_back({u"OdaxRemove", removing + u" AND " + kPrinterProperty, 3490});
        for (std::size_t i = 0; i < p_.modelRemovals.size(); ++i) {
            const String id = u"OdaxRemoveModel" + IntToStr(static_cast<std::int64_t>(i + 1));
            Action(id, p_.modelRemovals[i]);
            sequence.push_back(
                {id, removing + u" AND NOT " + kPrinterProperty, 3491 + static_cast<int>(i)});
        }
        Action(u"OdaxInstall", p_.install);
        sequence.push_back({u"OdaxInstall", u"NOT Installed AND NOT ODAXUPGRADE", 4001});
        Action(u"OdaxReinstall", p_.reinstall);
        sequence.push_back({u"OdaxReinstall",
                            u"(NOT Installed AND ODAXUPGRADE) OR (Installed AND REINSTALL AND "
                            u"REMOVE<>\"ALL\")",
                            4002});
        Line(u"    <InstallExecuteSequence>");
        Line(u"      <RemoveExistingProducts Sequence=\"1401\"/>");
        for (const Scheduled& s : sequence)
            Line(u"      <Custom Action=\"" + s.id + u"\" Sequence=\"" + IntToStr(s.sequence) +
                 u"\">" + Xml(s.condition) + u"</Custom>");
        Line(u"    </InstallExecuteSequence>");
    }

    const MsiPackage& p_;
    const fs::path folder_;
    String text_;
};

} // namespace

MsiPlan PlanMsi(const KitLocation& kit, const StringList& args, std::optional<MsiArch> arch) {
    return Planner(kit, args, arch).Run();
}

String WixSource(const MsiPackage& package, const fs::path& folder) {
    return WixWriter(package, folder).Source();
}

namespace {

#ifdef _WIN32
const char16_t kPathSeparator = u';';
const char16_t* const kWixl = u"wixl.exe";
#else
const char16_t kPathSeparator = u':';
const char16_t* const kWixl = u"wixl";
#endif

std::optional<fs::path> FindOnPath(const String& program) {
#ifdef _WIN32
    const wchar_t* found = _wgetenv(L"PATH");
    const String path = found ? String(found, found + wcslen(found)) : String();
#else
    const char* found = std::getenv("PATH");
    const String path = found ? FromUtf8(found) : String();
#endif
    for (const String& folder : Split(path, kPathSeparator)) {
        if (folder.empty()) continue;
        std::error_code ec;
        const fs::path candidate = PathOf(folder) / PathOf(program);
        if (fs::is_regular_file(candidate, ec)) return candidate;
    }
    return std::nullopt;
}

struct Ran {
    int exitCode = -1;
    std::string output;
};

// Runs the program with its arguments, each passed as it is; its output is collected where the
// system allows (on Windows it goes to the console).
Ran RunProgram(const fs::path& program, const StringList& args) {
    Ran ran;
#ifdef _WIN32
    // _wspawnv joins the arguments with blanks: each is quoted as the C runtime splits them.
    std::vector<std::wstring> quoted;
    StringList all = {TextOf(program)};
    all.insert(all.end(), args.begin(), args.end());
    for (const String& arg : all) {
        const String q = QuoteArgument(arg);
        quoted.emplace_back(q.begin(), q.end());
    }
    std::vector<const wchar_t*> argv;
    for (const std::wstring& q : quoted)
        argv.push_back(q.c_str());
    argv.push_back(nullptr);
    ran.exitCode = static_cast<int>(_wspawnv(_P_WAIT, program.wstring().c_str(), argv.data()));
#else
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return ran;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<std::string> strings = {program.string()};
    for (const String& arg : args)
        strings.push_back(ToUtf8(arg));
    std::vector<char*> argv;
    argv.reserve(strings.size() + 1);
    for (std::string& s : strings)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    char buffer[4096];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        ran.output.append(buffer, static_cast<std::size_t>(n));
    close(pipeFds[0]);
    if (spawned != 0) return ran;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ran.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    return ran;
}

// wixl's own lines without GLib's warnings about attributes it does not know.
String WixlMessages(const std::string& output) {
    String kept;
    std::size_t from = 0;
    while (from < output.size()) {
        std::size_t end = output.find('\n', from);
        if (end == std::string::npos) end = output.size();
        const std::string line = output.substr(from, end - from);
        from = end + 1;
        if (line.empty() || line.find("GLib-GObject-WARNING") != std::string::npos) continue;
        kept += (kept.empty() ? u"" : u"\n  ") + FromUtf8(line);
    }
    return kept;
}

StringList Summary(const MsiPlan& plan, const fs::path& out) {
    const MsiPackage& p = plan.package;
    const String file = TextOf(out.filename());
    StringList lines;
    lines.push_back(u"package: " + TextOf(out));
    lines.push_back(u"  product:      " + p.productName + u" " + p.version + u", " +
                    p.manufacturer);
    lines.push_back(u"  platform:     " + ArchName(p.arch));
    lines.push_back(u"  product code: " + p.productCode);
    lines.push_back(u"  upgrade code: " + p.upgradeCode + u" (the same for every version)");
    lines.push_back(String(u"  folder:       [") +
                    (p.arch == MsiArch::X64 ? u"ProgramFiles64Folder" : u"ProgramFilesFolder") +
                    u"]" + p.vendorFolder + u"\\" + p.kitFolder);
    lines.push_back(u"  installs with:  " + String(kProgramFileName) + u" " + p.install);
    lines.push_back(u"  upgrades and repairs with:  " + String(kProgramFileName) + u" " +
                    p.reinstall);
    lines.push_back(u"  removes with:  " + String(kProgramFileName) + u" " + p.removal);
    for (const String& removal : p.modelRemovals)
        lines.push_back(u"    or, when no printer was named:  " + String(kProgramFileName) + u" " +
                        removal);
    lines.push_back(u"properties (empty or not given: as built in; kept: given again to a repair, "
                    u"an upgrade and the removal):");
    for (const MsiProperty& prop : MsiProperties())
        lines.push_back(u"  " + String(prop.name) +
                        String(12 - std::char_traits<char16_t>::length(prop.name), u' ') +
                        prop.meaning + (prop.kept ? u" (kept)" : u""));
    lines.push_back(u"install:   msiexec /i \"" + file + u"\" /qn /l*v \"%TEMP%\\" + p.kitFolder +
                    u".msi.log\" [PROPERTY=value ...]");
    lines.push_back(u"uninstall: msiexec /x " + p.productCode + u" /qn");
    lines.push_back(u"msiexec's exit codes: 0 done, 1603 failed (the install log says why), 1618 "
                    u"another installation is running, 1638 another version is installed");
    lines.push_back(u"detection: the product code above (an MSI rule), or this script (Intune: "
                    u"custom detection script, Configuration Manager: script detection), which "
                    u"checks the printer as built in; where ADDRESS, PORT, MODEL or PRINTERNAME "
                    u"change it, use the product code or deploy's script for that command:");
    for (const String& line : plan.deployment.detectionScript)
        lines.push_back(u"  " + line);
    return lines;
}

} // namespace

Result RunMsi(const KitLocation& kit, const Command& command) {
    Result result;
    std::optional<MsiArch> arch;
    if (command.arch == u"x86") arch = MsiArch::X86;
    if (command.arch == u"x64") arch = MsiArch::X64;
    const MsiPlan plan = PlanMsi(kit, command.wizardArgs, arch);
    if (plan.deployment.Failed()) {
        result.exitCode = kFindings;
        result.out = FormatDeployment(kit, plan.deployment);
        return result;
    }
    if (!plan.refused.empty()) {
        result.exitCode = kFindings;
        result.err.push_back(u"odax-kit: " + kit.shownName + u": no package: " + plan.refused);
        return result;
    }
    const MsiPackage& p = plan.package;
    const fs::path out = command.out.empty() ? PathOf(p.kitFolder + u" " + p.version + u".msi")
                                             : PathOf(command.out);
    fs::path wxs = command.wxs.empty() ? fs::path(out.string() + ".wxs") : PathOf(command.wxs);
    std::error_code ec;
    const std::string source = ToUtf8(WixSource(p, fs::absolute(wxs, ec).parent_path()));
    {
        std::ofstream written(wxs, std::ios::binary | std::ios::trunc);
        written << source;
        if (!written.flush()) throw KitIOError("cannot write " + ToUtf8(TextOf(wxs)));
    }
    auto cleanUp = [&] {
        std::error_code ignored;
        if (command.wxs.empty()) fs::remove(wxs, ignored);
    };
    const std::optional<fs::path> wixl = FindOnPath(kWixl);
    if (!wixl) {
        cleanUp();
        result.exitCode = kFailure;
        result.err.push_back(
            u"odax-kit: wixl, which builds the package, is not installed: on Debian and Ubuntu "
            u"install the packages wixl and msitools (apt-get install wixl msitools)" +
            (command.wxs.empty() ? String() : u"; the WiX source is written to " + command.wxs));
        return result;
    }
    const Ran ran = RunProgram(*wixl, {u"-a", ArchName(p.arch), u"-o", TextOf(out), TextOf(wxs)});
    cleanUp();
    if (ran.exitCode != 0 || !fs::is_regular_file(out, ec)) {
        result.exitCode = kFailure;
        result.err.push_back(u"odax-kit: wixl could not build " + TextOf(out) + u" (exit code " +
                             IntToStr(ran.exitCode) + u"):\n  " + WixlMessages(ran.output));
        return result;
    }
    result.out.push_back(kit.shownName + u": the command passes every check");
    for (const String& line : Summary(plan, out))
        result.out.push_back(line);
    return result;
}

} // namespace kit
