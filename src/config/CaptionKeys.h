#pragma once
// Every caption key the wizard reads from a kit's caption sections, in one table that the
// wizard's lookups and the kit lint share: the wizard cannot read a key the table does not
// list, so the lint checks exactly the texts the wizard shows. Code names a key only through
// its constant below; the kits spell it "CAPTION_n" or "Caption_n", which is one key.
#include <vector>

#include "base/Text.h"
#include "language/BuiltInText.h"

struct CaptionKey {
    const char16_t* key;
    // The texts shown when a kit lacks the key or leaves it empty; nullptr for a key every kit
    // must carry (the wizard then shows an empty text).
    const char16_t* en = nullptr;
    const char16_t* cn = nullptr;

    bool HasBuiltInText() const { return en != nullptr; }
    BuiltInText Text() const { return {en, cn}; }
};

namespace caption {
// The language buttons' label.
extern const CaptionKey kLanguageLabel; // 1
// The connection page's buttons.
extern const CaptionKey kNetworkRadio;  // 2
extern const CaptionKey kUsbRadio;      // 3
extern const CaptionKey kSerialRadio;   // 4
extern const CaptionKey kParallelRadio; // 5
// The port pages' titles.
extern const CaptionKey kAddressLabel; // 6
extern const CaptionKey kUsbPortLabel; // 7
// The usual message title; also the USB prompt's frame and the status bar's first panel.
extern const CaptionKey kMessageTitle; // 8
// The USB page's prompt before a search.
extern const CaptionKey kUsbPrompt;         // 9
extern const CaptionKey kSerialPortLabel;   // 10
extern const CaptionKey kParallelPortLabel; // 11
// The buttons.
extern const CaptionKey kAboutButton;    // 12
extern const CaptionKey kPreviousButton; // 13
extern const CaptionKey kNextButton;     // 14
// Also the installation's report behind the model name.
extern const CaptionKey kInstallButton; // 15
// Also the About dialog's OK button.
extern const CaptionKey kQuitButton; // 16
// Also the USB search's wait dialog title.
extern const CaptionKey kFindUsbButton; // 17
// The status bar's second panel when nothing runs.
extern const CaptionKey kStatusReady; // 18
// The model page's title.
extern const CaptionKey kModelLabel; // 19
// The start of the main window's title.
extern const CaptionKey kWindowTitle; // 20
// The welcome page.
extern const CaptionKey kWelcome; // 21
// The link to the vendor's web page.
extern const CaptionKey kWebLink; // 22
// The USB search's outcome: nothing accepted (prompt, status, message).
extern const CaptionKey kUsbNotFoundPrompt; // 23
extern const CaptionKey kUsbNotFoundStatus; // 24
extern const CaptionKey kUsbNotFound;       // 25
// Next on the model page with no model marked.
extern const CaptionKey kNoModelChosen; // 26
// A printer accepted by the search; its model and port follow.
extern const CaptionKey kUsbFound; // 27
// The USB search's wait dialog heading.
extern const CaptionKey kUsbSearchHeading; // 28
// The typed address is no address.
extern const CaptionKey kInvalidAddress; // 29
// A port of that address exists already (report and question).
extern const CaptionKey kPortExists; // 30
// After the port's address: the port was made.
extern const CaptionKey kPortCreated; // 32
// The title of the port creation's failure message.
extern const CaptionKey kPortFailedTitle; // 33
// A printer of that name is installed already (question).
extern const CaptionKey kPrinterExists; // 34
// The USB search's log lines, in the order it writes them.
extern const CaptionKey kUsbSearchDone; // 35
extern const CaptionKey kUsbAccepted;   // 36
extern const CaptionKey kUsbMatched;    // 37
// Also the status while it searches.
extern const CaptionKey kUsbMatching;    // 38
extern const CaptionKey kUsbReading;     // 39
extern const CaptionKey kUsbAsking;      // 40
extern const CaptionKey kUsbSearchStart; // 41
// The end of the installation: its message's title, text and the quit question.
extern const CaptionKey kInstallDoneTitle; // 42
extern const CaptionKey kQuitQuestion;     // 43
extern const CaptionKey kInstallDone;      // 44
// The installation's reports, in the order the run writes them.
extern const CaptionKey kSetupCommandDone;    // 45
extern const CaptionKey kSetupCommandRunning; // 46
// Also the wait dialog's title and heading.
extern const CaptionKey kInstallHeading; // 47
// The port creation's wait dialog.
extern const CaptionKey kPortCreationTitle;   // 48
extern const CaptionKey kSpoolerStarting;     // 49
extern const CaptionKey kPortCreationHeading; // 50
// The wait dialog's button.
extern const CaptionKey kWaitButton;            // 51
extern const CaptionKey kSpoolerStarted;        // 52
extern const CaptionKey kSetupCommandPreparing; // 53
// The default printer question: its start, the default printer's name, its end.
extern const CaptionKey kDefaultQuestionEnd;   // 54
extern const CaptionKey kDefaultQuestionStart; // 55
// The port creation's log lines.
extern const CaptionKey kPortSpoolerStopping; // 56
extern const CaptionKey kPortSpoolerStopped;  // 57
extern const CaptionKey kPortKeyOpened;       // 58
// The port's address between the two: the port made.
extern const CaptionKey kPortLineStart; // 59
extern const CaptionKey kPortLineEnd;   // 60
// The About dialog's lines, each before its [OEM] value.
extern const CaptionKey kAboutServiceTel; // 61
extern const CaptionKey kAboutQQ;         // 62
extern const CaptionKey kAboutWeb;        // 63
extern const CaptionKey kAboutAddress;    // 64
extern const CaptionKey kAboutTel;        // 65
extern const CaptionKey kAboutFax;        // 66
// The removal of an installed driver: before, and after the model's name.
extern const CaptionKey kRemovingDriver; // 68
extern const CaptionKey kDriverRemoved;  // 69
// The installation's report before the port is made.
extern const CaptionKey kCreatingPort; // 70
// The port could not be made: report, message, hint.
extern const CaptionKey kPortFailed;     // 71
extern const CaptionKey kPortFailedHint; // 72
// The second half of the message before the program leaves by itself.
extern const CaptionKey kAutoQuit; // 76
// The printer-setup command ended but no printer of the model's name exists with the chosen
// port and the model's driver; the name follows, then the port and driver found, if any.
extern const CaptionKey kNotInstalled; // 77
// The second line of that failure's message: what to check.
extern const CaptionKey kNotInstalledHint; // 78
// A model, port or INF name holds a double quote; the value follows.
extern const CaptionKey kDoubleQuote; // 79
// Install on the USB page without a printer found by a search on this visit of the page.
extern const CaptionKey kSearchFirst; // 80
// A model, port or INF name ends in a backslash, or the INF name is not a plain file name;
// the value follows.
extern const CaptionKey kUnsafeValue; // 81
// The wait dialog's link to the install log.
extern const CaptionKey kOpenLog; // 82
// The test receipt after an installation ([CONFIG] TestPrint): the question, the sending, its
// three outcomes (the spooler's or the system's text follows a failure), the receipt's line.
extern const CaptionKey kTestPrintQuestion; // 83
extern const CaptionKey kTestPrintSending;  // 84
extern const CaptionKey kTestPrintPrinted;  // 85
extern const CaptionKey kTestPrintFailed;   // 86
extern const CaptionKey kTestPrintQueued;   // 87
extern const CaptionKey kTestPrintLine;     // 88
// The names a screen reader gives the vendor's logo and the QR code picture.
extern const CaptionKey kLogoName; // 89
extern const CaptionKey kQrName;   // 90
// Install on a port page whose port is not among the system's ports of that kind (none was
// listed); the port follows.
extern const CaptionKey kPortNotListed; // 91
} // namespace caption

// The table, in the order of the key numbers.
const std::vector<CaptionKey>& CaptionKeys();
// The row of a key as a kit spells it, letter case ignored as the profile functions ignore
// it. A key the table does not list raises std::logic_error: a lookup of it is a fault of the
// program.
const CaptionKey& CaptionKeyOf(StringView key);

// The text of a key in a caption section of the settings; for a key with built-in texts, the
// display language's built-in text when the kit's text is missing or empty.
String CaptionText(const String& section, const CaptionKey& key);
// The same for a key as a kit spells it (CaptionKeyOf).
String CaptionText(const String& section, StringView key);
// The text of the key in the current caption section, LCaption.
String CaptionOrBuiltIn(const CaptionKey& key);
