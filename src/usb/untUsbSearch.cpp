#include "usb/untUsbSearch.h"

#include <string>

#include "config/CaptionKeys.h"
#include "config/untIni.h"
#include "language/untLanguages.h"
#include "platform/MessagePump.h"
#include "usb/UsbAnswer.h"
#include "usb/untUsbDLLinitalize.h"

UsbSearchResult SearchUsbPrinter(const StringList& ports,
                                 const std::vector<TPrintModelInfo>& models, IReport& progress) {
    const String own = IniOptions->GetCaptionLanguage();
    auto text = [](const CaptionKey& key) { return CaptionText(LCaption, key); };
    auto log = [&](const String& line) { progress.Log(line); };

    progress.Begin(CaptionText(own, caption::kFindUsbButton),
                   CaptionText(own, caption::kUsbSearchHeading),
                   CaptionText(own, caption::kWaitButton));
    Pump();
    progress.Cancellable(false);
    progress.Steps(8);
    progress.Status(CaptionText(own, caption::kUsbMatching));
    Pump();

    log(text(caption::kUsbSearchStart));
    progress.Step();
    // Room past the 255 bytes the library is promised, so a library that writes too much
    // cannot overwrite anything of ours; only the first 255 bytes are read.
    std::string UsbName(4096, '\0');
    std::int32_t tCount = 0;
    log(text(caption::kUsbAsking));
    progress.Step();

    // Without the entry point nothing can be found: the same as no printer.
    if (Fuc_GetUSBPortNameList) Fuc_GetUSBPortNameList(UsbName.data(), &tCount);
    const String tstr = UsbAnswerText(UsbName.data(), 255);
    UsbSearchResult result;
    if (tCount <= 0) return result;

    log(text(caption::kUsbReading));
    progress.Step();
    Pump();
    const std::vector<UsbPrinterEntry> printers = ParseUsbAnswer(tstr, tCount);
    for (const UsbPrinterEntry& p : printers) {
        log(u"   " + p.port + u"," + p.vid + u"," + p.pid);
        log(u"   " + p.text + u"," + p.text + u"," + p.text);
    }
    log(text(caption::kUsbMatching));
    progress.Step();

    const String wanted = UpperCase(Trim(IniOptions->GetIdentValue(u"CONFIG", u"PrintName")));
    for (int item = 0; item < static_cast<int>(ports.size()); ++item) {
        const String& port = ports[static_cast<size_t>(item)];
        for (const UsbPrinterEntry& p : printers) {
            if (p.port != port) continue;
            for (const TPrintModelInfo& model : models) {
                if (model.VID != p.vid || model.PID != p.pid) continue;
                result.portIndex = item;
                result.model = model;
                result.model.PrintPort = port;
                log(text(caption::kUsbMatched) + model.PrintName);
                const bool accepted =
                    wanted.empty() ? IniOptions->GetIdentValue(u"CONFIG", u"USBModelWindow") == u"1"
                                   : UpperCase(model.PrintName) == wanted;
                if (accepted) {
                    log(text(caption::kUsbAccepted) + model.PrintName);
                    result.accepted = true;
                    return result;
                }
            }
        }
    }
    return result;
}
