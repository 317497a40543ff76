#include "install/TestPrint.h"

#include "config/ValueForms.h"
#include "config/untIni.h"
#include "language/Languages.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/MessagePump.h"
#include "platform/Spooler.h"
#include "printing/untFuction.h"
#include "version.h"


namespace {

String Config(const char16_t* key) {
    return IniOptions->GetIdentValue(u"CONFIG", key);
}

const char16_t kDocumentName[] = u"ODAXPrintDrive test receipt";

} // namespace

bool TestPrintOffered() {
    bool on = false;
    return TryStrToBool(Config(u"TestPrint"), on) && on;
}

int PaperColumns() {
    std::int32_t columns = 0;
    if (TryStrToInt(Config(u"PaperColumns"), columns) && columns == kPaperColumnsNarrow)
        return kPaperColumnsNarrow;
    return kPaperColumnsWide;
}

ReceiptFacts TestReceiptFacts(const TPrintModelInfo& setup) {
    ReceiptFacts facts;
    facts.vendor = IniOptions->GetIdentValue(u"OEM", DisplayLanguage().companyNameKey);
    facts.model = setup.PrintName;
    facts.port = setup.PrintPort;
    const LocalTime t = Clock::Get().Now();
    facts.dateTime = ReceiptDateTime(t.year, t.month, t.day, t.hour, t.minute, t.second);
    facts.wizardVersion = FromUtf8(WIZ_VERSION_STRING);
    facts.kitVersion = Config(u"SoftVer");
    facts.line = CaptionOrBuiltIn(caption::kTestPrintLine);
    facts.chinese = OSLanguage == TOSLanguage::CN;
    facts.columns = PaperColumns();
    return facts;
}

TestPrintOutcome PrintTestReceipt(const TPrintModelInfo& setup, const String& printer,
                                  bool labelClass, IReport& progress) {
    auto report = [&](const String& text) {
        progress.Status(text);
        progress.Log(text);
    };
    report(CaptionOrBuiltIn(caption::kTestPrintSending));
    Pump();

    ISpooler& spooler = Spooler::Get();
    const ReceiptFacts facts = TestReceiptFacts(setup);
    SentJob job;
    if (labelClass) {
        // Label printers differ in command language: their driver draws the page.
        job = spooler.PrintTextPage(printer, kDocumentName, ReceiptLines(facts));
    } else {
        const std::string bytes = ReceiptBytes(facts, [](StringView text) {
            return CodePage::Get().ToCodePage(kCodePageGb18030, text);
        });
        job = spooler.SendRawJob(printer, kDocumentName, bytes);
    }
    auto outcome = [&](const CaptionKey& caption, const String& detail, TestPrintOutcome result) {
        report(CaptionOrBuiltIn(caption) + detail);
        Pump();
        return result;
    };
    if (job.id == 0) return outcome(caption::kTestPrintFailed, job.error, TestPrintOutcome::Failed);

    // Followed with the windows painted, until the spooler tells or the bound is reached.
    IClock& clock = Clock::Get();
    const std::uint32_t start = clock.GetTickCount();
    JobState state = spooler.ReadJob(printer, job.id);
    while (state.kind == JobState::Queued &&
           static_cast<std::int32_t>(clock.GetTickCount() - start) < kTestPrintWaitMs) {
        WaitTime(kTestPrintPollMs);
        state = spooler.ReadJob(printer, job.id);
    }
    switch (state.kind) {
    case JobState::Printed:
        return outcome(caption::kTestPrintPrinted, {}, TestPrintOutcome::Printed);
    case JobState::Failed:
        return outcome(caption::kTestPrintFailed, state.status, TestPrintOutcome::Failed);
    case JobState::Queued:
        break;
    }
    return outcome(caption::kTestPrintQueued, {}, TestPrintOutcome::StillQueued);
}

TestPrintOutcome OfferTestPrint(const TPrintModelInfo& setup, const String& printer,
                                bool labelClass, IReport& progress, IQuestions& questions) {
    if (!TestPrintOffered()) return TestPrintOutcome::Off;
    if (!questions.Ask({QuestionKind::TestReceipt, CaptionText(LCaption, caption::kMessageTitle),
                        CaptionOrBuiltIn(caption::kTestPrintQuestion)}))
        return TestPrintOutcome::Declined;
    return PrintTestReceipt(setup, printer, labelClass, progress);
}
