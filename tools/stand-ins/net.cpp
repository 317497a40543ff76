// net.exe stand-in: records its command line in commands.log beside itself, then runs the
// system's net.exe with the same arguments (so the spooler really stops and starts) and
// ends with its exit code.
#include "StandIn.h"

int wmain() {
    standin::RecordCommandLine();
    return standin::RunSystemProgram(L"net.exe");
}
