#pragma once
// The installation run (TfrmMain::btnStartInstallClick) and the pieces it is made of.
#include "base/Text.h"
#include "config/CaptionKeys.h"

// The caption keys this run added to the kit's texts; their rows carry the built-in texts.
// The printer-setup command ended but no printer of the model's name exists with the chosen
// port and the model's driver; the name follows, then the port and driver found, if any.
extern const CaptionKey& kCaptionNotInstalled;
// The second line of that failure's message: what to check.
extern const CaptionKey& kCaptionNotInstalledHint;
// A model, port or INF name holds a double quote; the value follows.
extern const CaptionKey& kCaptionDoubleQuote;
// Install on the USB page without a printer found by a search on this visit of the page.
extern const CaptionKey& kCaptionSearchFirst;
// A model, port or INF name ends in a backslash, or the INF name is not a plain file name;
// the value follows.
extern const CaptionKey& kCaptionUnsafeValue;

// The text of the key in the current caption section, or the built-in text of the display
// language when the kit has none.
String CaptionOrBuiltIn(const CaptionKey& caption);

// The printer-setup command lines, put together as they are run.
String DeleteCommand(const String& name);
String InstallCommand(const String& name, const String& folder, const String& lang,
                      const String& inf, const String& port);
