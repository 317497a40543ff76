#pragma once
// The kit fixtures the kit tool's tests share: a kit the wizard runs with in a scratch folder,
// and the same kit sealed with the program and its USB library beside it.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "kit-tool/KitTool.h"
#include "platform/emulated/EmulatedCodePage.h"
#include "platform/emulated/EmulatedProfile.h"

namespace kittest {

namespace fs = std::filesystem;

inline std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
inline void Write(const fs::path& p, const std::string& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
}

inline const std::string kJpeg =
    std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11) + std::string(20, '\0');
inline std::string Bmp() {
    std::string b = "BM";
    b += std::string("\x3A\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00", 16);
    b += std::string(40, '\0');
    return b;
}

// A driver package the driver store takes: its [Version], both models (one through
// [Strings]) for 32-bit and 64-bit Windows, its one file and its catalog beside it.
inline const std::string kInf = "[Version]\r\n"                               // 1
                                "Signature=\"$Windows NT$\"\r\n"              // 2
                                "Class=Printer\r\n"                           // 3
                                "DriverVer=12/01/2026,1.0.0.0\r\n"            // 4
                                "CatalogFile=odax.cat\r\n"                    // 5
                                "[Manufacturer]\r\n"                          // 6
                                "%Vendor%=ODAX,NTx86,NTamd64\r\n"             // 7
                                "[ODAX.NTx86]\r\n"                            // 8
                                "\"ODAX-80\"=Install,USBPRINT\\ODAX80\r\n"    // 9
                                "%M58%=Install,USBPRINT\\ODAX58\r\n"          // 10
                                "[ODAX.NTamd64]\r\n"                          // 11
                                "\"ODAX-80\" = Install, USBPRINT\\ODAX80\r\n" // 12
                                "%M58%=Install,USBPRINT\\ODAX58 ; 58 mm\r\n"  // 13
                                "[SourceDisksNames]\r\n"                      // 14
                                "1=%Disk%,,,\r\n"                             // 15
                                "[SourceDisksFiles]\r\n"                      // 16
                                "odax.gpd=1\r\n"                              // 17
                                "[Strings]\r\n"                               // 18
                                "Vendor=\"ODAX\"\r\n"                         // 19
                                "Disk=\"ODAX driver disk; demo\"\r\n"         // 20
                                "M58=\"odax-58\"\r\n";                        // 21

// A kit the wizard runs with: every caption in both languages, two models named by both INF
// files in both language folders, pictures that decode by their headers.
inline std::string GoodSettings() {
    std::string s =
        "; demo\r\n[CONFIG]\r\nConfigID=\r\nOEMID=ODAX\r\nDefaultAbout=True\r\n"
        "DefaultPort=1\r\nDefaultPrintClass=pos\r\nUSBPortSelect=1\r\n"
        "USBPortAutoInstall=0\r\nPrintName= odax-80 \r\nCheckPrinterRepeatedly=0\r\n"
        "LabelInfFileName=label.inf\r\nPOSInfFileName=pos.inf\r\nMrPrintSet=$2\r\n"
        "[OEM]\r\nCompanyLogoCN=logo.jpg\r\nCompanyLogoEN=pics\\logo.bmp\r\n"
        "QRImageCN=qr.JPG\r\nQRImageEN=qr.jpg\r\n"
        "[model_POS]\r\nm1=ODAX-80,VID_1A2B,PID_3C4D\r\nm2=ODAX-58, VID_1A2B,PID_0001\r\n"
        "m3=\r\n";
    for (const char* section : {"CAPTION_CN", "CAPTION_EN"}) {
        s += std::string("[") + section + "]\r\n";
        // 73 to 75 are keys no part of the wizard reads; the newest keys, 89 to 91, take their
        // lines.
        for (int n = 1; n <= 88; ++n) {
            const std::string key = std::to_string(n >= 73 && n <= 75 ? n + 16 : n);
            s += "Caption_" + key + "=text " + key + "\r\n";
        }
    }
    return s;
}

class KitFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        root_ = fs::temp_directory_path() /
                ("odax-kit-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(root_);
        settings_ = root_ / "install.dat";
        Write(settings_, GoodSettings());
        for (const char* lang : {"EN", "CN"}) {
            for (const char* name : {"pos.inf", "label.inf"})
                Write(root_ / lang / name, kInf);
            Write(root_ / lang / "odax.gpd", "*GPDSpecVersion: \"1.0\"\r\n");
            Write(root_ / lang / "odax.cat", "0");
        }
        Write(root_ / "logo.jpg", kJpeg);
        Write(root_ / "qr.JPG", kJpeg);
        Write(root_ / "qr.jpg", kJpeg);
        Write(root_ / "pics" / "logo.bmp", Bmp());
    }
    void TearDown() override { fs::remove_all(root_); }

    String Target() const { return kit::TextOf(root_); }
    String Shown() const { return kit::TextOf(root_ / "install.dat"); }
    void Replace(const std::string& from, const std::string& to) {
        std::string s = Read(settings_);
        const std::size_t at = s.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        s.replace(at, from.size(), to);
        Write(settings_, s);
    }
    std::vector<String> Lint() {
        std::vector<String> lines;
        for (const auto& f : kit::LintKit(kit::LocateKit(Target())))
            lines.push_back(kit::FormatFinding(f));
        return lines;
    }

    EmulatedCodePage codePage_{936};
    EmulatedProfile profile_{"/nonexistent/win.ini"};
    ScopedService<ICodePage> cp_{codePage_};
    ScopedService<IProfile> pr_{profile_};
    fs::path root_;
    fs::path settings_;
};

inline kit::Result RunArgs(const StringList& args) {
    return kit::Run(kit::ParseArguments(args));
}

// A kit ready to ship: sealed, with the program and its USB library beside the settings.
class DeployFixture : public KitFixture {
  protected:
    void SetUp() override {
        KitFixture::SetUp();
        Write(root_ / "ODAXPrintDrive.exe", "MZ");
        Write(root_ / "USBPrinterlibary.dll", "MZ");
        ASSERT_EQ(RunArgs({u"seal", Target()}).exitCode, kit::kOk);
    }
    kit::Result Deploy(StringList args, bool json = false) {
        args.insert(args.begin(), {u"deploy", Target()});
        if (json) args.push_back(u"--json");
        return RunArgs(args);
    }
    static nlohmann::json Parsed(const kit::Result& result) {
        EXPECT_EQ(result.out.size(), 1u);
        return nlohmann::json::parse(result.out.empty() ? std::string() : ToUtf8(result.out[0]));
    }
};

} // namespace kittest
