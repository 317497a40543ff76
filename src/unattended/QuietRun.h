#pragma once
// The unattended mode: the wizard's checks, installation run, USB search and removal driven
// from the command line, with no window, no one to ask, and the outcome as an exit code.
#include <cstdint>
#include <optional>

#include "base/Text.h"
#include "session/CommandLine.h"
#include "session/Questions.h"
#include "session/Report.h"

// Where an unattended run's texts go, one call per line, so that the same lines can be printed
// on a console and written to a log.
class IQuietOutput {
  public:
    virtual ~IQuietOutput() = default;
    // A text the wizard would show: a log or status line, a message, or a question with the
    // answer the run gave.
    virtual void Line(const String& text) = 0;
    // A system command the run started, with its exit code and what it printed (no code and
    // no output when it did not start or was ended at its time limit).
    virtual void Command(const String& commandLine, std::optional<std::uint32_t> exitCode,
                         const String& output) = 0;
    // The end of the run: its exit code and, in plain words, why.
    virtual void End(ExitCode code, const String& outcome) = 0;
};

// The answers an unattended run gives to the installation run's questions, each decided by
// the command line before the run starts, with what decided it. An unset answer is a fault of
// the program: the run raises std::logic_error rather than guess.
struct QuietAnswer {
    bool yes;
    const char16_t* why; // "/replace", "no /default", ...
};
struct QuietAnswers {
    std::optional<QuietAnswer> existingPort; // Yes would type another address
    std::optional<QuietAnswer> removePrinter;
    std::optional<QuietAnswer> makeDefault; // where the kit asks (MrPrintSet 2)
    std::optional<QuietAnswer> testReceipt;
    std::optional<QuietAnswer> quitAtEnd;
    std::optional<QuietAnswer> autoQuit;

    static QuietAnswers Of(const CommandLine& options);
    const std::optional<QuietAnswer>& For(QuestionKind kind) const;
};

// The front end of an unattended run: the reports as lines (a text shown both as status and
// in the log is written once), the questions answered from `answers` and printed with the
// answer and what decided it.
class QuietFrontEnd final : public IReport, public IQuestions {
  public:
    QuietFrontEnd(IQuietOutput& out, const QuietAnswers& answers) : out_(out), answers_(answers) {}

    void Begin(const String&, const String& heading, const std::optional<String>&) override {
        Write(heading);
    }
    void End() override {}
    void ClearLog() override {}
    void Log(const String& line) override { Write(line); }
    void Steps(int) override {}
    void Step() override {}
    void Finish() override {}
    void Cancellable(bool) override {}
    void Status(const String& text) override { Write(text); }
    void Message(const String& title, const String& text, Notice notice) override;
    void Phase(RunPhase) override {}
    // Raises std::logic_error for a question `answers` has no answer to.
    bool Ask(const Question& question) override;

  private:
    void Write(const String& text);
    IQuietOutput& out_;
    const QuietAnswers& answers_;
    String last_;
};

// Runs the command line `options` (a parsed /quiet command) on the kit of the program's folder.
// Every line also goes to the install log (/log, or its default place), as the commands do.
// The units must be initialized (settings, printer info); the platform services installed.
// Nothing runs before every check passed: administrator rights, the kit's files and seal, the
// model, address or port and the values the printer-setup command would carry.
ExitCode RunQuiet(const CommandLine& options, IQuietOutput& out);
