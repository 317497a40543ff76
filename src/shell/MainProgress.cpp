// The main window's side of the long operations: their progress on the wait dialog and the
// status bar, and every text shown there in the install log.
#include "base/Errors.h"
#include "config/untIni.h"
#include "dialogs/untWait.h"
#include "platform/Dialogs.h"
#include "session/InstallLog.h"
#include "shell/untMain.h"

namespace {

String AnswerName(int answer) {
    switch (answer) {
    case mb::ID_OK:
        return u"OK";
    case mb::ID_CANCEL:
        return u"Cancel";
    case mb::ID_YES:
        return u"Yes";
    case mb::ID_NO:
        return u"No";
    default:
        return IntToStr(answer);
    }
}

} // namespace

void MainWindowProgress::Record(const String& text) {
    if (text == lastRecorded_) return;
    lastRecorded_ = text;
    installlog::Line(text);
}

void MainWindowProgress::Begin(const String& title, const String& heading,
                               const std::optional<String>& button) {
    frmWait->Show();
    frmWait->SetCaption(title);
    frmWait->Label1->SetCaption(heading);
    Record(heading);
    if (button) frmWait->BitBtn1->SetCaption(*button);
}

void MainWindowProgress::End() {
    frmWait->Close();
}

void MainWindowProgress::ClearLog() {
    frmWait->mmoWait->Clear();
}

void MainWindowProgress::Log(const String& line) {
    frmWait->mmoWait->Append(line);
    Record(line);
}

void MainWindowProgress::Steps(int count) {
    ui::ProgressBar& bar = *frmWait->pbWait;
    bar.SetMax(count);
    bar.SetStep(1);
    bar.SetMin(0);
    bar.SetPosition(0);
}

void MainWindowProgress::Step() {
    frmWait->pbWait->StepIt();
}

void MainWindowProgress::Finish() {
    frmWait->pbWait->SetPosition(frmWait->pbWait->Max());
}

void MainWindowProgress::Cancellable(bool enabled) {
    frmWait->BitBtn1->SetEnabled(enabled);
}

void MainWindowProgress::Status(const String& text) {
    main_.StatusBar1->SetPanelText(1, text);
    Record(text);
}

int MainWindowProgress::Box(const String& title, const String& text, std::uint32_t flags) {
    const int answer = Dialogs::Get().MessageBox(text, title, flags);
    Record(u"Message box (" + title + u"): " + text + u"\r\nAnswer: " + AnswerName(answer));
    return answer;
}

void MainWindowProgress::Message(const String& title, const String& text, Notice notice) {
    Box(title, text, mb::OK | (notice == Notice::Error ? mb::ICONERROR : mb::ICONINFORMATION));
}

bool MainWindowProgress::Ask(const Question& question) {
    const bool yes = Box(question.title, question.text, QuestionBoxFlags(question.kind)) ==
                     (question.kind == QuestionKind::AutoQuit ? mb::ID_OK : mb::ID_YES);
    // Leaving is the quit action, which asks once more before it closes the window.
    if (question.kind == QuestionKind::AutoQuit ||
        (question.kind == QuestionKind::QuitAtEnd && yes))
        main_.btnQuitClick(nullptr);
    return yes;
}

void MainWindowProgress::Phase(RunPhase phase) {
    Busy(phase == RunPhase::Changing);
}

void MainWindowProgress::Busy(bool busy) {
    main_.btnStartInstall->SetEnabled(!busy);
    main_.SetEnabled(!busy);
    frmWait->BitBtn1->SetEnabled(!busy);
}

void MainWindowProgress::LoggedRun(const String& how, const std::function<String()>& run) {
    installlog::UseFormat(ParseLogFormat(KitLogFormat()).value_or(LogFormat::Text));
    installlog::BeginRun(how, KitVersionForLog());
    lastRecorded_.clear();
    String outcome;
    try {
        outcome = run();
    } catch (const std::exception& e) {
        installlog::EndRun(u"error: " + FromUtf8(e.what()), installlog::Severity::Error);
        throw;
    }
    installlog::EndRun(outcome);
}
