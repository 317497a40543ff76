#pragma once
// Fakes of the platform services that record what the code under test did.
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
    };
    std::vector<String> commands;
    std::map<String, Result> scripted; // by command line; others print nothing
    std::map<std::uint32_t, String> texts{{2, u"The system cannot find the file specified.\r\n"}};
    std::uint32_t lastError = 0;
    std::function<void(const String&)> onRun; // what a command does to the world, if anything

    bool RunHidden(const String& commandLine, std::string& output) override {
        commands.push_back(commandLine);
        auto it = scripted.find(commandLine);
        if (it != scripted.end() && !it->second.started) {
            lastError = it->second.error;
            return false;
        }
        if (onRun) onRun(commandLine);
        output = it == scripted.end() ? std::string() : it->second.output;
        return true;
    }
    std::uint32_t LastError() override { return lastError; }
    String SystemErrorText(std::uint32_t code) override {
        auto it = texts.find(code);
        return it == texts.end() ? String() : it->second;
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
};
