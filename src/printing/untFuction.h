#pragma once
// Console commands, waiting with a live window, and the Standard TCP/IP port.
#include <cstdint>
#include <string_view>

#include "base/Text.h"
#include "platform/Processes.h"
#include "session/Report.h"

// Runs a console command hidden, waits until it has ended and returns what it printed,
// each line followed by CR LF; the windows keep being served meanwhile. Raises EOSError with
// the system's text when the pipe or the process cannot be created, and when the command was
// still running after `timeLimitMs` and had to be ended (then naming the command). The
// command line reaches the system as UTF-16.
String RunDOS(const String& CommandLine, std::uint32_t timeLimitMs = kNoTimeLimit);

// Raises EOSError with the system's text for the last error code when `b` is false.
void CheckResult(bool b);

// Waits at least `MSecs` milliseconds while window messages keep being handled; sleeps and
// pumps at least once.
void WaitTime(std::int32_t MSecs);

// Command output as text: the ANSI code page unless it starts with a UTF-8 or UTF-16
// byte-order mark; lines split at CR, LF or CR LF and re-joined with CR LF.
String DecodeCommandOutput(std::string_view bytes);

// A dotted address of four pieces (empty pieces dropped, leading blanks skipped), not all
// zero and none above 255. A piece that is not an integer raises EConvertError, unless an
// earlier piece already decided the answer.
bool IsValidIP(const String& ip);

// Makes the Standard TCP/IP port `NewIP`: stops the spooler, writes the port's key under
// ControlSet001 and CurrentControlSet, starts the spooler again, showing each step through
// `progress`. True only when both keys were written and the restart was started. The spooler is
// restarted on every way out; only a restart that cannot be started twice raises.
bool CreateNewIpPort(const String& NewIP, IReport& progress);
