#pragma once
// A whole wizard on a temporary kit: the real units, the emulated profile functions on a
// real install.dat, fake processes, spooler, message boxes and library, and the headless
// window backend. Tests drive it as a user would and read what the user would see.
#include <unistd.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "base/Errors.h"
#include "config/ConfigSeal.h"
#include "config/untIni.h"
#include "dialogs/untAbout.h"
#include "dialogs/untWait.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeLogFiles.h"
#include "fakes/FakeSystem.h"
#include "install/untModels.h"
#include "platform/Libraries.h"
#include "platform/Locale.h"
#include "platform/Pictures.h"
#include "platform/Spooler.h"
#include "platform/TempFolder.h"
#include "platform/emulated/EmulatedFiles.h"
#include "platform/emulated/EmulatedProfile.h"
#include "platform/emulated/EmulatedServiceControl.h"
#include "printing/untSystemPrinterInfo.h"
#include "session/PrintModel.h"
#include "shell/untMain.h"
#include "ui/Dispatch.h"
#include "ui/headless/HeadlessBackend.h"
#include "usb/untUsbDLLinitalize.h"

class FakeSpooler final : public ISpooler {
public:
    StringList ports;
    StringList printers;
    std::uint32_t failWith = 0; // an error other than a small buffer
    bool ListPorts(std::uint32_t bufferSize, std::uint32_t& bytesNeeded, StringList& names) override {
        names.clear();
        std::uint32_t needed = 0;
        for (const auto& p : ports) needed += 16 + 2 * static_cast<std::uint32_t>(p.size() + 1);
        bytesNeeded = needed;
        if (failWith) {
            error = failWith;
            return false;
        }
        if (bufferSize < needed) {
            error = kErrorInsufficientBuffer;
            return false;
        }
        names = ports;
        return true;
    }
    std::uint32_t error = 0;
    std::uint32_t LastError() override { return error; }
    StringList ListPrinters() override { return printers; }
    // Port and driver of a listed printer, by its name; a printer missing here has neither.
    std::map<String, std::pair<String, String>> setups;
    std::vector<String> opened; // every printer name asked about
    bool CanOpenPrinter(const String& name) override {
        opened.push_back(name);
        for (const auto& p : printers)
            if (p == name) return true;
        return false;
    }
    PrinterSetup ReadPrinter(const String& name) override {
        PrinterSetup found;
        if (!CanOpenPrinter(name)) return found;
        found.exists = true;
        auto it = setups.find(name);
        if (it != setups.end()) std::tie(found.port, found.driver) = it->second;
        return found;
    }

    // Jobs as the printer would receive them, in order.
    struct Job {
        String printer, document;
        std::string raw;      // a raw job's bytes
        StringList pageLines; // a driver page's text
        bool rawJob = false;
    };
    std::vector<Job> jobs;
    String sendError; // a job is refused with this text when set
    // What each read of the job reports, in order; the last one stays. Queued when empty.
    std::deque<JobState> jobStates;
    int jobReads = 0;
    SentJob SendRawJob(const String& printer, const String& document,
                       const std::string& bytes) override {
        if (!sendError.empty()) return {0, sendError};
        jobs.push_back({printer, document, bytes, {}, true});
        return {static_cast<std::uint32_t>(jobs.size()) + 40, {}};
    }
    SentJob PrintTextPage(const String& printer, const String& document,
                          const StringList& lines) override {
        if (!sendError.empty()) return {0, sendError};
        jobs.push_back({printer, document, {}, lines, false});
        return {static_cast<std::uint32_t>(jobs.size()) + 40, {}};
    }
    JobState ReadJob(const String& printer, std::uint32_t id) override {
        ++jobReads;
        EXPECT_EQ(id, jobs.size() + 40) << "the job read is the one sent";
        EXPECT_EQ(printer, jobs.empty() ? String() : jobs.back().printer);
        if (jobStates.empty()) return {};
        const JobState state = jobStates.front();
        if (jobStates.size() > 1) jobStates.pop_front();
        return state;
    }
};

// The USB library as the wizard binds it: entry points by name, some may be missing. Names
// are refused as the real service refuses them; every name asked for is kept.
class FakeLibraries final : public ILibraries {
public:
    std::map<std::string, void*> symbols;
    bool loadable = true;
    int loads = 0;
    std::vector<String> paths;       // asked for with Load
    std::vector<String> systemNames; // asked for with LoadSystem
    void* Load(const String& path) override {
        ++loads;
        paths.push_back(path);
        return loadable && IsFullPath(path) ? this : nullptr;
    }
    void* LoadSystem(const String& name) override {
        systemNames.push_back(name);
        return IsLibraryFileName(name) ? this : nullptr;
    }
    void* Symbol(void*, const char* name) override {
        auto it = symbols.find(name);
        return it == symbols.end() ? nullptr : it->second;
    }
};

class FakeLocale final : public ILocale {
public:
    std::optional<String> value = String(u"0409");
    std::optional<String> LocaleValue(std::uint32_t) override { return value; }
};

// Platform pictures: a bmp decodes to a 2x2 bitmap unless its file says "broken".
class FakePictures final : public IPictures {
public:
    Bitmap Decode(const String& path, PictureKind) override {
        std::string bytes;
        std::uint32_t error = 0;
        if (!Files::Get().ReadExclusive(path, bytes, error) || bytes.find("broken") != std::string::npos)
            throw Exception(u"bad picture");
        Bitmap b;
        b.width = b.height = 2;
        b.pixels.assign(4, 0xFF00FF00u);
        return b;
    }
};

// The real Linux files, with the program living in C:\Setup unless a test moves it: its folder
// is the kit folder, which is also the working folder of the tests.
class KitFiles final : public IFiles {
public:
    EmulatedFiles real;
    String module = u"C:\\Setup\\ODAXPrintDrive.exe";
    // The system error a read of install.dat fails with (32: held open by another program,
    // 5: access denied); 0 reads it.
    std::uint32_t settingsReadError = 0;
    int settingsReads = 0; // exclusive reads of install.dat asked for
    bool FileExists(const String& p) override { return real.FileExists(InKit(p)); }
    bool ReadExclusive(const String& p, std::string& b, std::uint32_t& e) override {
        const String settings = u"install.dat";
        if (p.size() >= settings.size() &&
            SameText(StringView(p).substr(p.size() - settings.size()), settings)) {
            ++settingsReads;
            if (settingsReadError) {
                e = settingsReadError;
                return false;
            }
        }
        return real.ReadExclusive(InKit(p), b, e);
    }
    String InKit(const String& p) const {
        const size_t folder = module.find_last_of(u'\\') + 1;
        return p.compare(0, folder, module, 0, folder) == 0 ? u".\\" + p.substr(folder) : p;
    }
    String FullPath(const String& p) override { return real.FullPath(p); }
    String ModuleFileName() override { return module; }
};

// Entry points of a scripted USB library.
namespace fakeusb {
inline std::string answer;     // bytes written into the caller's buffer
inline std::int32_t count = 0; // the count reported
inline std::int32_t version = 12;
inline int calls = 0;
inline bool USBLIB_CALL GetUSBPortNameList(char* buffer, std::int32_t* n) {
    ++calls;
    std::copy(answer.begin(), answer.end(), buffer);
    *n = count;
    return true;
}
inline std::int32_t USBLIB_CALL GetPrinterLibVersion(std::int32_t* v) {
    *v = version;
    return 1;
}
} // namespace fakeusb

// Settings text with the first `from` replaced by `to`; a test fails when `from` is missing.
inline std::string With(std::string settings, const std::string& from, const std::string& to) {
    const size_t at = settings.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? settings : settings.replace(at, from.size(), to);
}

struct WizardFixture {
    TempFolder kit;
    FakeSystem sys;
    FakeDialogs dialogs;
    FakeSpooler spooler;
    FakeLibraries libraries;
    FakeLocale locale;
    FakePictures pictures;
    KitFiles files;
    EmulatedProfile profile{kit / "win.ini"};
    ui::HeadlessBackend backend;
    // The spooler stopped unless a test says otherwise, so the start-up starts it.
    EmulatedServiceControl services;
    ScopedService<IDialogs> s1{dialogs};
    ScopedService<ISpooler> s2{spooler};
    ScopedService<ILibraries> s3{libraries};
    ScopedService<ILocale> s4{locale};
    ScopedService<IPictures> s5{pictures};
    ScopedService<IFiles> s6{files};
    ScopedService<IProfile> s7{profile};
    ScopedService<ui::IWindowBackend> s8{backend};
    FakeLogFiles logFiles;
    ScopedService<ILogFiles> s9{logFiles};
    ScopedService<IServiceControl> s10{services};
    std::string previousDir;

    // win.ini's [windows] device: the default printer as the profile functions keep it.
    String WinIniDevice() {
        char16_t buffer[300] = {};
        const auto n =
            profile.GetProfileStringW(String(u"windows"), String(u"device"), String(), buffer, 300);
        return String(buffer, n);
    }


    // A complete, sealed settings file in code page 936 unless a test changes it.
    static std::string DefaultSettings();

    // Without `windows` only the units are set up, as for an operation run on its own.
    explicit WizardFixture(const std::string& settings = DefaultSettings(), bool seal = true,
                           bool windows = true);
    ~WizardFixture();

    // Writes install.dat (text in UTF-8, stored in code page 936 or, with `utf16`, as UTF-16LE
    // with a byte-order mark), sealed if asked.
    void WriteSettings(const std::string& utf8, bool seal = true, bool utf16 = false);
    // Creates the windows and runs the start-up as the program entry does.
    void Start();
    // A click as a user makes it: errors end in the standard error box.
    void Click(ui::Control* control);
    // Texts of every message box shown so far, in order.
    std::vector<String> BoxTexts() const;
};
