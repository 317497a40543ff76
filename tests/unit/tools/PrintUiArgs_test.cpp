// The rundll32 stand-in's reading of the printer-setup command lines the wizard runs, and its
// decision whether an INF file names a model.
#include <gtest/gtest.h>

#include "../../../tools/stand-ins/PrintUiArgs.h"

namespace {

using namespace standin;

std::string ToString(const char16_t* s) {
    std::string out;
    for (; *s; ++s)
        out += *s < 0x80 ? static_cast<char>(*s) : '?';
    return out;
}

Text Latin1(std::string_view bytes) {
    Text out;
    for (const char c : bytes)
        out += static_cast<char16_t>(static_cast<unsigned char>(c));
    return out;
}

TEST(PrintUiArgs, ReadsTheInstallCommand) {
    const auto call = ParsePrintUi(
        uR"(printui.dll,PrintUIEntry /if /b "Model 1" /f "C:\Setup\EN\pos.inf" /r "" /m "Model 1")");
    ASSERT_TRUE(call);
    EXPECT_TRUE(call->error.empty());
    EXPECT_TRUE(call->Has(u"if"));
    EXPECT_FALSE(call->Has(u"dd"));
    EXPECT_EQ(call->Value(u'b'), Text(u"Model 1"));
    EXPECT_EQ(call->Value(u'f'), Text(uR"(C:\Setup\EN\pos.inf)"));
    EXPECT_EQ(call->Value(u'r'), Text()); // an empty port stays an (empty) value
    EXPECT_EQ(call->Value(u'm'), Text(u"Model 1"));
}

TEST(PrintUiArgs, ReadsTheDeleteCommand) {
    const auto call = ParsePrintUi(
        uR"(printui.dll,PrintUIEntry /dd /c\\machine /m "Model-1" /h "x86" /v "Type 3 - User Mode" )");
    ASSERT_TRUE(call);
    EXPECT_TRUE(call->error.empty());
    EXPECT_TRUE(call->Has(u"dd"));
    EXPECT_EQ(call->Value(u'c'), Text(uR"(\\machine)"));
    EXPECT_EQ(call->Value(u'm'), Text(u"Model-1"));
    EXPECT_EQ(call->Value(u'v'), Text(u"Type 3 - User Mode"));
}

TEST(PrintUiArgs, OtherEntriesAndFaultsAreSeen) {
    EXPECT_FALSE(ParsePrintUi(u"shell32.dll,Control_RunDLL desk.cpl"));
    EXPECT_FALSE(ParsePrintUi(u"printui.dll,printuientry /if")); // the entry name is exact
    EXPECT_FALSE(ParsePrintUi(u""));
    EXPECT_TRUE(ParsePrintUi(uR"(C:\Windows\System32\PRINTUI.DLL,PrintUIEntry /dd /m x)"));
    EXPECT_TRUE(ParsePrintUi(u"printui,PrintUIEntry /dd /m x"));
    EXPECT_FALSE(ParsePrintUi(u"printui.dll,PrintUIEntry /if /b")->error.empty());
    EXPECT_FALSE(ParsePrintUi(u"printui.dll,PrintUIEntry /if stray")->error.empty());
}

TEST(PrintUiArgs, ArgumentTailSkipsTheProgramName) {
    const struct {
        const char16_t* line;
        const char16_t* tail;
    } cases[] = {
        {u"rundll32 printui.dll,PrintUIEntry /if", u"printui.dll,PrintUIEntry /if"},
        {uR"("C:\a b\rundll32.exe"  x "y z" )", uR"(x "y z" )"},
        {u"net", u""},
        {uR"("C:\unclosed)", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ArgumentTail(c.line), Text(c.tail)) << ToString(c.line);
}

TEST(PrintUiArgs, InfNamesTheModelAsAWholeName) {
    const Text inf = u"[Version]\r\nSignature=\"$Windows NT$\"\r\n"
                     u"; Model-9 is only mentioned here\r\n"
                     u"[ODAX]\r\n\"Model-1\" = M1, USBPRINT\\ODAX\r\n"
                     u"ODAX POS-80 Series = M2\n"
                     u"\"Semi;colon\" = M3\r\n";
    const struct {
        const char16_t* model;
        bool named;
    } cases[] = {
        {u"Model-1", true},     {u"model-1", true},    {u"Model-10", false},
        {u"Model", false},      {u"odel-1", false},    {u"Model-9", false},
        {u"ODAX POS-80", true}, {u"Semi;colon", true}, {u"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NamesModel(inf, c.model), c.named) << ToString(c.model);
}

TEST(PrintUiArgs, DecodesAnsiAndUtf16Infs) {
    const std::string ansi = "\"Caf\xE9 1\" = M1\r\n";
    EXPECT_EQ(DecodeInf(ansi, Latin1), Text(u"\"Caf\u00E9 1\" = M1\r\n"));
    const std::string utf16bom("\xFF\xFE\"\0M\0\x2D\x4E\"\0", 10);
    EXPECT_EQ(DecodeInf(utf16bom, Latin1), Text(u"\"M\u4E2D\""));
    const std::string utf16("[\0A\0]\0\r\0\n\0", 10);
    EXPECT_EQ(DecodeInf(utf16, Latin1), Text(u"[A]\r\n"));
    EXPECT_EQ(DecodeInf("\xEF\xBB\xBFM\xE4\xB8\xAD \xF0\x9F\x98\x80", Latin1),
              Text(u"M\u4E2D \U0001F600"));
}

TEST(PrintUiArgs, PortListLines) {
    EXPECT_EQ(Lines(u"USB001\r\n\r\n  USB002 \nLPT9:"),
              (std::vector<Text>{u"USB001", u"USB002", u"LPT9:"}));
}

} // namespace
