#pragma once
// The started wizard of WizardFixture, standing on its last page, with a registry in memory
// and hooks that record what the commands did: the world of the installation run and the
// port creation.
#include <functional>
#include <vector>

#include "fakes/FakeRegistry.h"
#include "fakes/WizardFixture.h"

// The kit's caption texts: "en<N>" and "中<N>" for CAPTION_<N>.
inline String En(int n) {
    return u"en" + IntToStr(n);
}
inline String Cn(int n) {
    return u"中" + IntToStr(n);
}

// The profile functions of the fixture, refusing writes to win.ini when asked.
class WinIniGuard final : public IProfile {
  public:
    explicit WinIniGuard(IProfile& inner) : inner_(inner) {}
    bool refuseWinIni = false;
    std::uint32_t GetPrivateProfileStringW(const ProfileArg& a, const ProfileArg& k,
                                           const ProfileArg& d, char16_t* out, std::uint32_t size,
                                           const String& file) override {
        return inner_.GetPrivateProfileStringW(a, k, d, out, size, file);
    }
    bool WritePrivateProfileStringW(const ProfileArg& a, const ProfileArg& k, const ProfileArg& v,
                                    const String& file) override {
        if (refuseWinIni && SameText(file, u"win.ini")) return false;
        return inner_.WritePrivateProfileStringW(a, k, v, file);
    }

  private:
    IProfile& inner_;
};

struct InstallWorld : WizardFixture {
    FakeRegistry registry;
    ScopedService<IRegistry> useRegistry{registry};
    WinIniGuard winIni{profile};
    ScopedService<IProfile> useWinIni{winIni};
    TfrmMain* main = nullptr;
    TfrmWait* wait = nullptr;

    // How many registry writes had been made when each command ran.
    std::vector<size_t> writesAtRun;
    // The printer-setup command creates the queue it names, as a working driver package does.
    bool installCreatesPrinter = true;
    // A test's look at the world while a command runs.
    std::function<void(const String&)> duringRun;

    static inline const String kModel = u"Model-1";
    static inline const String kPosInf = u"C:\\Setup\\EN\\pos.inf";

    InstallWorld() {
        Start();
        main = frmMain;
        wait = frmWait;
        // What the start-up ran and showed is not the run's.
        sys.processes.commands.clear();
        dialogs.boxes.clear();
        PrintSetupInfo.PrintName = kModel;

        sys.processes.onRun = [this](const String& cmd) {
            writesAtRun.push_back(registry.writes.size());
            const String install = kRundll32 + u" printui.dll,PrintUIEntry /if /b \"";
            if (installCreatesPrinter && StartsWith(cmd, install)) {
                const String name = Argument(cmd, u" /b \"");
                spooler.printers.push_back(name);
                spooler.setups[name] = {Argument(cmd, u" /r \""), Argument(cmd, u" /m \"")};
            }
            if (duringRun) duringRun(cmd);
        };
    }

    // The quoted value after `option` (such as ` /r "`) in a command line.
    static String Argument(const String& cmd, const String& option) {
        const size_t at = cmd.find(option);
        if (at == String::npos) return {};
        const size_t from = at + option.size();
        return cmd.substr(from, cmd.find(u'"', from) - from);
    }
    // A printer of the model's name that was there before the run.
    void ExistingPrinter(const String& port, const String& driver) {
        spooler.printers.push_back(kModel);
        spooler.setups[kModel] = {port, driver};
    }

    void Config(const String& key, const String& value) {
        IniOptions->SetIdentValue(u"CONFIG", key, value);
    }
    void CaptionEN(int n, const String& value) {
        IniOptions->SetIdentValue(u"CAPTION_EN", u"CAPTION_" + IntToStr(n), value);
    }

    // The last page as the page flow leaves it: the install button enabled.
    void OnNetPage(const String& typed) {
        main->pcPage->SetActivePageIndex(2);
        main->meText->SetText(typed);
        main->btnStartInstall->SetEnabled(true);
    }
    void OnPortPage(int pageIndex, ui::ComboBox* list, const StringList& ports) {
        main->pcPage->SetActivePageIndex(pageIndex);
        list->SetItems(ports);
        list->SetItemIndex(ports.empty() ? -1 : 0);
        main->btnStartInstall->SetEnabled(true);
    }
    // A search on the shown USB page that finds the model on `port`, as the user runs it;
    // what it showed is not the run's.
    void AcceptedUsbSearch(const std::string& port) {
        Config(u"PrintName", kModel);
        fakeusb::answer = port + ",VID_1A2B,PID_3C4D";
        fakeusb::count = 1;
        main->btnFindUSB->Click();
        dialogs.boxes.clear();
    }
    // The click as the program makes it: an error reaches the test.
    void RunInstall() { main->btnStartInstall->Click(); }

    const StringList& Log() const { return wait->mmoWait->Lines(); }
    const String& Status() const { return main->StatusBar1->PanelText(1); }
    StringList Boxes() const {
        StringList out;
        for (const auto& b : dialogs.boxes)
            out.push_back(b.title + u"|" + b.text);
        return out;
    }
    StringList CommandsStarting(const String& prefix) const {
        StringList out;
        for (const String& c : sys.processes.commands)
            if (StartsWith(c, prefix)) out.push_back(c);
        return out;
    }
};
