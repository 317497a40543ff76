#include "kit-tool/KitMsi.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "kit/KitFixture.h"
#include "session/CommandLine.h"

using namespace kittest;

namespace {

// The smallest program header that names a machine: MZ, the PE header's place, PE, machine.
std::string Program(std::uint16_t machine) {
    std::string bytes(0x40 + 6, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    bytes[0x3C] = 0x40;
    bytes.replace(0x40, 4, std::string("PE\0\0", 4));
    bytes[0x44] = static_cast<char>(machine & 0xFF);
    bytes[0x45] = static_cast<char>(machine >> 8);
    return bytes;
}

// A formatted field as the installer expands it: [NAME] takes the property's value (empty when
// it has none), [\c] is the character c.
String Expand(const String& field, const std::map<String, String>& properties) {
    String out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != u'[') {
            out += field[i];
            continue;
        }
        const std::size_t close = field.find(u']', i + 2);
        if (field[i + 1] == u'\\') {
            out += field[i + 2];
            i += 3;
            continue;
        }
        const String name = field.substr(i + 1, close - i - 1);
        const auto found = properties.find(name);
        if (found != properties.end()) out += found->second;
        i = close;
    }
    return out;
}

// The options the program reads from a custom action's command with these properties.
ParsedCommandLine ProgramReads(const String& field, const std::map<String, String>& properties) {
    return ParseCommandLine(SplitCommandLine(Expand(field, properties)));
}

class MsiFixture : public DeployFixture {
  protected:
    void SetUp() override {
        DeployFixture::SetUp();
        Write(root_ / "ODAXPrintDrive.exe", Program(0x8664));
        Replace("OEMID=ODAX\r\n", "OEMID=ODAX\r\nSoftVer=V2.3\r\n");
        Replace("[OEM]\r\n",
                "[OEM]\r\nCompanyNameEN=ODAX Demo Co., Ltd.\r\nWeb=https://example.com/odax\r\n");
        Seal();
    }
    void Seal() { ASSERT_EQ(RunArgs({u"seal", Target()}).exitCode, kit::kOk); }
    kit::MsiPlan Plan(const StringList& args, std::optional<kit::MsiArch> arch = std::nullopt) {
        return kit::PlanMsi(kit::LocateKit(Target()), args, arch);
    }
    const StringList network_ = {u"/connection",  u"network", u"/address",
                                 u"192.168.1.50", u"/model",  u"odax-80"};
};

} // namespace

TEST(MsiVersion, TheFirstNumbersOfTheKitsVersionTextAsABC) {
    const struct {
        const char16_t* softVer;
        const char16_t* version; // nullptr: refused
        const char16_t* reason = u"";
    } cases[] = {
        {u"1.0.0", u"1.0.0"},
        {u"V2.3", u"2.3.0"},
        {u"Ver 02.010.0003 beta", u"2.10.3"},
        {u"1.2.3.4", u"1.2.3"}, // the installer compares three parts
        {u"7", u"7.0.0"},
        {u"3. release", u"3.0.0"},
        {u"255.255.65535", u"255.255.65535"},
        {u"build 20261211", nullptr, u"the first number is above 255"},
        {u"1.256", nullptr, u"the second number is above 255"},
        {u"1.2.65536", nullptr, u"the third number is above 65535"},
        {u"", nullptr, u"holds no version number"},
        {u"beta", nullptr, u"holds no version number"},
    };
    for (const auto& c : cases) {
        String why;
        const std::optional<String> version = kit::MsiVersion(c.softVer, &why);
        if (c.version) {
            EXPECT_EQ(version, std::optional<String>(c.version)) << ToUtf8(c.softVer);
        } else {
            EXPECT_FALSE(version) << ToUtf8(c.softVer);
            EXPECT_NE(why.find(c.reason), String::npos) << ToUtf8(why);
        }
    }
}

TEST(MsiNames, UuidsProgramMachinesAndPlainNames) {
    // The published example of a name-based UUID: python.org in the DNS namespace.
    EXPECT_EQ(kit::NameUuid(u"6ba7b810-9dad-11d1-80b4-00c04fd430c8", u"python.org"),
              u"{886313E1-3B8A-5372-9B90-0C9AEE199E5D}");
    EXPECT_EQ(kit::ProgramArch(Program(0x8664)), kit::MsiArch::X64);
    EXPECT_EQ(kit::ProgramArch(Program(0x14C)), kit::MsiArch::X86);
    EXPECT_FALSE(kit::ProgramArch(Program(0xAA64))); // ARM64: no package of ours runs it
    EXPECT_FALSE(kit::ProgramArch("MZ"));
    std::string truncated = Program(0x8664);
    truncated[0x3C] = 0x7F; // the PE header past the end
    EXPECT_FALSE(kit::ProgramArch(truncated));

    EXPECT_EQ(kit::PlainName(u"ODAX Demo Co., Ltd."), u"ODAX Demo Co. Ltd");
    EXPECT_EQ(kit::PlainName(u"  R&D-80  50% "), u"RD-80 50");
    EXPECT_EQ(kit::PlainName(u"..\\..\\Windows"), u"Windows");
    EXPECT_EQ(kit::PlainName(u"打印机"), u"");
}

TEST_F(MsiFixture, ThePropertiesReachTheProgramThroughItsOwnSwitches) {
    const kit::MsiPlan plan = Plan(network_);
    ASSERT_EQ(plan.refused, u"");
    const kit::MsiPackage& p = plan.package;
    EXPECT_EQ(p.version, u"2.3.0");
    EXPECT_EQ(p.manufacturer, u"ODAX Demo Co., Ltd.");
    EXPECT_EQ(p.productName, u"ODAX-80 printer");
    EXPECT_EQ(p.vendorFolder, u"ODAX Demo Co. Ltd");
    EXPECT_EQ(p.kitFolder, u"ODAX-80");
    EXPECT_EQ(p.aboutUrl, u"https://example.com/odax");
    EXPECT_EQ(p.arch, kit::MsiArch::X64);
    EXPECT_EQ(p.printer, u"ODAX-80");

    // No property: exactly the command the package was made with.
    const ParsedCommandLine plain = ProgramReads(p.install, {});
    ASSERT_TRUE(plain.ok()) << ToUtf8(plain.error);
    EXPECT_EQ(FormatCommandLine(plain.options),
              u"/quiet /connection network /address 192.168.1.50 /model ODAX-80");
    // Every property replaces its option.
    const std::map<String, String> site = {{u"ADDRESS", u"10.1.2.3"},
                                           {u"MODEL", u"ODAX-58"},
                                           {u"PRINTERNAME", u"Kitchen"},
                                           {u"DEFAULT", u"1"},
                                           {u"TESTPRINT", u"1"},
                                           {u"REPLACE", u"1"},
                                           {u"LOGFILE", u"C:\\logs\\odax.log"}};
    const ParsedCommandLine given = ProgramReads(p.install, site);
    ASSERT_TRUE(given.ok()) << ToUtf8(given.error);
    EXPECT_EQ(FormatCommandLine(given.options),
              u"/quiet /connection network /address 10.1.2.3 /model ODAX-58 /name Kitchen "
              u"/replace /default /testprint /log C:\\logs\\odax.log");
    // A value the program refuses stays the program's to refuse.
    EXPECT_FALSE(ProgramReads(p.install, {{u"DEFAULT", u"yes"}}).ok());
    // An upgrade and a repair always replace, whatever REPLACE says.
    const ParsedCommandLine again = ProgramReads(p.reinstall, {{u"REPLACE", u"0"}});
    ASSERT_TRUE(again.ok()) << ToUtf8(again.error);
    EXPECT_TRUE(again.options.replace);
    // The removal removes the printer the install named, with its log.
    const ParsedCommandLine removal = ProgramReads(
        p.removal, {{u"ODAXPRINTER", u"Kitchen"}, {u"LOGFILE", u"C:\\logs\\odax.log"}});
    ASSERT_TRUE(removal.ok()) << ToUtf8(removal.error);
    EXPECT_EQ(FormatCommandLine(removal.options),
              u"/quiet /remove /name Kitchen /log C:\\logs\\odax.log");
    EXPECT_TRUE(p.modelRemovals.empty());
}

TEST_F(MsiFixture, TheSourceRunsTheProgramAsTheSystemAtTheRightPlaces) {
    const kit::MsiPlan plan = Plan(network_);
    ASSERT_EQ(plan.refused, u"");
    const String source = kit::WixSource(plan.package, root_);
    auto has = [&source](const String& text) {
        EXPECT_NE(source.find(text), String::npos) << ToUtf8(text);
    };
    // Deferred, not impersonating, checked: the program runs as the system account and its
    // exit code fails the package.
    for (const char16_t* action : {u"OdaxInstall", u"OdaxReinstall", u"OdaxRemove"})
        has(String(u"<CustomAction Id=\"") + action + u"\" FileKey=\"ProgramFile\" ExeCommand=\"");
    std::size_t deferred = 0;
    for (std::size_t at = 0;
         (at = source.find(u"Execute=\"deferred\" Impersonate=\"no\" Return=\"check\"", at)) !=
         String::npos;
         ++at)
        ++deferred;
    EXPECT_EQ(deferred, 3u);
    has(u"ExeCommand=\"/quiet /connection network /address 192.168.1.50 /model ODAX-80 /set "
        u"&quot;address=[ADDRESS]&quot;");
    // Removal before the files go and never as part of an upgrade; the installs after the files.
    has(u"<Custom Action=\"OdaxRemove\" Sequence=\"3490\">REMOVE=&quot;ALL&quot; AND NOT "
        u"UPGRADINGPRODUCTCODE AND ODAXPRINTER</Custom>");
    has(u"<Custom Action=\"OdaxInstall\" Sequence=\"4001\">NOT Installed AND NOT "
        u"ODAXUPGRADE</Custom>");
    has(u"<Custom Action=\"OdaxReinstall\" Sequence=\"4002\">(NOT Installed AND ODAXUPGRADE) OR "
        u"(Installed AND REINSTALL AND REMOVE&lt;&gt;&quot;ALL&quot;)</Custom>");
    has(u"<RemoveExistingProducts Sequence=\"1401\"/>");
    has(u"<UpgradeVersion Minimum=\"0.0.0\" IncludeMinimum=\"yes\" Maximum=\"2.3.1\" "
        u"Property=\"ODAXUPGRADE\"/>");
    has(u"<Property Id=\"ARPNOMODIFY\" Value=\"1\"/>");
    has(u"<Property Id=\"ARPURLINFOABOUT\" Value=\"https://example.com/odax\"/>");
    has(u"<Property Id=\"REBOOT\" Value=\"ReallySuppress\"/>");
    has(u"<Property Id=\"ODAXPRINTER\" Value=\"ODAX-80\"/>");
    // The kept properties come back for later runs, from the 64-bit registry an x64 package writes.
    has(u"<RegistrySearch Id=\"ODAXKEPT_ADDRESS\" Root=\"HKLM\" "
        u"Key=\"Software\\ODAXPrintDrive\\Packages\\" +
        plan.package.upgradeCode + u"\" Name=\"ADDRESS\" Type=\"raw\" Win64=\"yes\"/>");
    has(u"<Custom Action=\"ODAXRESTORE_ADDRESS\" Sequence=\"51\">ODAXKEPT_ADDRESS AND NOT "
        u"ADDRESS</Custom>");
    EXPECT_EQ(source.find(u"ODAXKEPT_TESTPRINT"), String::npos);
    // Every file of the kit, named relative to the source's folder, the language folders nested.
    has(u"<Directory Id=\"ProgramFiles64Folder\">");
    has(u"<Directory Id=\"VENDORFOLDER\" Name=\"ODAX Demo Co. Ltd\">");
    has(u"<File Id=\"ProgramFile\" Name=\"ODAXPrintDrive.exe\" Source=\"ODAXPrintDrive.exe\" "
        u"KeyPath=\"yes\"/>");
    has(u"<Directory Id=\"D1\" Name=\"CN\">");
    for (const char16_t* file : {u"CN/pos.inf", u"CN/label.inf", u"CN/odax.gpd", u"CN/odax.cat",
                                 u"EN/pos.inf", u"EN/odax.cat"})
        has(String(u"Source=\"") + file + u"\"");
    EXPECT_EQ(source.find(u"logo.jpg"), String::npos); // the wizard's pictures stay out
    // The folders the package made go with it.
    for (const char16_t* folder :
         {u"RemoveVendorFolder", u"RemoveKitFolder", u"RemoveD1", u"RemoveD2"})
        has(String(u"<RemoveFolder Id=\"") + folder + u"\" On=\"uninstall\"/>");
}

TEST_F(MsiFixture, CodesStayAcrossVersionsAndFollowThePrinter) {
    const kit::MsiPackage first = Plan(network_).package;
    EXPECT_EQ(Plan(network_).package.productCode, first.productCode); // made again: the same
    Replace("SoftVer=V2.3", "SoftVer=2.4.1");
    Seal();
    const kit::MsiPackage newer = Plan(network_).package;
    EXPECT_EQ(newer.upgradeCode, first.upgradeCode);
    EXPECT_NE(newer.productCode, first.productCode);
    // The same version with other options is another product of the same line.
    StringList elsewhere = network_;
    elsewhere[3] = u"192.168.1.51";
    const kit::MsiPackage moved = Plan(elsewhere).package;
    EXPECT_EQ(moved.upgradeCode, newer.upgradeCode);
    EXPECT_NE(moved.productCode, newer.productCode);
    // Another model, or a printer of its own name, is a line of its own.
    StringList other = network_;
    other[5] = u"ODAX-58";
    EXPECT_NE(Plan(other).package.upgradeCode, first.upgradeCode);
    StringList named = network_;
    named.insert(named.end(), {u"/name", u"Kitchen"});
    const kit::MsiPlan kitchen = Plan(named);
    EXPECT_NE(kitchen.package.upgradeCode, first.upgradeCode);
    EXPECT_EQ(kitchen.package.kitFolder, u"Kitchen");
    // A printer named on its own keeps its name when MODEL changes the model.
    const String source = kit::WixSource(kitchen.package, root_);
    EXPECT_EQ(source.find(u"ODAXPRINTER_MODEL"), String::npos);
    EXPECT_NE(source.find(u"<Property Id=\"ODAXPRINTER\" Value=\"Kitchen\"/>"), String::npos);
}

TEST_F(MsiFixture, AUsbSearchIsRemovedModelByModel) {
    const kit::MsiPlan plan = Plan({u"/connection", u"usb"});
    ASSERT_EQ(plan.refused, u"");
    EXPECT_EQ(plan.package.printer, u"");
    EXPECT_EQ(plan.package.kitFolder, u"USB printer");
    ASSERT_EQ(plan.package.modelRemovals.size(), 2u);
    const ParsedCommandLine second = ProgramReads(plan.package.modelRemovals[1], {});
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(FormatCommandLine(second.options), u"/quiet /remove /model ODAX-58");
    const String source = kit::WixSource(plan.package, root_);
    EXPECT_EQ(source.find(u"<Property Id=\"ODAXPRINTER\""), String::npos);
    EXPECT_NE(
        source.find(u"<Custom Action=\"OdaxRemoveModel2\" Sequence=\"3492\">REMOVE=&quot;ALL&quot; "
                    u"AND NOT UPGRADINGPRODUCTCODE AND NOT ODAXPRINTER</Custom>"),
        String::npos);
}

TEST_F(MsiFixture, TextsTheInstallerReadsAsItsOwnAreEscaped) {
    Replace("m1=ODAX-80,", "m1=R&D [80] {x},");
    Seal();
    const kit::MsiPlan plan = Plan(
        {u"/connection", u"network", u"/address", u"192.168.1.50", u"/model", u"R&D [80] {x}"});
    ASSERT_EQ(plan.refused, u"");
    // Brackets and braces would name properties; the program still gets the model.
    EXPECT_NE(plan.package.install.find(u"/model \"R&D [\\[]80[\\]] [\\{]x[\\}]\""), String::npos)
        << ToUtf8(plan.package.install);
    const ParsedCommandLine parsed = ProgramReads(plan.package.install, {});
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed.options.model, u"R&D [80] {x}");
    const String source = kit::WixSource(plan.package, root_);
    EXPECT_NE(source.find(u"Name=\"R&amp;D [80] {x} printer\""), String::npos);
    EXPECT_EQ(plan.package.kitFolder, u"RD 80 x");
}

TEST_F(MsiFixture, WhatNoPackageCanCarryIsRefusedWithItsReason) {
    const struct {
        const char* from;
        const char* to;
        StringList args;
        std::optional<kit::MsiArch> arch;
        const char16_t* reason;
    } cases[] = {
        {"SoftVer=V2.3", "SoftVer=beta", network_, std::nullopt,
         u"[CONFIG] SoftVer: \"beta\" holds no version number"},
        // The model in code page 936, the fixture's.
        {"m1=ODAX-80,",
         "m1=\xB4\xF2\xD3\xA1\xBB\xFA,",
         {u"/connection", u"network", u"/address", u"192.168.1.50", u"/model", u"打印机"},
         std::nullopt,
         u"the printer's name \"打印机\": it holds characters outside ASCII"},
        {"OEMID=ODAX",
         "OEMID=ODAX",
         {u"/connection", u"network", u"/address", u"192.168.1.50", u"/model", u"odax-80", u"/log",
          u"C:\\logs$\\odax.log"},
         std::nullopt,
         u"it holds '$', which wixl's preprocessor takes for a variable"},
        {"OEMID=ODAX", "OEMID=ODAX", network_, kit::MsiArch::X86, u"is a 64-bit program"},
        // The command's own checks come first, as deploy makes them.
        {"OEMID=ODAX",
         "OEMID=ODAX",
         {u"/connection", u"network", u"/address", u"999.1.1.1", u"/model", u"odax-80"},
         std::nullopt,
         u"the command would fail at the address check"},
    };
    for (const auto& c : cases) {
        const std::string before = Read(settings_);
        Replace(c.from, c.to);
        Seal();
        const kit::MsiPlan plan = Plan(c.args, c.arch);
        EXPECT_NE(plan.refused.find(c.reason), String::npos) << ToUtf8(plan.refused);
        Write(settings_, before);
    }
    // A file wixl would lose, and a program whose machine cannot be read without --arch.
    Write(root_ / "EN" / "说明.txt", "x");
    EXPECT_NE(Plan(network_).refused.find(u"the kit's file EN\\说明.txt"), String::npos);
    fs::remove(root_ / "EN" / "说明.txt");
    Write(root_ / "ODAXPrintDrive.exe", "MZ");
    EXPECT_NE(Plan(network_).refused.find(u"give --arch"), String::npos);
    EXPECT_EQ(Plan(network_, kit::MsiArch::X86).refused, u"");
}

TEST_F(MsiFixture, TheToolSaysWhichPackageBuildsIt) {
    EXPECT_THROW(kit::ParseArguments({u"msi", Target(), u"--arch", u"arm64"}), kit::UsageError);
    EXPECT_THROW(kit::ParseArguments({u"deploy", Target(), u"--out", u"x.msi"}), kit::UsageError);
    const kit::Command command =
        kit::ParseArguments({u"msi", Target(), u"--arch", u"x64", u"/connection", u"network",
                             u"--out", u"x.msi", u"/address", u"192.168.1.50"});
    EXPECT_EQ(command.arch, u"x64");
    EXPECT_EQ(command.out, u"x.msi");
    EXPECT_EQ(command.wizardArgs,
              (StringList{u"/connection", u"network", u"/address", u"192.168.1.50"}));

    // Without wixl on the path the source is kept where asked and the package named.
    const char* path = std::getenv("PATH");
    const std::string saved = path ? path : "";
    setenv("PATH", (root_ / "no-such-folder").c_str(), 1);
    StringList args = {u"msi",   Target(),
                       u"--out", kit::TextOf(root_ / "x.msi"),
                       u"--wxs", kit::TextOf(root_ / "x.wxs")};
    args.insert(args.end(), network_.begin(), network_.end());
    const kit::Result result = RunArgs(args);
    setenv("PATH", saved.c_str(), 1);
    EXPECT_EQ(result.exitCode, kit::kFailure);
    ASSERT_EQ(result.err.size(), 1u);
    EXPECT_NE(result.err[0].find(u"apt-get install wixl msitools"), String::npos);
    EXPECT_NE(Read(root_ / "x.wxs").find("<Product Id=\"{"), std::string::npos);
    EXPECT_FALSE(fs::exists(root_ / "x.msi"));
}
