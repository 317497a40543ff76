#include <windows.h>

#include <atomic>
#include <string>

#include "platform/Processes.h"
#include "platform/windows/Handles.h"
#include "platform/windows/WinServices.h"

namespace {

// The child writes into an inheritable pipe end; our end is overlapped so that the
// output is drained while we wait for the child, and a command that prints more than
// the pipe holds cannot stall.
bool MakeOutputPipe(Handle& readEnd, Handle& writeEnd) {
    static std::atomic<unsigned> serial{0};
    wchar_t name[96];
    wsprintfW(name, L"\\\\.\\pipe\\odax-rundos-%lu-%lu", GetCurrentProcessId(),
              static_cast<unsigned long>(++serial));
    readEnd.reset(CreateNamedPipeW(name, PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED |
                                             FILE_FLAG_FIRST_PIPE_INSTANCE,
                                   PIPE_TYPE_BYTE | PIPE_WAIT, 1, 0, 64 * 1024, 0, nullptr));
    if (!readEnd) return false;
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    writeEnd.reset(CreateFileW(name, GENERIC_WRITE, 0, &sa, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                               nullptr));
    return static_cast<bool>(writeEnd);
}

class PipeReader {
public:
    PipeReader(HANDLE pipe, std::string& out) : pipe_(pipe), out_(out) {
        event_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        overlapped_.hEvent = event_.get();
    }
    ~PipeReader() {
        if (pending_) {
            CancelIo(pipe_);
            DWORD got = 0;
            GetOverlappedResult(pipe_, &overlapped_, &got, TRUE);
        }
    }
    bool ok() const { return static_cast<bool>(event_); }
    HANDLE event() const { return event_.get(); }
    bool pending() const { return pending_; }

    // Reads until a read has to wait; keeps one read outstanding.
    void Start() {
        while (!pending_ && !closed_) {
            DWORD got = 0;
            ResetEvent(event_.get());
            if (ReadFile(pipe_, buffer_, sizeof buffer_, &got, &overlapped_)) {
                out_.append(buffer_, got);
            } else if (GetLastError() == ERROR_IO_PENDING) {
                pending_ = true;
            } else {
                closed_ = true; // broken pipe: every writer has gone
            }
        }
    }
    void Completed() {
        DWORD got = 0;
        if (GetOverlappedResult(pipe_, &overlapped_, &got, FALSE))
            out_.append(buffer_, got);
        else
            closed_ = true;
        pending_ = false;
    }
    // The child has ended: take what the pipe holds now and stop.
    void Finish() {
        if (pending_) {
            CancelIo(pipe_);
            DWORD got = 0;
            if (GetOverlappedResult(pipe_, &overlapped_, &got, TRUE)) out_.append(buffer_, got);
            pending_ = false;
        }
        for (;;) {
            DWORD available = 0;
            if (!PeekNamedPipe(pipe_, nullptr, 0, nullptr, &available, nullptr) || available == 0)
                break;
            DWORD got = 0;
            ResetEvent(event_.get());
            if (!ReadFile(pipe_, buffer_, sizeof buffer_, &got, &overlapped_) &&
                !(GetLastError() == ERROR_IO_PENDING &&
                  GetOverlappedResult(pipe_, &overlapped_, &got, TRUE)))
                break;
            out_.append(buffer_, got);
        }
    }

private:
    HANDLE pipe_;
    std::string& out_;
    Handle event_;
    OVERLAPPED overlapped_{};
    char buffer_[64 * 1024];
    bool pending_ = false;
    bool closed_ = false;
};

class WinProcesses final : public IProcesses {
public:
    bool RunHidden(const String& commandLine, std::string& output) override {
        output.clear();
        Handle readEnd, writeEnd;
        if (!MakeOutputPipe(readEnd, writeEnd)) return Fail();

        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
        si.wShowWindow = SW_HIDE;
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        si.hStdOutput = writeEnd.get();
        si.hStdError = writeEnd.get();
        std::wstring line(commandLine.begin(), commandLine.end()); // CreateProcessW may write to it
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NEW_CONSOLE,
                            nullptr, nullptr, &si, &pi))
            return Fail();
        Handle process(pi.hProcess), thread(pi.hThread);
        writeEnd.reset();

        PipeReader reader(readEnd.get(), output);
        if (!reader.ok()) {
            WaitForSingleObject(process.get(), INFINITE);
            return true;
        }
        reader.Start();
        for (;;) {
            HANDLE waits[2] = {process.get(), reader.event()};
            const DWORD r = WaitForMultipleObjects(reader.pending() ? 2 : 1, waits, FALSE, INFINITE);
            if (r == WAIT_OBJECT_0 + 1) {
                reader.Completed();
                reader.Start();
            } else {
                break; // the child has ended (or the wait itself failed)
            }
        }
        reader.Finish();
        return true;
    }

    std::uint32_t LastError() override { return lastError_; }

    String SystemErrorText(std::uint32_t code) override {
        wchar_t* text = nullptr;
        const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                           FORMAT_MESSAGE_IGNORE_INSERTS,
                                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0,
                                       nullptr);
        String result;
        if (n && text) result.assign(text, text + n);
        if (text) LocalFree(text);
        return result;
    }

private:
    bool Fail() {
        lastError_ = GetLastError();
        return false;
    }
    std::uint32_t lastError_ = 0;
};

class WinClock final : public IClock {
public:
    std::uint32_t GetTickCount() override { return ::GetTickCount(); }
    void Sleep(std::uint32_t milliseconds) override { ::Sleep(milliseconds); }
};

} // namespace

IProcesses& WindowsProcesses() {
    static WinProcesses instance;
    return instance;
}

IClock& WindowsClock() {
    static WinClock instance;
    return instance;
}
