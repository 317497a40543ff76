#include <gtest/gtest.h>

#include "base/Text.h"

TEST(Text, SplitKeepsEveryPieceAndJoinedPutsThemBack) {
    const struct {
        const char16_t* text;
        StringList pieces;
    } cases[] = {
        {u"", {u""}},
        {u"COM1", {u"COM1"}},
        {u"COM1,LPT1", {u"COM1", u"LPT1"}},
        {u",a,,b,", {u"", u"a", u"", u"b", u""}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Split(c.text, u','), c.pieces) << ToUtf8(c.text);
        EXPECT_EQ(Joined(c.pieces, u","), c.text);
    }
    EXPECT_EQ(Joined({u"a", u"b"}), u"a, b");
    EXPECT_EQ(Joined({}), u"");
    EXPECT_EQ(Quoted(u"ODAX-80"), u"\"ODAX-80\"");
}
