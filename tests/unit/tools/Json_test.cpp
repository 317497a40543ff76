// The driver's line protocol: what the test side's json.dumps writes must read back exactly,
// and what the driver writes must stay one line of valid JSON.
#include <gtest/gtest.h>

#include "../../../tools/e2e-driver/Protocol.h"

namespace {

using protocol::AsBool;
using protocol::AsInt;
using protocol::AsString;
using protocol::Find;
using protocol::Has;
using protocol::Json;

TEST(DriverJson, ReadsWhatPythonWrites) {
    // json.dumps escapes everything outside ASCII, astral characters as surrogate pairs.
    const Json v = protocol::Parse(
        R"({"cmd": "type", "text": "Hello \u4e2d\u6587 \ud83d\ude00 \"q\" \\ \/ \n\t", )"
        R"("id": 12, "hwnd": 4294967296, "x": -3, "f": 1.5e2, "ok": true, "none": null, )"
        R"("list": [1, [2, {}], []]})");
    EXPECT_EQ(AsString(*Find(v, "cmd")), "type");
    EXPECT_EQ(AsString(*Find(v, "text")),
              "Hello \xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80 \"q\" \\ / \n\t");
    EXPECT_EQ(AsInt(*Find(v, "id")), 12);
    EXPECT_EQ(AsInt(*Find(v, "hwnd")), 4294967296LL);
    EXPECT_EQ(AsInt(*Find(v, "x")), -3);
    EXPECT_EQ(AsInt(*Find(v, "f")), 150);
    EXPECT_TRUE(AsBool(*Find(v, "ok")));
    EXPECT_TRUE(Find(v, "none")->is_null());
    EXPECT_FALSE(Has(v, "none"));
    const Json& list = *Find(v, "list");
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1][1], Json::object());
}

TEST(DriverJson, WritesOneLineThatReadsBack) {
    Json v;
    v["text"] = "line one\r\nline two \x01 \"quoted\" \\ \xE4\xB8\xAD";
    v["n"] = -42;
    v["big"] = 9007199254740993LL;
    v["d"] = 0.1;
    v["items"] = Json::array({"a", true, nullptr});
    const std::string line = protocol::Write(v);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(line.find('\r'), std::string::npos);
    EXPECT_NE(line.find("\\u0001"), std::string::npos);
    EXPECT_EQ(protocol::Parse(line), v);
    EXPECT_EQ(AsInt(*Find(protocol::Parse(line), "big")), 9007199254740993LL);

    // The error for a request that is not UTF-8 quotes its bytes; the answer carrying that
    // error must still be valid UTF-8, with the bad byte replaced.
    Json answer;
    try {
        protocol::Parse("{\"cmd\": \"a\xFF\"}");
        ADD_FAILURE() << "accepted a text that is not UTF-8";
    } catch (const protocol::Error& e) {
        answer["error"] = e.what();
    }
    const std::string error = AsString(*Find(protocol::Parse(protocol::Write(answer)), "error"));
    EXPECT_NE(error.find("\xEF\xBF\xBD"), std::string::npos) << error;
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
        EXPECT_THROW(protocol::Parse(text), protocol::Error) << text;

    std::string deep(100, '[');
    deep += std::string(100, ']');
    EXPECT_THROW(protocol::Parse(deep), protocol::Error);
}

TEST(DriverJson, TypeMismatchesRaise) {
    const Json v = protocol::Parse(R"({"s": "x", "n": 1.5})");
    EXPECT_THROW(AsInt(*Find(v, "s")), protocol::Error);
    EXPECT_THROW(AsInt(*Find(v, "n")), protocol::Error);
    EXPECT_THROW(AsString(*Find(v, "n")), protocol::Error);
    EXPECT_EQ(Find(v, "missing"), nullptr);
}

} // namespace
