#include "printing/SystemCommands.h"

#include "base/Errors.h"
#include "platform/ServiceControl.h"
#include "printing/untFuction.h"

namespace {

String Required(String folder) {
    if (folder.empty()) throw Exception(u"The Windows system folder could not be determined");
    return folder;
}

} // namespace

String NetProgram() {
    return Quoted(Required(SystemInfo::Get().SystemFolder()) + u"\\net.exe");
}

String PrinterSetupProgram() {
    ISystemInfo& system = SystemInfo::Get();
    if (system.ProcessArchitecture() == Architecture::X86 &&
        system.SystemArchitecture() != Architecture::X86)
        return Quoted(Required(system.WindowsFolder()) + u"\\Sysnative\\rundll32.exe");
    return Quoted(Required(system.SystemFolder()) + u"\\rundll32.exe");
}

String DeleteCommand(const String& name) {
    return PrinterSetupProgram() + u" printui.dll,PrintUIEntry /dd /m \"" + name + u"\" /h \"" +
           ArchitectureName(SystemInfo::Get().SystemArchitecture()) +
           u"\" /v \"Type 3 - User Mode\" ";
}

String InstallCommand(const String& name, const String& folder, const String& lang,
                      const String& inf, const String& port, const String& model) {
    return PrinterSetupProgram() + u" printui.dll,PrintUIEntry /if /b \"" + name + u"\" /f \"" +
           folder + lang + u"\\" + inf + u"\" /r \"" + port + u"\" /m \"" +
           (model.empty() ? name : model) + u"\"";
}

String DeletePrinterCommand(const String& name) {
    return PrinterSetupProgram() + u" printui.dll,PrintUIEntry /dl /n \"" + name + u"\"";
}

String SpoolerCommand(SpoolerAction action) {
    return NetProgram() + (action == SpoolerAction::Start ? u" start spooler" : u" stop spooler");
}

String RunSpoolerCommand(SpoolerAction action) {
    return RunDOS(SpoolerCommand(action), kSpoolerTimeLimitMs);
}

bool StartSpoolerUnlessRunning() {
    if (ServiceControl::Get().QueryState(kSpoolerServiceName) == ServiceState::Running)
        return false;
    RunSpoolerCommand(SpoolerAction::Start);
    return true;
}
