#pragma once
// Fakes of the platform services that record what the code under test did.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/MessagePump.h"
#include "platform/Processes.h"
#include "platform/Security.h"
#include "platform/SystemInfo.h"
#include "platform/emulated/EmulatedCodePage.h"

// A clock whose tick count advances by a fixed step at every read, from a chosen start.
class FakeClock final : public IClock {
public:
    std::uint32_t now = 0;
    std::uint32_t stepPerRead = 1;
    std::vector<std::uint32_t> sleeps;
    std::uint32_t GetTickCount() override {
        const std::uint32_t t = now;
        now += stepPerRead;
        return t;
    }
    void Sleep(std::uint32_t ms) override { sleeps.push_back(ms); }
    LocalTime now_local{2026, 3, 7, 9, 5, 2};
    LocalTime Now() override { return now_local; }
};

class FakePump final : public IMessagePump {
public:
    int count = 0;
    std::function<void()> onPump; // runs an event during a pump
    std::vector<int> quits;       // exit codes posted
    void ProcessMessages() override {
        ++count;
        if (onPump) onPump();
    }
    void PostQuit(int exitCode) override { quits.push_back(exitCode); }
};

class FakeProcesses final : public IProcesses {
public:
    struct Result {
        bool started = true;
        std::string output;
        std::uint32_t error = 0;
        bool neverEnds = false; // runs until it is ended at its time limit
        std::uint32_t exitCode = 0;
    };
    std::vector<String> commands;
    std::vector<std::uint32_t> timeLimits; // of each command, in order
    std::map<String, Result> scripted; // by command line; others print nothing
    std::map<std::uint32_t, String> texts{
        {2, u"The system cannot find the file specified.\r\n"},
        {kErrorTimeout, u"This operation returned because the timeout period expired.\r\n"}};
    std::uint32_t lastError = 0;
    std::function<void(const String&)> onRun; // what a command does to the world, if anything

    bool RunHidden(const String& commandLine, std::string& output,
                   std::uint32_t timeLimitMs) override {
        commands.push_back(commandLine);
        timeLimits.push_back(timeLimitMs);
        auto it = scripted.find(commandLine);
        if (it != scripted.end() && !it->second.started) {
            lastError = it->second.error;
            return false;
        }
        if (onRun) onRun(commandLine);
        if (it != scripted.end() && it->second.neverEnds) {
            // The real runner would wait here for ever.
            EXPECT_NE(timeLimitMs, kNoTimeLimit) << "no time limit for " << ToUtf8(commandLine);
            lastError = kErrorTimeout;
            return false;
        }
        output = it == scripted.end() ? std::string() : it->second.output;
        exitCode = it == scripted.end() ? 0 : it->second.exitCode;
        return true;
    }
    std::uint32_t exitCode = 0;
    std::uint32_t LastError() override { return lastError; }
    std::uint32_t LastExitCode() override { return exitCode; }
    String SystemErrorText(std::uint32_t code) override {
        auto it = texts.find(code);
        return it == texts.end() ? String() : it->second;
    }
};

// A Windows in C:\Windows; by default the shipped 32-bit program on 64-bit Windows.
class FakeSystemInfo final : public ISystemInfo {
  public:
    String systemFolder = u"C:\\Windows\\system32";
    String windowsFolder = u"C:\\Windows";
    Architecture system = Architecture::X64;
    Architecture process = Architecture::X86;
    bool administrator = true;
    bool systemAccount = false;
    bool interactive = true;
    String SystemFolder() override { return systemFolder; }
    String WindowsFolder() override { return windowsFolder; }
    Architecture SystemArchitecture() override { return system; }
    Architecture ProcessArchitecture() override { return process; }
    bool IsAdministrator() override { return administrator; }
    bool IsSystemAccount() override { return systemAccount; }
    bool HasInteractiveDesktop() override { return interactive; }
    String AccountName() override {
        return systemAccount ? u"NT AUTHORITY\\SYSTEM" : u"TILL\\admin";
    }
    String AccountSid() override { return systemAccount ? u"S-1-5-18" : u"S-1-5-21-1-2-3-500"; }
    String OsVersion() override { return u"10.0 build 19045"; }
    std::uint32_t ProcessId() override { return 4242; }
};

// The system commands as the wizard runs them on FakeSystemInfo's default Windows.
inline const String kNetStartSpooler = u"\"C:\\Windows\\system32\\net.exe\" start spooler";
inline const String kNetStopSpooler = u"\"C:\\Windows\\system32\\net.exe\" stop spooler";
inline const String kRundll32 = u"\"C:\\Windows\\Sysnative\\rundll32.exe\"";

// Who may change the kit's files, by path; a path not listed is changeable by none but the
// administrators.
class FakeSecurity final : public ISecurity {
  public:
    std::map<String, StringList> writers;
    std::optional<StringList> NonAdminWriters(const String& path) override {
        auto it = writers.find(path);
        return it == writers.end() ? StringList{} : it->second;
    }
};

// Installs a full set of fakes for one test; each can be reached and scripted.
struct FakeSystem {
    FakeClock clock;
    FakePump pump;
    FakeProcesses processes;
    EmulatedCodePage codePage{936};
    ScopedService<IClock> s1{clock};
    ScopedService<IMessagePump> s2{pump};
    ScopedService<IProcesses> s3{processes};
    ScopedService<ICodePage> s4{codePage};
    FakeSystemInfo systemInfo;
    ScopedService<ISystemInfo> s5{systemInfo};
    FakeSecurity security;
    ScopedService<ISecurity> s6{security};
};
