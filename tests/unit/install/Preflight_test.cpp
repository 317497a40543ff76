// The checks before a run, on a kit held in memory: each check's findings, their exit codes,
// the wizard's texts they carry, and the order the whole preflight takes them in.
#include "install/Preflight.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "base/Errors.h"

namespace {

// A kit as the checks read it, changed by each test as it needs.
class MemoryKit final : public IKitView {
  public:
    bool settings = true, program = true, library = true;
    std::set<String> files{u"EN\\pos.inf", u"CN\\pos.inf", u"EN\\label.inf", u"CN\\label.inf"};
    std::map<std::pair<String, String>, String> values{
        {{u"CONFIG", u"POSInfFileName"}, u"pos.inf"},
        {{u"CONFIG", u"LabelInfFileName"}, u"label.inf"}};
    StringList models{u"POS-80,VID_1A2B,PID_3C4D", u"POS-58,VID_1A2B,PID_3C4E"};
    std::optional<String> sealFault;
    bool sealUnreadable = false;

    bool HasSettings() override { return settings; }
    bool HasProgram() override { return program; }
    bool HasLibrary() override { return library; }
    bool HasFile(const String& relative) override { return files.count(relative) > 0; }
    String Value(const String& section, const String& key) override {
        auto it = values.find({section, key});
        return it == values.end() ? String() : it->second;
    }
    StringList Values(const String& section) override {
        return section == u"model_POS" ? models : StringList{};
    }
    std::optional<String> SealFault() override {
        if (sealUnreadable) throw Exception(u"The process cannot access the file");
        return sealFault;
    }
};

const ConnectionType& Serial() {
    return ConnectionOf(TEnumPort::RS232);
}

} // namespace

TEST(Preflight, KitFilesAndSealAreTheKitsRefusals) {
    MemoryKit kit;
    EXPECT_FALSE(preflight::KitFiles(kit));
    EXPECT_FALSE(preflight::Seal(kit));

    kit.settings = kit.library = false;
    const std::optional<Finding> missing = preflight::KitFiles(kit);
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->exitCode, ExitCode::KitRefused);
    EXPECT_EQ(missing->reason, u"install.dat, USBPrinterlibary.dll missing from the kit folder");
    EXPECT_EQ(missing->refusal, &kMissingFiles); // built in: the kit cannot be trusted

    kit.sealFault = u"changed after sealing";
    const std::optional<Finding> broken = preflight::Seal(kit);
    ASSERT_TRUE(broken);
    EXPECT_EQ(broken->refusal, &kIntegrity);
    EXPECT_EQ(broken->reason, u"changed after sealing");

    // A seal that cannot be computed is the read's error, which the wizard raises.
    kit.sealUnreadable = true;
    const std::optional<Finding> unread = preflight::Seal(kit);
    ASSERT_TRUE(unread);
    EXPECT_EQ(unread->exitCode, ExitCode::KitRefused);
    EXPECT_EQ(unread->refusal, nullptr);
    EXPECT_EQ(unread->error, u"The process cannot access the file");
    EXPECT_EQ(unread->WizardText(), u"The process cannot access the file");
}

TEST(Preflight, AShortModelLineRefusesTheKitAndKeepsTheModelsBeforeIt) {
    MemoryKit kit;
    kit.models = {u"POS-80,VID_1A2B,PID_3C4D", u"POS-58,VID_1A2B", u"POS-76,VID_1,PID_2"};
    const preflight::Models models = preflight::ModelTableOf(kit);
    ASSERT_EQ(models.table.size(), 1u);
    EXPECT_EQ(models.table[0].PrintName, u"POS-80");
    ASSERT_TRUE(models.finding);
    EXPECT_EQ(models.finding->exitCode, ExitCode::KitRefused);
    EXPECT_EQ(models.finding->check, PreflightCheck::Model);
    EXPECT_EQ(models.finding->error, u"List index out of bounds (2)"); // the wizard's text
    EXPECT_NE(models.finding->reason.find(u"\"POS-58,VID_1A2B\""), String::npos);

    // The preflight stops at it, whatever model is named.
    PreflightRequest request;
    request.connection = &Serial();
    request.port = u"COM1";
    request.model = u"POS-80";
    const PreflightResult result = Preflight(kit, request);
    ASSERT_TRUE(result.Failed());
    EXPECT_EQ(result.Failed()->exitCode, ExitCode::KitRefused);
}

TEST(Preflight, TheModelIsSafeOnACommandLineAndOneOfTheKits) {
    const std::vector<TPrintModelInfo> table{{u"POS-80 ", u"V", u"P", u""},
                                             {u"R\"58", u"V", u"P", u""}};
    const struct {
        const char16_t* name;
        std::optional<ExitCode> code;
        const char16_t* found; // the kit's spelling
    } cases[] = {
        {u"pos-80", std::nullopt, u"POS-80 "},
        {u" POS-80", std::nullopt, u"POS-80 "},
        {u"POS-99", ExitCode::BadValue, u""},
        {u"R\"58", ExitCode::BadValue, u""}, // a kit model, but no command line carries it
        {u"", std::nullopt, u""},            // USB: the search picks one of the table's
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.name));
        std::optional<TPrintModelInfo> found;
        const std::optional<Finding> f = preflight::KnownModel(table, c.name, found);
        EXPECT_EQ(f ? std::optional<ExitCode>(f->exitCode) : std::nullopt, c.code);
        EXPECT_EQ(found ? found->PrintName : String(), c.found);
    }
    std::optional<TPrintModelInfo> found;
    const std::optional<Finding> quote = preflight::KnownModel(table, u"R\"58", found);
    ASSERT_TRUE(quote);
    EXPECT_EQ(quote->caption, &caption::kDoubleQuote);
    EXPECT_EQ(quote->value, u"R\"58");
    EXPECT_EQ(quote->reason, u"/model \"R\"58\" holds a double quote");
    // Nothing for a USB search to pick.
    const std::optional<Finding> none = preflight::KnownModel({}, u"", found);
    ASSERT_TRUE(none);
    EXPECT_EQ(none->exitCode, ExitCode::NoUsbPrinter);
}

TEST(Preflight, AnAddressIsFourNumbersWithoutItsBlanks) {
    const struct {
        const char16_t* typed;
        bool valid;
        const char16_t* cleaned;
    } cases[] = {
        {u"192.168.1.50", true, u"192.168.1.50"},
        {u"192.168.1. 50", true, u"192.168.1.50"},
        {u"192.168.1  .100", true, u"192.168.1.100"}, // the wizard's masked field
        {u"10.0.x.7", false, u"10.0.x.7"},            // no number: a finding, not an error
        {u"10.0.0.256", false, u"10.0.0.256"},
        {u"0.0.0.0", false, u"0.0.0.0"},
        {u"1.2.3", false, u"1.2.3"},
        {u"", false, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.typed));
        String cleaned;
        const std::optional<Finding> f = preflight::Address(c.typed, cleaned);
        EXPECT_EQ(!f, c.valid);
        EXPECT_EQ(cleaned, c.cleaned);
        if (f) {
            EXPECT_EQ(f->exitCode, ExitCode::BadValue);
            EXPECT_EQ(f->caption, &caption::kInvalidAddress);
            EXPECT_EQ(f->reason, u"/address \"" + String(c.typed) + u"\" is no IPv4 address");
        }
    }
}

TEST(Preflight, APortIsListedByTheSystemOrAtLeastOfItsKind) {
    const StringList system{u"COM1:", u"COM2:", u"LPT1:"};
    const struct {
        const char16_t* port;
        bool known; // the system's ports are given
        bool ok;
        const char16_t* listed;
    } cases[] = {
        {u"COM2", true, true, u"COM2:"}, // the system's spelling
        {u"com1:", true, true, u"COM1:"},
        {u"COM9", true, false, u""},
        {u"LPT1", true, false, u""},     // listed, but no serial port
        {u"COM9", false, true, u"COM9"}, // not known here: its kind will do
        {u"LPT1", false, false, u""},
        {u"COM1\\", true, false, u""}, // would break the command line
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.port) + (c.known ? " known" : " unknown"));
        String listed;
        const std::optional<StringList> offered =
            c.known ? std::optional<StringList>(PortsOf(Serial(), system)) : std::nullopt;
        const std::optional<Finding> f = preflight::Port(Serial(), c.port, offered, listed);
        EXPECT_EQ(!f, c.ok);
        if (c.ok) {
            EXPECT_EQ(listed, c.listed);
        } else {
            EXPECT_EQ(f->exitCode, ExitCode::BadValue);
        }
    }
    String listed;
    const std::optional<Finding> none = preflight::Port(Serial(), u"", StringList{}, listed);
    ASSERT_TRUE(none);
    EXPECT_EQ(none->caption, &caption::kPortNotListed);
    EXPECT_EQ(none->reason,
              u"/port \"\": no such serial port on this computer; its serial ports are none");
}

TEST(Preflight, TheDriverFileIsNamedSafeAndInEveryLanguageFolderAsked) {
    const std::vector<const LanguageInfo*> english{&LanguageOf(TOSLanguage::EN)};
    const std::vector<const LanguageInfo*> both{&LanguageOf(TOSLanguage::CN),
                                                &LanguageOf(TOSLanguage::EN)};
    MemoryKit kit;
    EXPECT_FALSE(preflight::Driver(kit, false, both));
    EXPECT_FALSE(preflight::Driver(kit, true, both));

    kit.files.erase(u"CN\\pos.inf");
    EXPECT_FALSE(preflight::Driver(kit, false, english)); // the PC's language has it
    const std::optional<Finding> missing = preflight::Driver(kit, false, both);
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->exitCode, ExitCode::SetupFailed);
    EXPECT_EQ(missing->reason, u"CN\\pos.inf missing from the kit: the printer setup would fail");

    kit.values[{u"CONFIG", u"LabelInfFileName"}] = u"..\\label.inf";
    const std::optional<Finding> unsafe = preflight::Driver(kit, true, both);
    ASSERT_TRUE(unsafe);
    EXPECT_EQ(unsafe->exitCode, ExitCode::BadValue);
    EXPECT_EQ(unsafe->caption, &caption::kUnsafeValue);

    kit.values[{u"CONFIG", u"POSInfFileName"}] = u" ";
    const std::optional<Finding> empty = preflight::Driver(kit, false, english);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->exitCode, ExitCode::SetupFailed);
}

TEST(Preflight, ChecksRunInOrderAndTheSystemIsAskedOnlyForAPort) {
    MemoryKit kit;
    int asked = 0;
    PreflightRequest request;
    request.connection = &Serial();
    request.port = u"COM2";
    request.model = u"pos-58";
    request.systemPorts = [&] {
        ++asked;
        return StringList{u"COM1:", u"COM2:"};
    };
    request.languages = {&LanguageOf(TOSLanguage::EN)};

    PreflightResult ok = Preflight(kit, request);
    EXPECT_FALSE(ok.Failed());
    std::vector<PreflightCheck> made;
    for (const CheckOutcome& c : ok.checks)
        made.push_back(c.check);
    EXPECT_EQ(made, (std::vector<PreflightCheck>{PreflightCheck::KitFiles, PreflightCheck::Seal,
                                                 PreflightCheck::Model, PreflightCheck::Port,
                                                 PreflightCheck::Driver}));
    EXPECT_EQ(ok.model->PrintName, u"POS-58");
    EXPECT_EQ(ok.port, u"COM2:");
    EXPECT_EQ(asked, 1);

    // A run stops at the first finding: the system is not asked after a broken seal.
    kit.sealFault = u"changed";
    PreflightResult stopped = Preflight(kit, request);
    EXPECT_EQ(stopped.checks.size(), 2u);
    EXPECT_EQ(stopped.Failed()->check, PreflightCheck::Seal);
    EXPECT_EQ(asked, 1);

    // A tool sees every check, the first finding deciding.
    request.stopAtFirst = false;
    request.model = u"POS-99";
    PreflightResult all = Preflight(kit, request);
    EXPECT_EQ(all.checks.size(), 5u);
    EXPECT_EQ(all.Failed()->check, PreflightCheck::Seal);
    EXPECT_TRUE(all.checks[2].finding); // the model too
    EXPECT_EQ(asked, 2);

    // A removal checks the kit and the model only; a network run its address.
    request.stopAtFirst = true;
    kit.sealFault.reset();
    request.connection = nullptr;
    request.model = u"POS-80";
    EXPECT_EQ(Preflight(kit, request).checks.size(), 3u);
    request.connection = &ConnectionOf(TEnumPort::NET);
    request.address = u"10.0.0.7";
    const PreflightResult network = Preflight(kit, request);
    EXPECT_EQ(network.checks[3].check, PreflightCheck::Address);
    EXPECT_EQ(network.port, u"10.0.0.7");
    EXPECT_EQ(asked, 2);
}
