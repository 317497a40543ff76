// rundos-probe OUTFILE COMMAND...: runs COMMAND through RunDOS and writes the returned
// text to OUTFILE as UTF-8; an error is written as "ERROR: <message>" with exit code 2.
// rundos-probe --print N: prints N bytes of numbered lines (a command with large output).
// rundos-probe --nothing: ends at once (the trivial command of the benchmark).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "base/Errors.h"
#include "platform/windows/WindowsServices.h"
#include "printing/untFuction.h"

namespace {

int PrintLines(long long total) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    std::string block;
    long long written = 0;
    for (long long n = 0; written < total; ++n) {
        block += "line " + std::to_string(n) + "\r\n";
        if (block.size() >= 60000) {
            DWORD w = 0;
            WriteFile(out, block.data(), static_cast<DWORD>(block.size()), &w, nullptr);
            written += static_cast<long long>(block.size());
            block.clear();
        }
    }
    return 0;
}

void WriteUtf8(const wchar_t* path, const std::string& bytes) {
    FILE* f = _wfopen(path, L"wb");
    if (!f) return;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 2 && wcscmp(argv[1], L"--nothing") == 0) return 0;
    if (argc >= 3 && wcscmp(argv[1], L"--print") == 0) return PrintLines(_wtoi64(argv[2]));
    if (argc < 3) {
        fwprintf(stderr, L"usage: rundos-probe OUTFILE COMMAND...\n");
        return 1;
    }
    InstallWindowsServices();
    String command;
    for (int i = 2; i < argc; ++i) {
        if (i > 2) command += u' ';
        command += String(argv[i], argv[i] + wcslen(argv[i]));
    }
    try {
        WriteUtf8(argv[1], ToUtf8(RunDOS(command)));
        return 0;
    } catch (const Exception& e) {
        WriteUtf8(argv[1], "ERROR: " + ToUtf8(e.Message()));
        return 2;
    }
}
