#pragma once
// Log files in memory, by their Windows path, with a clock a test sets and writes it can
// refuse.
#include <map>
#include <set>
#include <string>

#include "platform/LogFiles.h"

class FakeLogFiles final : public ILogFiles {
  public:
    std::map<String, std::string> files;
    String programData = u"C:\\ProgramData";
    std::set<String> refused; // appends to these fail with access denied
    bool refuseReplace = false;
    int appends = 0;

    bool Append(const String& path, const std::string& bytes, std::uint32_t& error) override {
        ++appends;
        if (refused.count(path)) {
            error = 5; // ERROR_ACCESS_DENIED
            return false;
        }
        files[path] += bytes;
        error = 0;
        return true;
    }
    std::optional<std::uint64_t> FileSize(const String& path) override {
        auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second.size();
    }
    bool Replace(const String& from, const String& to, std::uint32_t& error) override {
        auto it = files.find(from);
        if (refuseReplace || it == files.end()) {
            error = refuseReplace ? 32 : 2;
            return false;
        }
        files[to] = std::move(it->second);
        files.erase(from);
        error = 0;
        return true;
    }
    String ProgramDataFolder() override { return programData; }

    // The default log's text.
    const std::string& Log() { return files[u"C:\\ProgramData\\ODAXPrintDrive\\install.log"]; }
};
