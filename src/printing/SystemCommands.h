#pragma once
// The system programs the wizard runs, always by their full path: a bare "net" or "rundll32"
// would also be looked up beside the program and in the working folder, where a planted copy
// would run with administrator rights.
#include <cstdint>

#include "base/Text.h"
#include "platform/SystemInfo.h"

// net.exe in the system folder, quoted for a command line.
String NetProgram();
// rundll32.exe of the system's own architecture, quoted: the printer drivers must reach the
// native spooler's driver store, and a 32-bit program on 64-bit Windows, whose system folder
// is redirected to SysWOW64, reaches the native one only through Sysnative.
String PrinterSetupProgram();

// The printer-setup command lines (rundll32 printui.dll,PrintUIEntry), put together as they
// are run: the driver of that name removed from the local computer, for the architecture of
// the system's spooler whatever the program's own (/dd); the driver and queue installed from
// the INF file `folder` + `lang` + "\" + `inf` on the port (/if); the queue of that name
// removed, not its driver (/dl). The queue (/b) is named `name`; its driver (/m) is the
// model's, `model`, the same name unless given. The values are put between quotes as they are: the
// caller refuses those a quote or a trailing backslash would break (CommandValueFaultOf).
String DeleteCommand(const String& name);
String InstallCommand(const String& name, const String& folder, const String& lang,
                      const String& inf, const String& port, const String& model = String());
String DeletePrinterCommand(const String& name);
// printui's option that keeps its error messages out of windows: for a run no one watches.
inline const String kQuietSetupOption = u" /q";

enum class SpoolerAction { Start, Stop };
// "net start spooler" or "net stop spooler", with net.exe's full path.
String SpoolerCommand(SpoolerAction action);

// How long a spooler command may run: the service control manager's own time for a service
// to answer (30 s), plus a margin for net.exe itself.
constexpr std::uint32_t kSpoolerTimeLimitMs = 30000 + 15000;

// Runs the spooler command (RunDOS) within kSpoolerTimeLimitMs; past it the command is ended
// and raises like one that failed.
String RunSpoolerCommand(SpoolerAction action);

// The print spooler's name for the service control manager.
inline constexpr char16_t kSpoolerServiceName[] = u"Spooler";

// Makes sure the spooler runs without starting a console program when it already does:
// "net start spooler" (RunSpoolerCommand) runs unless the service control manager reports the
// spooler running; a state that cannot be read counts as not running. True when the command
// ran.
bool StartSpoolerUnlessRunning();
