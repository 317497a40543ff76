#include "printing/untFuction.h"

#include <memory>
#include <optional>
#include <vector>

#include "base/Errors.h"
#include "config/CaptionKeys.h"
#include "config/ValueForms.h"
#include "config/untIni.h"
#include "language/untLanguages.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/MessagePump.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "printing/SystemCommands.h"
#include "session/InstallLog.h"

void CheckResult(bool b) {
    if (b) return;
    const std::uint32_t code = Processes::Get().LastError();
    throw EOSError(SysErrorMessage(code), code);
}

String DecodeCommandOutput(std::string_view bytes) {
    if (bytes.empty()) return {};
    const String text = DecodeMarkedText(bytes);

    // A line list re-joined: a final line break does not make an extra empty line.
    String result;
    result.reserve(text.size() + text.size() / 16);
    size_t start = 0;
    const size_t n = text.size();
    while (start < n) {
        size_t end = start;
        while (end < n && text[end] != u'\r' && text[end] != u'\n') ++end;
        result.append(text, start, end - start);
        result += u"\r\n";
        if (end < n && text[end] == u'\r') {
            ++end;
            if (end < n && text[end] == u'\n') ++end;
        } else if (end < n) {
            ++end;
        }
        start = end;
    }
    return result;
}

String RunDOS(const String& CommandLine, std::uint32_t timeLimitMs) {
    std::string output;
    IProcesses& processes = Processes::Get();
    if (!processes.RunHidden(CommandLine, output, timeLimitMs)) {
        const std::uint32_t code = processes.LastError();
        installlog::Line(
            u"Command: " + CommandLine + u"\r\n" +
                (code == kErrorTimeout ? u"Ended at its time limit: " : u"Could not be started: ") +
                SysErrorMessage(code),
            installlog::Severity::Error);
        // The system's text alone would not say which command did not end.
        if (code == kErrorTimeout)
            throw EOSError(SysErrorMessage(kErrorTimeout) + u": " + CommandLine, kErrorTimeout);
        throw EOSError(SysErrorMessage(code), code);
    }
    String text = DecodeCommandOutput(output);
    installlog::Command(CommandLine, processes.LastExitCode(), text);
    return text;
}

void WaitTime(std::int32_t MSecs) {
    IClock& clock = Clock::Get();
    const std::uint32_t start = clock.GetTickCount();
    for (;;) {
        clock.Sleep(1);
        Pump();
        const std::uint32_t now = clock.GetTickCount();
        const auto elapsed = static_cast<std::int32_t>(now - start);
        if (elapsed >= MSecs || static_cast<std::int32_t>(now) < static_cast<std::int32_t>(start))
            break;
    }
}

// ---- Standard TCP/IP ports ----

namespace {

// A failed value write of a port key; the port creation turns it into failure path A.
class ERegistryException : public Exception {
    using Exception::Exception;
};

const char16_t kControlSet001Ports[] =
    u"SYSTEM\\ControlSet001\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\";
const char16_t kCurrentControlSetPorts[] =
    u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\";

struct PortValue {
    String name;
    std::uint32_t type;
    String text;          // REG_SZ
    std::uint32_t number; // REG_DWORD

    std::string Bytes() const {
        return type == regtype::SZ ? RegSzBytes(text) : RegDwordBytes(number);
    }
    // The wait dialog's line after the write, with the full-width colon.
    String MemoLine() const {
        return name + u"\uFF1A" + (type == regtype::SZ ? text : IntToStr(number));
    }
};

std::vector<PortValue> PortValues(const String& address) {
    return {
        {u"HostName", regtype::SZ, address, 0},
        {u"IPAddress", regtype::SZ, u"", 0},
        {u"HWAddress", regtype::SZ, u"", 0},
        {u"SNMP Community", regtype::SZ, u"public", 0},
        {u"Protocol", regtype::DWORD, u"", 1},
        {u"Version", regtype::DWORD, u"", 2},
        {u"PortNumber", regtype::DWORD, u"", 9100},
        {u"SNMP Enabled", regtype::DWORD, u"", 0},
        {u"SNMP Index", regtype::DWORD, u"", 1},
        {u"PortMonMibPortIndex", regtype::DWORD, u"", 0},
    };
}

// The registry side of one port creation. The access is taken when the first key is opened
// and released once, by Release() or at the latest when the writer goes.
class PortKeyWriter {
  public:
    void Open(const String& path) {
        if (!access_) access_ = Registry::Get().OpenLocalMachine();
        key_.reset();
        // An unopened key shows as a failure of the first write.
        access_->CreateKey(path, key_);
    }
    void Write(const PortValue& v) {
        if (!key_ || key_->SetValue(v.name, v.type, v.Bytes()) != 0)
            throw ERegistryException(u"Failed to set data for '" + v.name + u"'");
    }
    void CloseKey() { key_.reset(); }
    void Release() {
        key_.reset();
        access_.reset();
    }

  private:
    std::unique_ptr<IRegistryAccess> access_;
    std::unique_ptr<IRegistryKey> key_; // declared last: closed before the access goes
};

StringList SplitAddress(const String& ip) {
    StringList pieces;
    const size_t n = ip.size();
    size_t i = 0;
    while (i <= n) {
        while (i < n && ip[i] == u' ')
            ++i;
        size_t end = ip.find(u'.', i);
        if (end == String::npos) end = n;
        if (end > i) pieces.push_back(ip.substr(i, end - i));
        i = end + 1;
    }
    return pieces;
}

} // namespace

bool IsValidIP(const String& ip) {
    const StringList pieces = SplitAddress(ip);
    if (pieces.size() != 4) return false;
    // Pieces are converted only when a test reaches them, so a piece after a decisive one
    // never raises.
    std::optional<std::int32_t> values[4];
    auto value = [&](size_t i) {
        if (!values[i]) values[i] = StrToInt(pieces[i]);
        return *values[i];
    };
    bool allZero = true;
    for (size_t i = 0; i < 4 && allZero; ++i)
        allZero = value(i) == 0;
    if (allZero) return false;
    for (size_t i = 0; i < 4; ++i)
        if (value(i) > 255) return false;
    return true;
}

bool CreateNewIpPort(const String& NewIP, IReport& progress) {
    auto text = [](const CaptionKey& key) { return CaptionText(LCaption, key); };
    auto log = [&](const String& line) { progress.Log(line); };
    const std::vector<PortValue> values = PortValues(NewIP);

    enum class Stage { Preparing, FirstKey, SecondKey, Finishing };
    Stage stage = Stage::Preparing;
    PortKeyWriter reg;
    try {
        try {
            const String section = IniOptions->GetCaptionLanguage();
            progress.Begin(CaptionText(section, caption::kPortCreationTitle),
                           CaptionText(section, caption::kPortCreationHeading),
                           CaptionText(section, caption::kWaitButton));
            progress.Steps(22);
            progress.ClearLog();
            progress.Cancellable(false);

            log(text(caption::kPortSpoolerStopping));
            Pump();
            WaitTime(2000);
            Pump();
            progress.Step();
            // The keys are written even when the spooler did not stop.
            RunSpoolerCommand(SpoolerAction::Stop);
            Pump();
            log(text(caption::kPortSpoolerStopped));
            progress.Step();

            stage = Stage::FirstKey;
            reg.Open(kControlSet001Ports + NewIP);
            log(text(caption::kPortKeyOpened));
            progress.Step();
            Pump();
            for (const PortValue& v : values) {
                reg.Write(v);
                log(v.MemoLine());
                progress.Step();
            }
            reg.CloseKey();

            stage = Stage::SecondKey;
            reg.Open(kCurrentControlSetPorts + NewIP);
            for (const PortValue& v : values) {
                reg.Write(v);
                log(v.MemoLine());
            }
            reg.CloseKey();

            stage = Stage::Finishing;
            reg.Release();
            RunSpoolerCommand(SpoolerAction::Start);
            log(text(caption::kPortLineStart) + NewIP + text(caption::kPortLineEnd));
            progress.Finish();
            WaitTime(2000);
            Pump();
            progress.Cancellable(true);
            progress.Message(text(caption::kMessageTitle),
                             text(caption::kPortLineStart) + NewIP + u"," +
                                 text(caption::kPortCreated),
                             Notice::Information);
            return true;
        } catch (const ERegistryException&) {
            // A: what was written stays; nothing is rolled back.
            if (stage == Stage::SecondKey) progress.Cancellable(true);
            RunSpoolerCommand(SpoolerAction::Start);
            Pump();
            WaitTime(2000);
            progress.Cancellable(true);
            reg.Release();
            return false;
        }
    } catch (const std::exception&) {
        // B, also when the restart of path A or of the normal end could not be started: one
        // more try; if that cannot be started either, the caller hears of it.
        RunSpoolerCommand(SpoolerAction::Start);
        WaitTime(2000);
        Pump();
        reg.Release();
        return false;
    }
}
