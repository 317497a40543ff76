#include <windows.h>

#include <string>
#include <vector>

#include "platform/Processes.h"
#include "platform/windows/ErrorText.h"
#include "platform/windows/Handles.h"
#include "platform/windows/TokenUser.h"
#include "platform/windows/WinServices.h"

// RtlGenRandom, exported by advapi32 under this name; <ntsecapi.h> clashes with our names.
extern "C" BOOLEAN WINAPI SystemFunction036(PVOID buffer, ULONG length);

namespace {

// A DACL that admits the user of our own token and no one else: the output pipe is opened by
// name, and nobody else needs to read or write what our elevated commands print.
class OnlyOurUser {
  public:
    bool Build() {
        user_ = ProcessTokenUser();
        if (user_.empty()) return false;
        PSID sid = TokenUserSid(user_);
        const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(sid);
        acl_.resize(aclSize);
        PACL acl = reinterpret_cast<PACL>(acl_.data());
        if (!InitializeAcl(acl, aclSize, ACL_REVISION) ||
            !AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, sid) ||
            !InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
            !SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE))
            return false;
        attributes_ = {sizeof attributes_, &descriptor_, FALSE};
        return true;
    }
    SECURITY_ATTRIBUTES* attributes() { return &attributes_; }

  private:
    std::vector<DWORD> user_; // DWORD elements keep the SID and the ACL aligned
    std::vector<DWORD> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
};

// A name nobody can know in advance: no other process can take it before us (which would make
// the run fail) or connect to our pipe before the command's end does and feed us its output.
bool UnpredictablePipeName(std::wstring& name) {
    unsigned char random[16];
    if (!SystemFunction036(random, sizeof random)) return false;
    name = L"\\\\.\\pipe\\odax-rundos-";
    const wchar_t* digits = L"0123456789abcdef";
    for (unsigned char b : random) {
        name += digits[b >> 4];
        name += digits[b & 15];
    }
    return true;
}

// The child writes into an inheritable pipe end; our end is overlapped so that the
// output is drained while we wait for the child, and a command that prints more than
// the pipe holds cannot stall.
bool MakeOutputPipe(Handle& readEnd, Handle& writeEnd) {
    std::wstring name;
    OnlyOurUser access;
    if (!UnpredictablePipeName(name) || !access.Build()) return false;
    readEnd.reset(CreateNamedPipeW(
        name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0, 64 * 1024, 0,
        access.attributes()));
    if (!readEnd) return false;
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    writeEnd.reset(CreateFileW(name.c_str(), GENERIC_WRITE, 0, &inherited, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
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
    bool RunHidden(const String& commandLine, std::string& output,
                   std::uint32_t timeLimitMs) override {
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
        // The system folder as the working folder: a library planted beside the kit (or in
        // whatever folder started the program) is then never the one a command finds.
        wchar_t systemFolder[MAX_PATH] = {};
        const UINT folderLength = GetSystemDirectoryW(systemFolder, MAX_PATH);
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                            CREATE_NEW_CONSOLE | CREATE_SUSPENDED, nullptr,
                            folderLength > 0 && folderLength < MAX_PATH ? systemFolder : nullptr,
                            &si, &pi))
            return Fail();
        Handle process(pi.hProcess), thread(pi.hThread);
        // In a job of its own, so that every process the command starts ends with it at the
        // time limit. Where the system refuses a nested job the command still runs.
        Handle job(CreateJobObjectW(nullptr, nullptr));
        if (job) {
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
            limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                                         sizeof limits) ||
                !AssignProcessToJobObject(job.get(), process.get()))
                job.reset();
        }
        ResumeThread(thread.get());
        writeEnd.reset();
        const DWORD started = GetTickCount();

        PipeReader reader(readEnd.get(), output);
        if (reader.ok()) reader.Start();
        for (;;) {
            DWORD wait = INFINITE;
            if (timeLimitMs != kNoTimeLimit) {
                const DWORD elapsed = GetTickCount() - started;
                if (elapsed >= timeLimitMs) return EndAtLimit(process.get(), job.get());
                wait = timeLimitMs - elapsed;
            }
            HANDLE waits[2] = {process.get(), reader.event()};
            const DWORD count = reader.ok() && reader.pending() ? 2 : 1;
            // Once a quit request has been taken from the queue the pump takes no more, so
            // the messages left would end every wait at once.
            const bool pumping = !QuitRequested();
            const DWORD r = pumping ? MsgWaitForMultipleObjectsEx(count, waits, wait, QS_ALLINPUT,
                                                                  MWMO_INPUTAVAILABLE)
                                    : WaitForMultipleObjects(count, waits, FALSE, wait);
            if (r == WAIT_OBJECT_0) break; // the child has ended
            if (r == WAIT_OBJECT_0 + 1 && count == 2) {
                reader.Completed();
                reader.Start();
            } else if (pumping && r == WAIT_OBJECT_0 + count) {
                // The windows stay painted and answer while the command runs, through the
                // same filter and quit handling as every other pump.
                WindowsMessagePump().ProcessMessages();
            } else if (r != WAIT_TIMEOUT) {
                break; // the wait itself failed
            }
        }
        if (reader.ok()) reader.Finish();
        DWORD exitCode = 0;
        exitCode_ = GetExitCodeProcess(process.get(), &exitCode) ? exitCode : STILL_ACTIVE;
        return true;
    }

    std::uint32_t LastError() override { return lastError_; }

    std::uint32_t LastExitCode() override { return exitCode_; }

    String SystemErrorText(std::uint32_t code) override { return WindowsErrorText(code); }

private:
    bool Fail() {
        lastError_ = GetLastError();
        return false;
    }
    // A command past its time limit is ended, with everything it started, and counts as
    // failed; what it printed is dropped.
    bool EndAtLimit(HANDLE process, HANDLE job) {
        if (!job || !TerminateJobObject(job, kErrorTimeout))
            TerminateProcess(process, kErrorTimeout);
        WaitForSingleObject(process, 5000);
        lastError_ = kErrorTimeout;
        return false;
    }
    std::uint32_t lastError_ = 0;
    std::uint32_t exitCode_ = 0;
};

class WinClock final : public IClock {
public:
    std::uint32_t GetTickCount() override { return ::GetTickCount(); }
    void Sleep(std::uint32_t milliseconds) override { ::Sleep(milliseconds); }
    LocalTime Now() override {
        SYSTEMTIME t{};
        GetLocalTime(&t);
        // The bias is what UTC is ahead of local time, daylight saving included.
        TIME_ZONE_INFORMATION zone{};
        const DWORD which = GetTimeZoneInformation(&zone);
        LONG bias = zone.Bias;
        if (which == TIME_ZONE_ID_DAYLIGHT) bias += zone.DaylightBias;
        if (which == TIME_ZONE_ID_STANDARD) bias += zone.StandardBias;
        return {t.wYear,   t.wMonth,  t.wDay,          t.wHour,
                t.wMinute, t.wSecond, t.wMilliseconds, which == TIME_ZONE_ID_INVALID ? 0 : -bias};
    }
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
