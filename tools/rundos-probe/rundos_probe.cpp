// rundos-probe [--limit MS] [--window] OUTFILE COMMAND...: runs COMMAND through RunDOS (with
// a time limit of MS milliseconds when given) and writes the returned text to OUTFILE as
// UTF-8; an error is written as "ERROR: <message>" with exit code 2. With --window a hidden
// window of class RundosProbeWindow exists meanwhile: it answers WM_APP with 4711 and then asks
// the program to quit (code 7); after RunDOS the probe prints "quit <code>" when the message
// pump has taken a quit request.
// rundos-probe --print N: prints N bytes of numbered lines (a command with large output).
// rundos-probe --nothing: ends at once (the trivial command of the benchmark).
// rundos-probe --ping: sends WM_APP to the probe's window and prints "answer <N>", or "no
// answer" when the window does not answer within 5 seconds.
// rundos-probe --sleep MS PIDFILE: writes its process id to PIDFILE, sleeps MS milliseconds,
// then writes PIDFILE.done.
// rundos-probe --alive PID: prints "running" or "gone".
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "base/Errors.h"
#include "platform/windows/Handles.h"
#include "platform/windows/WinServices.h"
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

const wchar_t kWindowClass[] = L"RundosProbeWindow";

LRESULT CALLBACK ProbeWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        PostQuitMessage(7);
        return 4711;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND MakeProbeWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ProbeWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    RegisterClassW(&wc);
    return CreateWindowExW(0, kWindowClass, L"rundos-probe", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                           nullptr, nullptr, wc.hInstance, nullptr);
}

int Ping() {
    HWND window = FindWindowW(kWindowClass, nullptr);
    DWORD_PTR answer = 0;
    if (window && SendMessageTimeoutW(window, WM_APP, 0, 0, SMTO_NORMAL, 5000, &answer))
        std::printf("answer %lu\n", static_cast<unsigned long>(answer));
    else
        std::printf("no answer\n");
    return 0;
}

int Sleeper(DWORD ms, const wchar_t* pidFile) {
    WriteUtf8(pidFile, std::to_string(GetCurrentProcessId()));
    Sleep(ms);
    WriteUtf8((std::wstring(pidFile) + L".done").c_str(), "done");
    return 0;
}

int Alive(DWORD pid) {
    const Handle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    const bool running = process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
    std::printf(running ? "running\n" : "gone\n");
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 2 && wcscmp(argv[1], L"--nothing") == 0) return 0;
    if (argc >= 3 && wcscmp(argv[1], L"--print") == 0) return PrintLines(_wtoi64(argv[2]));
    if (argc >= 2 && wcscmp(argv[1], L"--ping") == 0) return Ping();
    if (argc >= 4 && wcscmp(argv[1], L"--sleep") == 0) return Sleeper(_wtoi(argv[2]), argv[3]);
    if (argc >= 3 && wcscmp(argv[1], L"--alive") == 0) return Alive(_wtoi(argv[2]));

    int first = 1;
    std::uint32_t limit = kNoTimeLimit;
    bool window = false;
    for (; first < argc; ++first) {
        if (wcscmp(argv[first], L"--limit") == 0 && first + 1 < argc)
            limit = static_cast<std::uint32_t>(_wtoi(argv[++first]));
        else if (wcscmp(argv[first], L"--window") == 0)
            window = true;
        else
            break;
    }
    if (argc - first < 2) {
        fwprintf(stderr, L"usage: rundos-probe [--limit MS] [--window] OUTFILE COMMAND...\n");
        return 1;
    }
    InstallWindowsServices();
    if (window && !MakeProbeWindow()) return 1;
    const wchar_t* outFile = argv[first];
    String command;
    for (int i = first + 1; i < argc; ++i) {
        if (i > first + 1) command += u' ';
        command += String(argv[i], argv[i] + wcslen(argv[i]));
    }
    int code = 0;
    try {
        WriteUtf8(outFile, ToUtf8(RunDOS(command, limit)));
    } catch (const Exception& e) {
        WriteUtf8(outFile, "ERROR: " + ToUtf8(e.Message()));
        code = 2;
    }
    // The loop ends at once on a quit request the pump has taken, with its code.
    if (QuitRequested()) std::printf("quit %d\n", RunMessageLoop());
    return code;
}
