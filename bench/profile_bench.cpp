// The settings file through the Linux emulation of the profile functions: what one lookup,
// one list section and one write cost on a kit-sized file (two caption sections of 80 keys,
// Chinese in code page 936, a model list of 30). The wizard reads every caption anew.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "config/untIni.h"
#include "platform/emulated/EmulatedCodePage.h"
#include "platform/emulated/EmulatedFiles.h"
#include "platform/emulated/EmulatedProfile.h"

namespace {

std::string KitFile() {
    std::string file = "[CONFIG]\r\nConfigID=0123456789abcdef0123456789abcdef\r\nOEMID=ODAX\r\n"
                       "DefaultPort=0\r\n[OEM]\r\nCompanyNameCN=\xD6\xD0\xCE\xC4\r\n";
    for (const char* section : {"CAPTION_CN", "CAPTION_EN"}) {
        file += std::string("[") + section + "]\r\n";
        for (int i = 1; i <= 80; ++i)
            file += "CAPTION_" + std::to_string(i) + "=\xC7\xEB\xD1\xA1\xD4\xF1 text " +
                    std::to_string(i) + "\r\n";
    }
    file += "[model_POS]\r\n";
    for (int i = 1; i <= 30; ++i)
        file += "M" + std::to_string(i) + "=POS-" + std::to_string(i) + ",0x0483,0x5720\r\n";
    return file;
}

struct Kit {
    Kit() : folder(std::filesystem::temp_directory_path() / "wiz-profile-bench") {
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "install.dat", std::ios::binary) << KitFile();
        std::filesystem::current_path(folder);
        CodePage::Install(&codePage);
        Files::Install(&files);
        Profile::Install(&profile);
    }
    ~Kit() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::filesystem::path folder;
    EmulatedCodePage codePage{936};
    EmulatedFiles files;
    EmulatedProfile profile{"./win.ini"};
};

Kit& TheKit() {
    static Kit kit;
    return kit;
}

void Lookup(benchmark::State& state) {
    TheKit();
    TIniOptions ini;
    for (auto _ : state)
        benchmark::DoNotOptimize(ini.GetIdentValue(u"CAPTION_CN", u"Caption_75"));
}

void ListSection(benchmark::State& state) {
    TheKit();
    TIniOptions ini;
    for (auto _ : state)
        benchmark::DoNotOptimize(ini.GetAllIdentValue(u"model_POS"));
}

void Write(benchmark::State& state) {
    TheKit();
    TIniOptions ini;
    for (auto _ : state)
        ini.SetIdentValue(u"CONFIG", u"OEMID", u"ODAX");
}

} // namespace

BENCHMARK(Lookup)->Unit(benchmark::kMicrosecond);
BENCHMARK(ListSection)->Unit(benchmark::kMicrosecond);
BENCHMARK(Write)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
