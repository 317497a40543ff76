#pragma once
// The test receipt: the facts of an installation printed as proof that the printer prints.
// Pure functions of their inputs, so every byte can be checked without a printer.
#include <functional>
#include <string>

#include "base/Text.h"

// The paper's width in characters of the printer's standard font.
constexpr int kPaperColumnsWide = 48;   // 80 mm paper
constexpr int kPaperColumnsNarrow = 32; // 58 mm paper

struct ReceiptFacts {
    String vendor;        // the kit's company name in the display language
    String model;         // the queue and its driver
    String port;          // the port, or the printer's network address
    String dateTime;      // when it was printed, as ReceiptDateTime writes it
    String wizardVersion; // this program's
    String kitVersion;    // the kit's ([CONFIG] SoftVer)
    String line;          // the sentence in the kit's language
    bool chinese = false; // the kit's language is Chinese: GB18030 and double-width characters
    int columns = kPaperColumnsWide;
};

// "2026-03-07 09:05:02".
String ReceiptDateTime(int year, int month, int day, int hour, int minute, int second);

// The printed lines, vendor first, as the receipt and the label page show them.
StringList ReceiptLines(const ReceiptFacts& facts);

// Text in GB18030 (the code-page service on the real program).
using Gb18030Encoder = std::function<std::string(StringView)>;

// The ESC/POS job of a receipt printer: initialise, Chinese character mode for a Chinese
// receipt, the vendor's name centred, the other lines left-aligned, each cut to the paper's
// width without splitting a character, then a feed and a partial cut. A Chinese receipt is
// GB18030 throughout, each character outside ASCII two columns wide; an English one is ASCII,
// with '?' for any other character, as the printer's default code page would misprint it.
std::string ReceiptBytes(const ReceiptFacts& facts, const Gb18030Encoder& gb18030);
