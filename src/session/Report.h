#pragma once
// What a long operation (the installation run, the port creation, the USB search) reports as
// it works, without knowing who shows it: the main window puts it on the wait dialog and the
// status bar, the unattended mode prints it and writes it to the install log, a test records
// it. Windows are the front end's business; the operation only says what happens.
#include <optional>

#include "base/Text.h"

// How a message without a question reads.
enum class Notice { Information, Error };

// Where an installation run stands, for the front end that must keep the user from starting
// anything else while the system is being changed.
enum class RunPhase {
    Changing, // from the spooler's start to the end: the system is being changed
    Done,     // the run is over, by its end, its failure or an error
};

class IReport {
  public:
    virtual ~IReport() = default;

    // An operation begins, with its title, its heading and the text of the button that
    // leaves its report (unchanged when none is given).
    virtual void Begin(const String& title, const String& heading,
                       const std::optional<String>& button) = 0;
    // The operation's report is over and need not stay on screen.
    virtual void End() = 0;
    virtual void ClearLog() = 0;
    virtual void Log(const String& line) = 0;
    // The operation counts `count` steps from 0 again.
    virtual void Steps(int count) = 0;
    virtual void Step() = 0;
    // All its steps are done.
    virtual void Finish() = 0;
    // Whether the report may be left now.
    virtual void Cancellable(bool enabled) = 0;
    // The one line that says what happens now.
    virtual void Status(const String& text) = 0;
    // A message the user reads; nothing is asked.
    virtual void Message(const String& title, const String& text, Notice notice) = 0;
    virtual void Phase(RunPhase phase) = 0;
};
