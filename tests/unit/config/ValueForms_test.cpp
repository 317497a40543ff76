#include "config/ValueForms.h"

#include <gtest/gtest.h>

#include "base/Errors.h"

namespace {

TEST(StrToBool, NumbersFirstThenTrueOrFalseInAnyCase) {
    for (const char16_t* text : {u"True", u"true", u"TRUE", u"1", u"-1", u"2", u"1.5", u"1e3",
                                 u"+1", u" 1", u"1 ", u"0.5", u".5", u"1."})
        EXPECT_TRUE(StrToBool(text)) << ToUtf8(text);
    for (const char16_t* text : {u"False", u"fAlSe", u"0", u"0.0", u"-0", u" 0 ", u"0e5", u"000"})
        EXPECT_FALSE(StrToBool(text)) << ToUtf8(text);
}

TEST(StrToBool, AnythingElseIsAnErrorNamingTheText) {
    for (const char16_t* text : {u"", u" True", u"True ", u"yes", u"Y", u"on", u"0x1", u"$1", u"1e",
                                 u"-", u".", u"1 0", u"T"}) {
        try {
            StrToBool(text);
            ADD_FAILURE() << "no error for '" << ToUtf8(text) << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), u"'" + String(text) + u"' is not a valid boolean value");
        }
    }
}

TEST(StrToInt, DecimalAndHexadecimalForms) {
    struct Case {
        const char16_t* text;
        std::int32_t value;
    } cases[] = {
        {u"0", 0},
        {u"12", 12},
        {u"  12", 12},
        {u"+7", 7},
        {u"-12", -12},
        {u"007", 7},
        {u"$2", 2},
        {u"0x2", 2},
        {u"0X1f", 31},
        {u"x10", 16},
        {u"X10", 16},
        {u"-$10", -16},
        {u"2147483647", 2147483647},
        {u"-2147483648", INT32_MIN},
        {u"$7FFFFFFF", 2147483647},
        {u"$FFFFFFFF", -1},
        {u"0x80000000", INT32_MIN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StrToInt(c.text), c.value) << ToUtf8(c.text);
}

TEST(StrToInt, AnythingElseIsAnErrorNamingTheText) {
    for (const char16_t* text :
         {u"", u" ", u"12 ", u"12a", u"- 12", u"\t12", u"1.0", u"$", u"0x", u"x", u"$G",
          u"2147483648", u"-2147483649", u"$100000000", u"99999999999999999999", u"0x-1"}) {
        try {
            StrToInt(text);
            ADD_FAILURE() << "no error for '" << ToUtf8(text) << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), u"'" + String(text) + u"' is not a valid integer value");
        }
    }
}

TEST(SameUpperCase, ComparesAfterUpperCasing) {
    EXPECT_TRUE(SameUpperCase(u"pos", u"POS"));
    EXPECT_TRUE(SameUpperCase(u"Pos", u"pOS"));
    EXPECT_FALSE(SameUpperCase(u"POS ", u"POS"));
    EXPECT_FALSE(SameUpperCase(u"", u"POS"));
}

} // namespace
