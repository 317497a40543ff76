// odax-kit: seal, verify and lint a vendor kit. On Windows it reads settings through the
// system's profile functions; elsewhere through our emulation of them, in the ANSI code page
// that --codepage names (936 by default, as on the Chinese systems the kits are made for).
#include <cstdio>
#include <exception>
#include <memory>

#include "kit-tool/KitTool.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/windows/WindowsServices.h"
#else
#include "platform/emulated/EmulatedCodePage.h"
#include "platform/emulated/EmulatedProfile.h"
#include "platform/Service.h"
#endif

namespace {

void Print(std::FILE* stream, const StringList& lines) {
    for (const String& line : lines) {
        const std::string utf8 = ToUtf8(line);
        std::fputs(utf8.c_str(), stream);
        if (utf8.empty() || utf8.back() != '\n') std::fputc('\n', stream);
    }
}

int RunCommandLine(const StringList& args) {
    kit::Command command;
    try {
        command = kit::ParseArguments(args);
    } catch (const kit::UsageError& e) {
        Print(stderr, {u"odax-kit: " + FromUtf8(e.what()), kit::UsageText()});
        return kit::kFailure;
    }
#ifdef _WIN32
    SetConsoleOutputCP(CP_UTF8);
    InstallWindowsServices();
    if (command.codePage && *command.codePage != GetACP()) {
        Print(stderr, {u"odax-kit: on Windows the system's ANSI code page (" +
                       IntToStr(GetACP()) + u") is used; --codepage cannot change it"});
        return kit::kFailure;
    }
#else
    std::unique_ptr<EmulatedCodePage> codePage;
    try {
        codePage = std::make_unique<EmulatedCodePage>(command.codePage.value_or(936));
    } catch (const std::exception&) {
        Print(stderr, {u"odax-kit: code page " + IntToStr(command.codePage.value_or(936)) +
                       u" is not available here"});
        return kit::kFailure;
    }
    // Settings files are named by full path, so the stand-in for win.ini is never used.
    EmulatedProfile profile("/nonexistent/win.ini");
    ScopedService<ICodePage> installedCodePage(*codePage);
    ScopedService<IProfile> installedProfile(profile);
#endif
    const kit::Result result = kit::Run(command);
    Print(stdout, result.out);
    Print(stderr, result.err);
    return result.exitCode;
}

// Whatever escapes ends the tool with its message, never with an abort.
int Main(const StringList& args) {
    try {
        return RunCommandLine(args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "odax-kit: %s\n", e.what());
        return kit::kFailure;
    }
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    StringList args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i], argv[i] + wcslen(argv[i]));
    return Main(args);
}
#else
int main(int argc, char** argv) {
    StringList args;
    for (int i = 1; i < argc; ++i) args.push_back(FromUtf8(argv[i]));
    return Main(args);
}
#endif
