// Times network installation runs of the wizard, without their fixed waits, against the time
// its commands (spooler stop and starts, the printer-setup command) take in the same runs:
// what is left is the wizard's own work (settings reads, registry writes, windows, checks).
//
//   install-bench.exe [runs] [address]
//
// It runs in a kit folder (install.dat, EN\, CN\) with the rundll32 and net stand-ins beside
// it. The windows are headless; message boxes are answered as a user keeping everything as
// it is would answer them (OK, No).
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "config/untIni.h"
#include "dialogs/untWait.h"
#include "install/untModels.h"
#include "language/untLanguages.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/MessagePump.h"
#include "platform/Processes.h"
#include "platform/Profile.h"
#include "printing/untFuction.h"
#include "printing/untSystemPrinterInfo.h"
#include "session/PrintModel.h"
#include "shell/untMain.h"
#include "ui/headless/HeadlessBackend.h"

// After the portable headers: <windows.h> turns names such as MessageBox and IDOK into macros.
#include <windows.h>

#include "platform/windows/WinServices.h"
#include "platform/windows/WindowsServices.h"
#undef MessageBox

namespace {

double NowMs() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// The real command runner, timing each command.
class TimedProcesses final : public IProcesses {
  public:
    explicit TimedProcesses(IProcesses& inner) : inner_(inner) {}
    double spentMs = 0;
    int count = 0;
    bool RunHidden(const String& commandLine, std::string& output,
                   std::uint32_t timeLimitMs) override {
        const double start = NowMs();
        const bool ok = inner_.RunHidden(commandLine, output, timeLimitMs);
        spentMs += NowMs() - start;
        ++count;
        return ok;
    }
    std::uint32_t LastError() override { return inner_.LastError(); }
    std::uint32_t LastExitCode() override { return inner_.LastExitCode(); }
    String SystemErrorText(std::uint32_t code) override { return inner_.SystemErrorText(code); }

  private:
    IProcesses& inner_;
};

// The real message pump, timing each round.
class TimedPump final : public IMessagePump {
  public:
    explicit TimedPump(IMessagePump& inner) : inner_(inner) {}
    double spentMs = 0;
    int count = 0;
    void ProcessMessages() override {
        const double start = NowMs();
        inner_.ProcessMessages();
        spentMs += NowMs() - start;
        ++count;
    }
    void PostQuit(int exitCode) override { inner_.PostQuit(exitCode); }

  private:
    IMessagePump& inner_;
};

// The real profile functions, timing each call (settings reads and their cache flushes).
class TimedProfile final : public IProfile {
  public:
    explicit TimedProfile(IProfile& inner) : inner_(inner) {}
    double spentMs = 0;
    int count = 0;
    std::uint32_t GetPrivateProfileStringW(const ProfileArg& a, const ProfileArg& k,
                                           const ProfileArg& d, char16_t* out, std::uint32_t size,
                                           const String& file) override {
        const double start = NowMs();
        const std::uint32_t n = inner_.GetPrivateProfileStringW(a, k, d, out, size, file);
        spentMs += NowMs() - start;
        ++count;
        return n;
    }
    bool WritePrivateProfileStringW(const ProfileArg& a, const ProfileArg& k, const ProfileArg& v,
                                    const String& file) override {
        const double start = NowMs();
        const bool ok = inner_.WritePrivateProfileStringW(a, k, v, file);
        spentMs += NowMs() - start;
        ++count;
        return ok;
    }

  private:
    IProfile& inner_;
};

// Time that passes only when slept: the fixed waits cost their loop of pumps, not their
// length.
class ImpatientClock final : public IClock {
  public:
    std::uint32_t GetTickCount() override { return now_; }
    void Sleep(std::uint32_t milliseconds) override { now_ += milliseconds; }
    LocalTime Now() override { return WindowsClock().Now(); }

  private:
    std::uint32_t now_ = 1000;
};

class Answers final : public IDialogs {
  public:
    int boxes = 0;
    int MessageBox(const String&, const String&, std::uint32_t flags) override {
        ++boxes;
        return (flags & 0xF) == MB_YESNO ? IDNO : IDOK;
    }
    void ShellOpen(const String&) override {}
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = std::max(1, argc > 1 ? _wtoi(argv[1]) : 5);
    const String address = argc > 2 ? String(argv[2], argv[2] + wcslen(argv[2])) : u"192.168.1.100";

    InstallWindowsServices();
    TimedProcesses processes(WindowsProcesses());
    TimedPump pump(WindowsMessagePump());
    TimedProfile profile(WindowsProfile());
    ImpatientClock clock;
    Answers answers;
    ui::HeadlessBackend backend;
    Processes::Install(&processes);
    MessagePump::Install(&pump);
    Profile::Install(&profile);
    Clock::Install(&clock);
    Dialogs::Install(&answers);
    WindowBackend::Install(&backend);

    CreateIniOptions();
    CreateSysPrint();
    LCaption = IniOptions->GetCaptionLanguage();
    TfrmMain main;
    TfrmWait wait;
    frmMain = &main;
    frmWait = &wait;
    main.pcPage->SetActivePageIndex(2);
    main.meText->SetText(address);
    const StringList models = IniOptions->GetAllIdentValue(u"model_POS");
    if (models.empty()) {
        std::fprintf(stderr, "no models in .\\install.dat: run this in a kit folder\n");
        return 2;
    }
    PrintSetupInfo.PrintName = CutModelLine(models.front()).at(0);
    const String remove =
        u"rundll32 printui.dll,PrintUIEntry /dd /m \"" + PrintSetupInfo.PrintName + u"\"";

    struct Run {
        double total, commands, pumps, settings;
        int commandCount, pumpCount, settingsCalls;
    };
    std::vector<Run> done;
    for (int i = 0; i < runs; ++i) {
        // Every run starts without the printer, as a first installation does.
        RunDOS(remove);
        processes.spentMs = pump.spentMs = profile.spentMs = 0;
        processes.count = pump.count = profile.count = 0;
        const double start = NowMs();
        main.btnStartInstall->Click();
        done.push_back({NowMs() - start, processes.spentMs, pump.spentMs, profile.spentMs,
                        processes.count, pump.count, profile.count});
        if (main.StatusBar1->PanelText(1) != CaptionOrBuiltIn(caption::kStatusReady)) {
            std::fprintf(stderr, "run %d did not end as a success: %s\n", i + 1,
                         ToUtf8(main.StatusBar1->PanelText(1)).c_str());
            return 1;
        }
    }
    // The run of median length, with what its time went to.
    std::sort(done.begin(), done.end(),
              [](const Run& a, const Run& b) { return a.total < b.total; });
    const Run& r = done[done.size() / 2];
    const double own = r.total - r.commands;
    std::printf("network install of %s, median of %d runs: %.1f ms without its fixed waits, of "
                "which its %d commands took %.1f ms; the wizard's own work %.1f ms (%.1f %%): "
                "%d message pumps %.1f ms, %d settings calls %.1f ms, registry, windows and the "
                "rest %.1f ms\n",
                ToUtf8(address).c_str(), runs, r.total, r.commandCount, r.commands, own,
                r.total > 0 ? 100.0 * own / r.total : 0.0, r.pumpCount, r.pumps, r.settingsCalls,
                r.settings, own - r.pumps - r.settings);
    FreeSysPrint();
    FreeIniOptions();
    return 0;
}
