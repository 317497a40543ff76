#include <gtest/gtest.h>

#include "ui/Form.h"

using namespace ui;

namespace {

const String kAddressMask = u"999\\.999\\.999\\.999;1;_";

struct Field {
    Form form{u"frm", 100, 100};
    MaskEdit* edit = form.Add<MaskEdit>(u"meText", &form, Rect{}, kAddressMask);
    int caret = 0;
    // Types like a user at the keyboard: each key at the caret the previous one left.
    void Type(StringView keys) {
        for (char16_t c : keys)
            caret = edit->TypeChar(caret, c);
    }
};

} // namespace

TEST(MaskEdit, AnUntouchedAddressFieldReadsBlanksAndShowsPlaceholders) {
    Field f;
    EXPECT_EQ(f.edit->MaxLength(), 15);
    EXPECT_EQ(f.edit->Text(), u"   .   .   .   ");
    EXPECT_EQ(f.edit->EditText(), u"___.___.___.___");
    for (int p : {3, 7, 11})
        EXPECT_TRUE(f.edit->IsLiteral(p)) << p;
    for (int p : {0, 4, 14, -1, 15})
        EXPECT_FALSE(f.edit->IsLiteral(p)) << p;
}

TEST(MaskEdit, TypingAddressesAsUsersDo) {
    struct Case {
        const char16_t* keys;
        const char16_t* text;
        int caret;
    };
    const Case cases[] = {
        // A full group moves past the point, and the point typed next does not skip a group.
        {u"192.168.1.100", u"192.168.1  .100", 15},
        {u"192.168.1", u"192.168.1  .   ", 9},
        {u"1.2.3.4", u"1  .2  .3  .4  ", 13},
        {u"192168001100", u"192.168.001.100", 15},
        // Letters and other characters are refused; digits beyond the last place too.
        {u"1a9-2 x", u"192.   .   .   ", 4},
        {u"255.255.255.2559", u"255.255.255.255", 15},
        // A point on an empty field jumps to the second group.
        {u".5", u"   .5  .   .   ", 5},
        // Points typed one after another each skip a group.
        {u"....", u"   .   .   .   ", 12},
        {u"192..5", u"192.   .5  .   ", 9},
    };
    for (const auto& c : cases) {
        Field f;
        f.Type(c.keys);
        EXPECT_EQ(f.edit->Text(), c.text) << ToUtf8(c.keys);
        EXPECT_EQ(f.caret, c.caret) << ToUtf8(c.keys);
    }
}

TEST(MaskEdit, TypingInTwoGoesAsInOne) {
    Field f;
    f.Type(u"192.168.1");
    f.Type(u".100");
    EXPECT_EQ(f.edit->Text(), u"192.168.1  .100");
    EXPECT_EQ(f.edit->EditText(), u"192.168.1__.100");
}

TEST(MaskEdit, TypingOverwritesThePlaceAtTheCaretAndSkipsPoints) {
    Field f;
    f.edit->SetText(u"192.168.001.100");
    EXPECT_EQ(f.edit->TypeChar(5, u'7'), 6);
    EXPECT_EQ(f.edit->TypeChar(3, u'9'), 5); // on the point: the digit goes after it
    EXPECT_EQ(f.edit->TypeChar(6, u'0'), 8); // the last place of a group moves past the point
    EXPECT_EQ(f.edit->Text(), u"192.970.001.100");
    EXPECT_EQ(f.edit->TypeChar(2, u'.'), 4); // a point inside a group jumps to the next one
    EXPECT_EQ(f.edit->TypeChar(99, u'1'), 15);
    EXPECT_EQ(f.edit->Text(), u"192.970.001.100");
}

TEST(MaskEdit, BackspaceAndDeleteBlankOnePlaceAndLeaveThePoints) {
    struct Case {
        const char16_t* op;
        int caret;
        const char16_t* text;
        int after;
    };
    const Case cases[] = {
        {u"back", 3, u"19 .168.001.100", 2},
        {u"back", 4, u"19 .168.001.100", 2}, // just after a point: the digit before it
        {u"back", 0, u"192.168.001.100", 0},
        {u"back", 15, u"192.168.001.10 ", 14},
        {u"back", 40, u"192.168.001.10 ", 14},
        {u"del", 0, u" 92.168.001.100", 0},
        {u"del", 3, u"192. 68.001.100", 3}, // on a point: the digit after it, caret stays
        {u"del", 14, u"192.168.001.10 ", 14},
        {u"del", 15, u"192.168.001.100", 15},
    };
    for (const auto& c : cases) {
        Field f;
        f.edit->SetText(u"192.168.001.100");
        const int after =
            String(c.op) == u"back" ? f.edit->Backspace(c.caret) : f.edit->Delete(c.caret);
        EXPECT_EQ(f.edit->Text(), c.text) << ToUtf8(c.op) << " at " << c.caret;
        EXPECT_EQ(after, c.after) << ToUtf8(c.op) << " at " << c.caret;
    }
}

TEST(MaskEdit, ASelectionIsBlankedPlaceByPlace) {
    Field f;
    f.edit->SetText(u"192.168.001.100");
    EXPECT_EQ(f.edit->ClearRange(2, 9), 2);
    EXPECT_EQ(f.edit->Text(), u"19 .   . 01.100");
    EXPECT_EQ(f.edit->ClearRange(-5, 99), 0);
    EXPECT_EQ(f.edit->Text(), u"   .   .   .   ");
}

TEST(MaskEdit, PasteOfADottedAddressFillsEveryGroup) {
    struct Case {
        const char16_t* pasted;
        int caret;
        const char16_t* text;
    };
    const Case cases[] = {
        {u"10.0.0.1", 0, u"10 .0  .0  .1  "},
        {u"  192.168.1.100\r\n", 9, u"192.168.1  .100"}, // wherever the caret is
        // Not a whole address: typed from the caret as keys would be.
        {u"192.168", 0, u"192.168.   .   "},
        {u"7", 4, u"   .7  .   .   "},
        {u"1234.5.6.7", 0, u"123.4  .5  .67 "},
        {u"abc", 0, u"   .   .   .   "},
        {u"1.2.3", 0, u"1  .2  .3  .   "},
    };
    for (const auto& c : cases) {
        Field f;
        f.edit->Paste(c.caret, c.pasted);
        EXPECT_EQ(f.edit->Text(), c.text) << ToUtf8(c.pasted);
    }
}

TEST(MaskEdit, ProgramTextIsAlignedGroupByGroup) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"192.168.001.100", u"192.168.001.100"},
        {u"192.168.1.100", u"192.168.1  .100"},
        {u"1x2.34 .5678.9", u"1 2.34 .567.9  "}, // other characters blank, long groups cut
        {u"10.1", u"10 .1  .   .   "},
        {u"", u"   .   .   .   "},
    };
    for (const auto& [given, text] : cases) {
        Field f;
        f.edit->SetText(given);
        EXPECT_EQ(f.edit->Text(), text) << ToUtf8(given);
    }
}

TEST(MaskEdit, TellsItsPeerOfEveryTextChangeOnly) {
    struct Counter : Peer {
        int& n;
        explicit Counter(int& count) : n(count) {}
        void Changed(Change what) override {
            if (what == Change::Text) ++n;
        }
    };
    Field f;
    int changes = 0;
    f.edit->AttachPeer(std::make_unique<Counter>(changes));
    f.Type(u"1x");
    EXPECT_EQ(changes, 1);
    f.edit->Backspace(0);      // nothing to blank
    f.edit->ClearRange(4, 15); // nothing filled there
    EXPECT_EQ(changes, 1);
    f.edit->ClearRange(0, 4);
    f.edit->Paste(0, u"1.2.3.4");
    EXPECT_EQ(changes, 3);
    f.edit->DetachPeer();
}
