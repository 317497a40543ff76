// The driver's line protocol: what the test side's json.dumps writes must read back exactly,
// and what the driver writes must stay one line of valid JSON.
#include <gtest/gtest.h>

#include "../../../tools/e2e-driver/Json.h"

namespace {

TEST(DriverJson, ReadsWhatPythonWrites) {
    // json.dumps escapes everything outside ASCII, astral characters as surrogate pairs.
    const json::Value v = json::Parse(
        R"({"cmd": "type", "text": "Hello \u4e2d\u6587 \ud83d\ude00 \"q\" \\ \/ \n\t", )"
        R"("id": 12, "hwnd": 4294967296, "x": -3, "f": 1.5e2, "ok": true, "none": null, )"
        R"("list": [1, [2, {}], []]})");
    EXPECT_EQ(v.Find("cmd")->AsString(), "type");
    EXPECT_EQ(v.Find("text")->AsString(),
              "Hello \xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80 \"q\" \\ / \n\t");
    EXPECT_EQ(v.Find("id")->AsInt(), 12);
    EXPECT_EQ(v.Find("hwnd")->AsInt(), 4294967296LL);
    EXPECT_EQ(v.Find("x")->AsInt(), -3);
    EXPECT_EQ(v.Find("f")->AsInt(), 150);
    EXPECT_TRUE(v.Find("ok")->AsBool());
    EXPECT_TRUE(v.Find("none")->IsNull());
    EXPECT_FALSE(v.Has("none"));
    const auto& list = v.Find("list")->AsArray();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1].AsArray()[1], json::Value::MakeObject());
}

TEST(DriverJson, WritesOneLineThatReadsBack) {
    json::Value v;
    v.Set("text", "line one\r\nline two \x01 \"quoted\" \\ \xE4\xB8\xAD");
    v.Set("n", -42);
    v.Set("big", 9007199254740993LL);
    v.Set("d", 0.1);
    v.Set("items", json::Value(json::Value::Array{"a", true, nullptr}));
    const std::string line = json::Write(v);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(line.find('\r'), std::string::npos);
    EXPECT_NE(line.find("\\u0001"), std::string::npos);
    EXPECT_EQ(json::Parse(line), v);
    EXPECT_EQ(json::Parse(line).Find("big")->AsInt(), 9007199254740993LL);
}

TEST(DriverJson, RefusesMalformedInput) {
    const char* bad[] = {
        "",                  // nothing
        "{",                 // unterminated object
        R"({"a" 1})",        // missing colon
        R"({"a": 1,})",      // trailing comma
        R"(["a")",           // unterminated array
        R"("abc)",           // unterminated text
        "\"a\nb\"",          // raw control character in a text
        R"("\x")",           // unknown escape
        R"("\u12")",         // short \u escape
        R"("\ud83d")",       // lone high surrogate
        R"("\ude00")",       // lone low surrogate
        R"("\ud83d\u0041")", // high surrogate without its low half
        "01",                // leading zero
        "1.",                // fraction without digits
        "-",                 // sign alone
        "tru",               // cut word
        "{} x",              // text after the value
        "{'a': 1}",          // single quotes
    };
    for (const char* text : bad)
        EXPECT_THROW(json::Parse(text), json::Error) << text;

    std::string deep(100, '[');
    deep += std::string(100, ']');
    EXPECT_THROW(json::Parse(deep), json::Error);
}

TEST(DriverJson, TypeMismatchesRaise) {
    const json::Value v = json::Parse(R"({"s": "x", "n": 1.5})");
    EXPECT_THROW(v.Find("s")->AsInt(), json::Error);
    EXPECT_THROW(v.Find("n")->AsInt(), json::Error);
    EXPECT_THROW(v.Find("n")->AsString(), json::Error);
    EXPECT_EQ(v.Find("missing"), nullptr);
}

} // namespace
