// Prints how long RunDOS takes for a trivial command against a bare process start and
// wait of the same command, in the same run, and their ratio.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/windows/Handles.h"
#include "platform/windows/WindowsServices.h"
#include "printing/untFuction.h"

namespace {

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

void BareStart(std::wstring line) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                       nullptr, &si, &pi)) {
        const Handle process(pi.hProcess), thread(pi.hThread);
        WaitForSingleObject(process.get(), INFINITE);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    InstallWindowsServices();
    const int rounds = argc > 1 ? _wtoi(argv[1]) : 20;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring exe(self);
    exe = exe.substr(0, exe.find_last_of(L"\\/") + 1) + L"rundos-probe.exe";
    const std::wstring line = L"\"" + exe + L"\" --nothing";
    const String command(line.begin(), line.end());

    BareStart(line); // warm the caches of both paths alike
    RunDOS(command);
    double bare = 0, rundos = 0;
    for (int i = 0; i < rounds; ++i) {
        double t = Now();
        BareStart(line);
        bare += Now() - t;
        t = Now();
        RunDOS(command);
        rundos += Now() - t;
    }
    std::printf("RunDOS trivial command: %.2f ms per run; bare process start: %.2f ms; "
                "ratio %.3f (%d rounds)\n",
                1000 * rundos / rounds, 1000 * bare / rounds, rundos / bare, rounds);
    return 0;
}
