// The test receipt's bytes, as a receipt printer receives them.
#include <gtest/gtest.h>

#include "platform/emulated/EmulatedCodePage.h"
#include "printing/TestReceipt.h"

namespace {

// Written out here rather than derived from the code: ESC @, Chinese mode, centred, left,
// feed four lines and the partial cut.
const std::string kInit("\x1B\x40", 2), kChineseMode("\x1C\x26", 2), kCentre("\x1B\x61\x01", 3),
    kLeft("\x1B\x61\x00", 3), kFeedCut("\x1B\x64\x04\x1D\x56\x42\x00", 7);

std::string Gb18030(StringView text) {
    static EmulatedCodePage cp(936);
    return cp.ToCodePage(kCodePageGb18030, text);
}

ReceiptFacts English() {
    ReceiptFacts f;
    f.vendor = u"Demo Ltd.";
    f.model = u"ODAX-80 Receipt";
    f.port = u"192.168.1.100";
    f.dateTime = u"2026-03-07 09:05:02";
    f.wizardVersion = u"1.0.0";
    f.kitVersion = u"2.5";
    f.line = u"Test receipt: this printer is installed and prints.";
    return f;
}

std::string Body(std::initializer_list<std::string> lines) {
    std::string out;
    size_t i = 0;
    for (const std::string& l : lines) {
        if (i == 0) out += kCentre;
        out += l + "\n";
        if (i++ == 0) out += kLeft;
    }
    return out;
}

} // namespace

TEST(TestReceipt, AKnownConverterGivesGb18030NotCodePage936) {
    // 中 文 € and a character outside the BMP (U+20000), from the GB18030 tables.
    EXPECT_EQ(Gb18030(u"中文€\U00020000"), "\xD6\xD0\xCE\xC4\xA2\xE3\x95\x32\x82\x36");
}

TEST(TestReceipt, BytesForATableOfKits) {
    struct Case {
        const char* name;
        ReceiptFacts facts;
        std::string expected;
    };
    std::vector<Case> cases;

    cases.push_back({"english, 48 columns", English(),
                     kInit +
                         Body({"Demo Ltd.", "ODAX-80 Receipt", "192.168.1.100",
                               "2026-03-07 09:05:02", "ODAXPrintDrive 1.0.0", "install.dat 2.5",
                               "Test receipt: this printer is installed and prin"}) +
                         kFeedCut});

    ReceiptFacts narrow = English();
    narrow.columns = kPaperColumnsNarrow;
    narrow.vendor = u"ODAX Demo Technology Company Limited of Shenzhen";
    cases.push_back({"english, 32 columns", narrow,
                     kInit +
                         Body({"ODAX Demo Technology Company Lim", "ODAX-80 Receipt",
                               "192.168.1.100", "2026-03-07 09:05:02", "ODAXPrintDrive 1.0.0",
                               "install.dat 2.5", "Test receipt: this printer is in"}) +
                         kFeedCut});

    // Outside ASCII an English receipt prints '?', one column each; control characters too.
    ReceiptFacts accents = English();
    accents.vendor = u"Soci\u00e9t\u00e9 \u4e2d\U00020000\tX";
    accents.line = u"ok";
    cases.push_back(
        {"english, other characters", accents,
         kInit +
             Body({"Soci?t? ???X", "ODAX-80 Receipt", "192.168.1.100", "2026-03-07 09:05:02",
                   "ODAXPrintDrive 1.0.0", "install.dat 2.5", "ok"}) +
             kFeedCut});

    ReceiptFacts chinese = English();
    chinese.chinese = true;
    chinese.vendor = u"中文€";
    chinese.model = u"ODAX-80 Receipt";
    chinese.line = u"中\U00020000";
    cases.push_back({"chinese", chinese,
                     kInit + kChineseMode +
                         Body({"\xD6\xD0\xCE\xC4\xA2\xE3", "ODAX-80 Receipt", "192.168.1.100",
                               "2026-03-07 09:05:02", "ODAXPrintDrive 1.0.0", "install.dat 2.5",
                               "\xD6\xD0\x95\x32\x82\x36"}) +
                         kFeedCut});

    // Double-width characters: 'A' and 15 of them fill 31 columns; the 16th would need 33.
    ReceiptFacts wide = chinese;
    wide.columns = kPaperColumnsNarrow;
    wide.vendor = u"A" + String(16, u'中');
    wide.line = String(15, u'文') + u"ab";
    std::string fifteen, sixteen;
    for (int i = 0; i < 15; ++i)
        fifteen += "\xD6\xD0";
    for (int i = 0; i < 15; ++i)
        sixteen += "\xCE\xC4";
    cases.push_back(
        {"chinese, 32 columns", wide,
         kInit + kChineseMode +
             Body({"A" + fifteen, "ODAX-80 Receipt", "192.168.1.100", "2026-03-07 09:05:02",
                   "ODAXPrintDrive 1.0.0", "install.dat 2.5", sixteen + "ab"}) +
             kFeedCut});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReceiptBytes(c.facts, Gb18030), c.expected);
    }
}

TEST(TestReceipt, ALongChineseNameIsCutAtFortyEightColumns) {
    ReceiptFacts f = English();
    f.chinese = true;
    f.vendor = String(30, u'中'); // 60 columns
    const std::string bytes = ReceiptBytes(f, Gb18030);
    std::string first;
    for (int i = 0; i < 24; ++i)
        first += "\xD6\xD0";
    EXPECT_EQ(bytes.substr(0, 4 + 3 + first.size() + 1 + 3),
              kInit + kChineseMode + kCentre + first + "\n" + kLeft);
}

TEST(TestReceipt, DateAndTimeAreZeroPadded) {
    EXPECT_EQ(ReceiptDateTime(2026, 3, 7, 9, 5, 2), u"2026-03-07 09:05:02");
    EXPECT_EQ(ReceiptDateTime(2026, 12, 31, 23, 59, 59), u"2026-12-31 23:59:59");
}
