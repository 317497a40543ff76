// seal-probe blank FILE    the system's WritePrivateProfileStringW(L"CONFIG", L"ConfigID", L"",
//                          FILE): prints "written", or "failed N" with the error code
// seal-probe compute FILE  our in-memory seal of FILE, which it does not write:
//                          "acp N"              the ANSI code page the text digest uses
//                          "blanked HEX"        MD5 of the bytes with ConfigID blanked
//                          "configid VALUE"     the computed value ("none": no ConfigID)
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "base/Text.h"
#include "config/ConfigSeal.h"
#include "digest/untMD5FileLib.h"
#include "platform/windows/WinServices.h"

namespace {

bool ReadAll(const wchar_t* path, std::string& bytes) {
    FILE* f = _wfopen(path, L"rb");
    if (!f) return false;
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
        bytes.append(buffer, got);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

int Compute(const wchar_t* path) {
    ScopedService<ICodePage> codePage(WindowsCodePage());
    std::string bytes;
    if (!ReadAll(path, bytes)) {
        std::printf("failed to read\n");
        return 2;
    }
    std::printf("acp %u\n", GetACP());
    const std::optional<std::string> blanked = BlankConfigID(bytes);
    std::printf("blanked %s\n", blanked ? ToUtf8(TFileMD5().HashStream(*blanked)).c_str() : "none");
    const String oemid = ReadProfileValue(bytes, u"CONFIG", u"OEMID").value_or(String());
    const std::optional<String> value = ComputeConfigID(bytes, oemid);
    std::printf("configid %s\n", value ? ToUtf8(*value).c_str() : "none");
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wstring(argv[1]) == L"blank") {
        if (WritePrivateProfileStringW(L"CONFIG", L"ConfigID", L"", argv[2])) {
            std::printf("written\n");
            return 0;
        }
        std::printf("failed %lu\n", GetLastError());
        return 1;
    }
    if (argc == 3 && std::wstring(argv[1]) == L"compute") return Compute(argv[2]);
    std::fprintf(stderr, "usage: seal-probe blank|compute FILE\n");
    return 2;
}
