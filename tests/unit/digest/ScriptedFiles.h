#pragma once
// An IFiles whose files are byte strings in memory; a file can be marked as held open by
// another process, so the exclusive read fails as it would on Windows.
#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "platform/Files.h"

class ScriptedFiles final : public IFiles {
public:
    static constexpr std::uint32_t kFileNotFound = 2;     // ERROR_FILE_NOT_FOUND
    static constexpr std::uint32_t kSharingViolation = 32; // ERROR_SHARING_VIOLATION

    std::map<String, std::string> files;
    std::set<String> heldOpen;
    String folder = u"C:\\kit\\";
    int reads = 0;

    bool FileExists(const String& path) override { return files.count(path) != 0; }
    bool ReadExclusive(const String& path, std::string& bytes, std::uint32_t& error) override {
        ++reads;
        auto it = files.find(path);
        if (it == files.end()) {
            error = kFileNotFound;
            return false;
        }
        if (heldOpen.count(path) != 0) {
            error = kSharingViolation;
            return false;
        }
        bytes = it->second;
        return true;
    }
    String FullPath(const String& path) override {
        return folder + (StartsWith(path, u".\\") ? path.substr(2) : path);
    }
    String ModuleFileName() override { return folder + u"ODAXPrintDrive.exe"; }
};
