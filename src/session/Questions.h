#pragma once
// The questions an installation run asks, each of its own kind, with the text the wizard shows
// for it. The main window asks the user; the unattended mode answers from its command line;
// a question that no one answers is a fault of the program, never a silent No.
#include <cstdint>
#include <vector>

#include "base/Text.h"

enum class QuestionKind {
    ExistingPort,  // the typed address is a port already: Yes types another address
    RemovePrinter, // a printer of the model's name is installed: remove its driver first?
    MakeDefault,   // make the new printer the default printer?
    TestReceipt,   // print a test receipt now?
    QuitAtEnd,     // leave the program now that the run is over?
    AutoQuit,      // the kit leaves the program after the run: told, answered with OK
};

struct Question {
    QuestionKind kind;
    String title;
    String text;
};

// Every kind, for the front ends that must answer each.
const std::vector<QuestionKind>& QuestionKinds();
// The kind's name in the install log and in errors ("existing port").
const char16_t* QuestionName(QuestionKind kind);
// The buttons and icon of the message box the wizard asks it in (mb::...).
std::uint32_t QuestionBoxFlags(QuestionKind kind);

class IQuestions {
  public:
    virtual ~IQuestions() = default;
    // True for Yes (or OK where the question only tells).
    virtual bool Ask(const Question& question) = 0;
};
