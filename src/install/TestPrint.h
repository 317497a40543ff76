#pragma once
// The test receipt after a verified installation: asked for, printed on the new queue and
// followed until the spooler reports it printed or failed. Its outcome is only reported: a
// failed test print never undoes the installation.
#include <cstdint>

#include "config/CaptionKeys.h"
#include "printing/TestReceipt.h"
#include "session/PrintModel.h"
#include "session/Questions.h"
#include "session/Report.h"

// How long the job is followed before it counts as still queued.
constexpr std::int32_t kTestPrintWaitMs = 30000;
constexpr std::int32_t kTestPrintPollMs = 250;

enum class TestPrintOutcome {
    Off,         // the kit does not offer it
    Declined,    // the user answered No
    Printed,     // the spooler reports the job printed, or it has left the queue
    Failed,      // the job could not be sent, or the spooler reports it in error
    StillQueued, // neither within kTestPrintWaitMs
};

// [CONFIG] TestPrint: on when it reads as true; missing, empty or no Boolean value: off, so a
// kit that does not ask for it behaves as before.
bool TestPrintOffered();
// [CONFIG] PaperColumns: 32 for 58 mm paper, 48 (80 mm) for any other value or none.
int PaperColumns();

// The facts of the installed printer as the receipt prints them, now, in the display language.
ReceiptFacts TestReceiptFacts(const TPrintModelInfo& setup);

// Prints the test receipt on the installed printer without asking: a raw ESC/POS job for the
// receipt printer class, one page through the installed driver for the label class. The
// outcome is reported as a log and status line.
// `printer` is the queue's name (the model's, unless the run names it otherwise).
TestPrintOutcome PrintTestReceipt(const TPrintModelInfo& setup, const String& printer,
                                  bool labelClass, IReport& progress);

// The step of the installation run: when the kit offers it, asks, then prints.
TestPrintOutcome OfferTestPrint(const TPrintModelInfo& setup, const String& printer,
                                bool labelClass, IReport& progress, IQuestions& questions);
