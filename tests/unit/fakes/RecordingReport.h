#pragma once
// A front end that records: every report and question of an operation as one line, in order.
#include <deque>
#include <vector>

#include "platform/Dialogs.h"
#include "session/Questions.h"
#include "session/Report.h"

// Every report and question as one line, in order; questions and messages take their answer
// from a script (OK or No when it runs out). Leaving at the end is recorded as "quit", as a
// front end leaves when the user says Yes.
class RecordingProgress final : public IReport, public IQuestions {
  public:
    StringList events;
    std::deque<int> answers;
    std::vector<QuestionKind> asked; // the questions' kinds, in order

    void Begin(const String& caption, const String& heading,
               const std::optional<String>& button) override {
        events.push_back(u"open " + caption + u"|" + heading + u"|" + button.value_or(u"-"));
    }
    void End() override { events.push_back(u"close"); }
    void ClearLog() override { events.push_back(u"clear"); }
    void Log(const String& line) override { events.push_back(u"log " + line); }
    void Steps(int count) override { events.push_back(u"steps " + IntToStr(count)); }
    void Step() override { events.push_back(u"step"); }
    void Finish() override { events.push_back(u"finish"); }
    void Cancellable(bool enabled) override {
        events.push_back(enabled ? u"cancellable" : u"not cancellable");
    }
    void Status(const String& text) override { events.push_back(u"status " + text); }
    void Message(const String& title, const String& text, Notice) override {
        Answer(title, text, mb::OK);
    }
    bool Ask(const Question& q) override {
        asked.push_back(q.kind);
        const bool yes = Answer(q.title, q.text, QuestionBoxFlags(q.kind)) == mb::ID_YES;
        if (q.kind == QuestionKind::AutoQuit || (q.kind == QuestionKind::QuitAtEnd && yes))
            events.push_back(u"quit");
        return yes;
    }
    void Phase(RunPhase phase) override {
        events.push_back(phase == RunPhase::Changing ? u"busy" : u"usable");
    }

    int Answer(const String& title, const String& text, std::uint32_t flags) {
        events.push_back(u"ask " + title + u"|" + text);
        if (!answers.empty()) {
            const int a = answers.front();
            answers.pop_front();
            return a;
        }
        return (flags & 0xF) == mb::YESNO ? mb::ID_NO : mb::ID_OK;
    }

    // The events of one kind, without the kind's word.
    StringList Of(const String& kind) const {
        StringList out;
        for (const String& e : events)
            if (StartsWith(e, kind + u" ")) out.push_back(e.substr(kind.size() + 1));
        return out;
    }
};
