#pragma once
// Message boxes that record what the user would see and answer from a script.
#include <deque>
#include <functional>
#include <vector>

#include "platform/Dialogs.h"

class FakeDialogs final : public IDialogs {
public:
    struct Box {
        String text;
        String title;
        std::uint32_t flags;
    };
    std::vector<Box> boxes;
    std::deque<int> answers; // used in order; when empty: IDOK for OK boxes, IDNO otherwise
    std::vector<String> opened;
    std::function<void(const Box&)> onBox; // the user acts while the box is up

    int MessageBox(const String& text, const String& title, std::uint32_t flags) override {
        boxes.push_back({text, title, flags});
        if (onBox) onBox(boxes.back());
        if (!answers.empty()) {
            const int a = answers.front();
            answers.pop_front();
            return a;
        }
        return (flags & 0xF) == mb::YESNO ? mb::ID_NO : mb::ID_OK;
    }
    void ShellOpen(const String& target) override { opened.push_back(target); }
};
