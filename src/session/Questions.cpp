#include "session/Questions.h"

#include "platform/Dialogs.h"

const std::vector<QuestionKind>& QuestionKinds() {
    static const std::vector<QuestionKind> kinds = {
        QuestionKind::ExistingPort, QuestionKind::RemovePrinter, QuestionKind::MakeDefault,
        QuestionKind::TestReceipt,  QuestionKind::QuitAtEnd,     QuestionKind::AutoQuit};
    return kinds;
}

const char16_t* QuestionName(QuestionKind kind) {
    switch (kind) {
    case QuestionKind::ExistingPort:
        return u"existing port";
    case QuestionKind::RemovePrinter:
        return u"removal of the installed printer";
    case QuestionKind::MakeDefault:
        return u"default printer";
    case QuestionKind::TestReceipt:
        return u"test receipt";
    case QuestionKind::QuitAtEnd:
        return u"quit at the end";
    case QuestionKind::AutoQuit:
        return u"leaving at the end";
    }
    return u"question";
}

std::uint32_t QuestionBoxFlags(QuestionKind kind) {
    switch (kind) {
    case QuestionKind::ExistingPort:
    case QuestionKind::RemovePrinter:
        return mb::YESNO | mb::ICONWARNING;
    case QuestionKind::MakeDefault:
    case QuestionKind::TestReceipt:
    case QuestionKind::QuitAtEnd:
        return mb::YESNO | mb::ICONQUESTION;
    case QuestionKind::AutoQuit:
        break;
    }
    return mb::OK | mb::ICONINFORMATION;
}
