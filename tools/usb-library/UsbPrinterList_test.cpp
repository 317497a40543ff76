#include "UsbPrinterList.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace usblib;

namespace {

// How the wizard reads one entry of the answer: port = first six characters, identifiers =
// eight characters from the first "VID" / "PID" (the entry's first eight when absent).
struct WizardView {
    std::string port, vid, pid;
};
WizardView ReadLikeTheWizard(const std::string& entry) {
    auto piece = [&](const char* letters) {
        std::size_t at = entry.find(letters);
        return entry.substr(at == std::string::npos ? 0 : at, 8);
    };
    return {entry.substr(0, 6), piece("VID"), piece("PID")};
}

std::vector<std::string> SplitAnswer(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

} // namespace

TEST(ParseDevicePath, TakesUpperCaseIdentifiersFromTheHardwarePart) {
    struct Case {
        const char* path;
        const char* vid; // nullptr: no identifiers
        const char* pid;
    } cases[] = {
        {R"(\\?\usb#vid_1a2b&pid_3c4d#serial01#{28d78fad-5a12-11d1-ae5b-0000f803a8c2})", "1A2B",
         "3C4D"},
        {R"(\\?\USB#VID_04B8&PID_0E15#5&1A2B3C4D&0&1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2})",
         "04B8", "0E15"},
        {R"(\\?\usb#vid_0fe6&pid_811e&mi_01#6&2f1e&0&0001#{28d78fad-5a12-11d1-ae5b-0000f803a8c2})",
         "0FE6", "811E"},
        {R"(\\?\usb#pid_3c4d&vid_1a2b#x#{guid})", "1A2B", "3C4D"},
        // A serial that looks like identifiers does not win over the real ones.
        {R"(\\?\usb#vid_1a2b&pid_3c4d#vid_ffff&pid_eeee#{guid})", "1A2B", "3C4D"},
        {R"(\\?\usb#vid_1a2b#pid_3c4d#{guid})", nullptr, nullptr},    // not in one part
        {R"(\\?\usb#vid_1a2b5&pid_3c4d#x#{guid})", nullptr, nullptr}, // five digits
        {R"(\\?\usb#vid_1g2b&pid_3c4d#x#{guid})", nullptr, nullptr},  // not hex
        {R"(\\?\usb#vid_1a2b&pid_#x#{guid})", nullptr, nullptr},      // empty
        {R"(\\?\root#printer#0000#{28d78fad-5a12-11d1-ae5b-0000f803a8c2})", nullptr, nullptr},
        {"", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        std::optional<UsbIds> ids = ParseDevicePath(c.path);
        if (!c.vid) {
            EXPECT_FALSE(ids.has_value()) << c.path;
            continue;
        }
        ASSERT_TRUE(ids.has_value()) << c.path;
        EXPECT_EQ(ids->vid, c.vid) << c.path;
        EXPECT_EQ(ids->pid, c.pid) << c.path;
    }
}

TEST(ParseHexId, AcceptsDigitsWithOrWithoutItsOwnPrefix) {
    EXPECT_EQ(ParseHexId("1a2b", "VID_"), "1A2B");
    EXPECT_EQ(ParseHexId("VID_1a2b", "VID_"), "1A2B");
    EXPECT_EQ(ParseHexId("vid_0FE6", "VID_"), "0FE6");
    for (const char* bad : {"", "1A2", "1A2B5", "G123", "PID_1A2B", "VID_", "VID1A2B", "1A 2"})
        EXPECT_FALSE(ParseHexId(bad, "VID_").has_value()) << bad;
}

TEST(IsPortName, SixLettersOrDigits) {
    for (const char* good : {"USB001", "usb002", "USB999"})
        EXPECT_TRUE(IsPortName(good)) << good;
    // The last is "US", U+00DC in UTF-8, "01" (octal escapes end after three digits).
    for (const char* bad : {"", "USB1", "USB0001", "USB 01", "USB;01", "USB,01", "US\303\23401"})
        EXPECT_FALSE(IsPortName(bad)) << bad;
}

TEST(ParseSimulationFile, ReadsPrintersInOrderAndToleratesLayout) {
    const std::string text = "\xEF\xBB\xBF# demo printers\r\n"
                             "\r\n"
                             "USB001 1A2B 3C4D SN-0001 Receipt printer 80mm\r\n"
                             "   \t\r\n"
                             "\tusb002\tvid_0fe6\tpid_811e\r\n"
                             "  # indented comment\n"
                             "USB003,VID_04B8,PID_0E15, label printer  \n"
                             "USB004 ffff 0001"; // no line end at the end of the file
    SimulationFile f = ParseSimulationFile(text);
    EXPECT_TRUE(f.problems.empty()) << f.problems.front();
    ASSERT_EQ(f.printers.size(), 4u);
    struct Want {
        const char *port, *vid, *pid, *description;
    } want[] = {{"USB001", "1A2B", "3C4D", "SN-0001 Receipt printer 80mm"},
                {"usb002", "0FE6", "811E", ""},
                {"USB003", "04B8", "0E15", "label printer"},
                {"USB004", "FFFF", "0001", ""}};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(f.printers[i].port, want[i].port) << i;
        EXPECT_EQ(f.printers[i].vid, want[i].vid) << i;
        EXPECT_EQ(f.printers[i].pid, want[i].pid) << i;
        EXPECT_EQ(f.printers[i].description, want[i].description) << i;
    }
}

TEST(ParseSimulationFile, LeavesOutBadLinesAndNamesThemButKeepsTheRest) {
    const std::string text = "USB1 1A2B 3C4D\n"           // port too short
                             "USB001 1A2B\n"              // no PID
                             "USB001 1A2B 3C4G\n"         // not hex
                             "USB001 1A2B 3C4D\n"         // good
                             "USB;02 1A2B 3C4D\n"         // would split the answer
                             "USB001 0000 0000 again\n"   // port listed already
                             "USB002 PID_1A2B VID_3C4D\n" // fields swapped
                             "USB003 0001 0002\n";        // good
    SimulationFile f = ParseSimulationFile(text);
    ASSERT_EQ(f.printers.size(), 2u);
    EXPECT_EQ(f.printers[0].port, "USB001");
    EXPECT_EQ(f.printers[1].port, "USB003");
    ASSERT_EQ(f.problems.size(), 6u);
    const char* lines[] = {"line 1:", "line 2:", "line 3:", "line 5:", "line 6:", "line 7:"};
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(f.problems[i].rfind(lines[i], 0), 0u) << f.problems[i];
}

TEST(ParseSimulationFile, EmptyAndCommentOnlyFilesHaveNoPrinters) {
    for (const char* text : {"", "\r\n\r\n", "# nothing here\n#USB001 1A2B 3C4D\n"}) {
        SimulationFile f = ParseSimulationFile(text);
        EXPECT_TRUE(f.printers.empty()) << text;
        EXPECT_TRUE(f.problems.empty()) << text;
    }
}

TEST(NameListEntry, IsReadBackByTheWizardAsPortAndModelIdentifiers) {
    UsbPrinter p{"USB001", "1A2B", "3C4D", "serial VID PID"};
    EXPECT_EQ(NameListEntry(p), "USB001,VID_1A2B,PID_3C4D");
    WizardView seen = ReadLikeTheWizard(NameListEntry(p));
    EXPECT_EQ(seen.port, "USB001");
    EXPECT_EQ(seen.vid, "VID_1A2B");
    EXPECT_EQ(seen.pid, "PID_3C4D");
    EXPECT_EQ(IdentifierEntry(p), "VID_1A2B&PID_3C4D");
}

TEST(WriteEntries, FortyPrintersStayWithinTheBufferAndTheCountMatchesTheText) {
    std::vector<std::string> entries;
    for (int i = 1; i <= 40; ++i) {
        char port[8];
        std::snprintf(port, sizeof port, "USB%03d", i);
        entries.push_back(NameListEntry({port, "1A2B", "3C4D", ""}));
    }
    char buffer[512];
    std::memset(buffer, 0x5A, sizeof buffer);
    int count = WriteEntries(entries, ';', buffer, kAnswerBufferSize);

    const char* zero = static_cast<const char*>(std::memchr(buffer, 0, kAnswerBufferSize));
    ASSERT_NE(zero, nullptr);
    std::string text(static_cast<const char*>(buffer), zero);
    // 24-character entries: ten fit with their nine separators (249 bytes), an eleventh not.
    EXPECT_EQ(count, 10);
    std::vector<std::string> read = SplitAnswer(text);
    ASSERT_EQ(read.size(), static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(read[static_cast<std::size_t>(i)], entries[static_cast<std::size_t>(i)]);
    for (std::size_t i = text.size() + 1; i < sizeof buffer; ++i)
        ASSERT_EQ(buffer[i], 0x5A) << "byte " << i << " written after the terminating zero";
}

TEST(WriteEntries, AnEntryFitsExactlyWhenItsZeroTakesTheLastByte) {
    const std::vector<std::string> entries = {"AAAA", "BBBB", "C"};
    struct Case {
        std::size_t capacity;
        int count;
        const char* text;
    } cases[] = {
        {0, 0, nullptr}, {1, 0, ""},           {4, 0, ""},           {5, 1, "AAAA"},
        {9, 1, "AAAA"},  {10, 2, "AAAA;BBBB"}, {11, 2, "AAAA;BBBB"}, {12, 3, "AAAA;BBBB;C"},
    };
    for (const Case& c : cases) {
        char buffer[32];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(WriteEntries(entries, ';', buffer, c.capacity), c.count) << c.capacity;
        if (!c.text) {
            EXPECT_EQ(buffer[0], '#') << "nothing may be written into no room";
            continue;
        }
        EXPECT_STREQ(buffer, c.text) << c.capacity;
        EXPECT_EQ(buffer[std::strlen(c.text) + 1], '#') << c.capacity;
    }
}

TEST(WriteEntries, LaterEntriesNeverJumpAnEntryThatDidNotFit) {
    // The long second entry does not fit; the short third one would, but the list ends.
    const std::vector<std::string> entries = {"AAAA", std::string(20, 'B'), "C"};
    char buffer[16];
    EXPECT_EQ(WriteEntries(entries, ';', buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "AAAA");
}

TEST(WriteEntries, SkipsEntriesThatWouldChangeTheNumberTheReaderSees) {
    const std::vector<std::string> entries = {"", "A;B", std::string("A\0B", 3), "GOOD", "X"};
    char buffer[32];
    EXPECT_EQ(WriteEntries(entries, ';', buffer, sizeof buffer), 2);
    EXPECT_STREQ(buffer, "GOOD;X");
    EXPECT_EQ(WriteEntries(entries, ';', nullptr, 100), 0);
}

TEST(StatusText, NamesTheMostImportantCondition) {
    struct Case {
        unsigned char status;
        const char* text;
    } cases[] = {{0x18, "READY"},   {0xD8, "READY"},   {0x38, "PAPER OUT"}, {0x20, "PAPER OUT"},
                 {0x08, "OFFLINE"}, {0x00, "OFFLINE"}, {0x10, "ERROR"}};
    for (const Case& c : cases)
        EXPECT_STREQ(StatusText(c.status), c.text) << int(c.status);
}
