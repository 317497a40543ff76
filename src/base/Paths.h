#pragma once
// Windows paths taken apart as text, the same on every platform.
#include "base/Text.h"

// The kit's program and the USB library it loads from its own folder.
inline constexpr const char16_t* kProgramFileName = u"ODAXPrintDrive.exe";
inline constexpr const char16_t* kUsbLibraryFileName = u"USBPrinterlibary.dll";

// Everything up to and including the last '\', '/' or ':'; empty when there is none.
String ExtractFilePath(StringView path);

// A drive path ("C:\kit\x.dll") or a network path ("\\server\share\x.dll"); not a name the
// system would complete from a current folder ("x.dll", ".\x.dll", "C:x.dll", "\x.dll"), and
// without a ".." that leaves the folder it names.
bool IsFullPath(StringView path);
// A file name without any folder or drive in it.
bool IsLibraryFileName(StringView name);
// A full path on a local drive ("C:\logs\x.log"): a drive letter, a colon, a backslash and a
// name, no ".." leaving the folder; not a network path ("\\host\share") or a device path
// ("\\.\", "\\?\").
bool IsLocalDrivePath(StringView path);
