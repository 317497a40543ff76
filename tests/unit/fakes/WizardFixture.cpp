#include "fakes/WizardFixture.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "session/InstallLog.h"
#include "shell/Startup.h"

std::string WizardFixture::DefaultSettings() {
    // Every caption is its key's number with the language's mark: tests see which key a text
    // came from. The Chinese texts exercise code page 936.
    std::string s =
        "[CONFIG]\r\n"
        "ConfigID=\r\n"
        "OEMID=TEST\r\n"
        "SoftVer=2.5\r\n"
        "DefaultAbout=1\r\n"
        "DefaultPort=0\r\n"
        "DefaultPrintClass=POS\r\n"
        "USBPortSelect=1\r\n"
        "USBPortAutoInstall=0\r\n"
        "PrintName=Model-2\r\n"
        "USBModelWindow=1\r\n"
        "CheckPrinterRepeatedly=1\r\n"
        "LabelInfFileName=label.inf\r\n"
        "POSInfFileName=pos.inf\r\n"
        "MrPrintSet=0\r\n"
        "SetupAutoQuit=0\r\n"
        "[OEM]\r\n"
        "CompanyNameCN=演示公司\r\n"
        "CompanyNameEN=Demo Ltd.\r\n"
        "WEB=https://example.com/\r\n"
        "CompanyLogoCN=logo-cn.jpg\r\n"
        "CompanyLogoEN=logo-en.bmp\r\n"
        "[model_POS]\r\n"
        "m1=Model-1,VID_1A2B,PID_3C4D\r\n"
        "m2=Model-2,VID_1A2B,PID_3C4E\r\n"
        "m3=Label-3,VID_1A2B,PID_5E6F\r\n";
    for (const char* lang : {"EN", "CN"}) {
        s += std::string("[CAPTION_") + lang + "]\r\n";
        for (int k = 1; k <= 88; ++k)
            s += "CAPTION_" + std::to_string(k) + "=" + (lang[0] == 'E' ? "en" : "中") +
                 std::to_string(k) + "\r\n";
    }
    return s;
}

WizardFixture::WizardFixture(const std::string& settings, bool seal, bool windows) {
    char cwd[4096];
    previousDir = getcwd(cwd, sizeof cwd) ? cwd : "/";
    if (chdir(kit.Path().c_str()) != 0) throw std::runtime_error("cannot enter the kit folder");
    kit.Write("USBPrinterlibary.dll", "MZ");
    // The driver files the settings name, in both language folders.
    for (const char* folder : {"EN", "CN"})
        std::filesystem::create_directories(kit.Path() / folder);
    for (const char* file : {"EN/pos.inf", "CN/pos.inf", "EN/label.inf", "CN/label.inf"})
        kit.Write(file, "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\n");
    kit.Write("logo-en.bmp", "BM");
    WriteSettings(settings, seal);
    libraries.symbols["GetUSBPortNameList"] = reinterpret_cast<void*>(&fakeusb::GetUSBPortNameList);
    libraries.symbols["GetPrinterLibVersion"] = reinterpret_cast<void*>(&fakeusb::GetPrinterLibVersion);
    fakeusb::answer.clear();
    fakeusb::count = 0;
    fakeusb::version = 12;
    fakeusb::calls = 0;
    spooler.ports = {u"LPT1:", u"COM1:", u"COM2:", u"USB001", u"FILE:"};
    services.SetState(u"Spooler", ServiceState::Stopped);

    // The units' globals start as the program starts them.
    EnumPort = TEnumPort::NET;
    pageNo = 0;
    frmShow = false;
    LCaption.clear();
    PrintModelInfo.clear();
    PrintModel.clear();
    PrintSetupInfo = TPrintModelInfo{};
    listCheckNum = 0;
    ResetUsbDLL();
    installlog::UseFile({});
    InitializeUnits();
    if (windows) CreateWindows();
}

WizardFixture::~WizardFixture() {
    FreeWindows();
    FinalizeUnits();
    ResetUsbDLL();
    OSLanguage = TOSLanguage::EN;
    LCaption.clear();
    if (chdir(previousDir.c_str()) != 0) ADD_FAILURE() << "cannot return to " << previousDir;
}

void WizardFixture::WriteSettings(const std::string& utf8, bool seal, bool utf16) {
    std::string bytes =
        utf16 ? "\xFF\xFE" + ToUtf16Le(FromUtf8(utf8)) : sys.codePage.ToAnsi(FromUtf8(utf8));
    if (seal) {
        // The OEMID as the profile functions would read it.
        const String oemid = ReadProfileValue(bytes, u"CONFIG", u"OEMID").value_or(String());
        bytes = SealConfigID(bytes, oemid);
    }
    kit.Write("install.dat", bytes);
}

void WizardFixture::Start() {
    RealizeWindows();
    ui::DispatchEvent([] { frmMain->Show(); });
}

void WizardFixture::Click(ui::Control* control) {
    ui::DispatchEvent([control] { control->Click(); });
}

std::vector<String> WizardFixture::BoxTexts() const {
    std::vector<String> texts;
    for (const auto& b : dialogs.boxes) texts.push_back(b.text);
    return texts;
}
