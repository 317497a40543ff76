#pragma once
// Log files in memory, by their Windows path, with folders a test describes and writes it can
// refuse.
#include <map>
#include <set>
#include <string>

#include "base/Paths.h"
#include "platform/LogFiles.h"

class FakeLogFiles final : public ILogFiles {
  public:
    std::map<String, std::string> files;
    // Folders as the system would describe them; one not listed exists and is trusted.
    std::map<String, PathFacts> folders;
    std::set<String> refused; // opening these fails with access denied
    std::set<String> linked;  // these are links or have a second name: refused as such
    bool refuseReplace = false;
    String programData = u"C:\\ProgramData";
    int appends = 0;    // writes tried
    StringList created; // folders made, in order

    PathFacts Inspect(const String& path) override {
        auto it = folders.find(path);
        if (it != folders.end()) return it->second;
        PathFacts facts;
        facts.exists = facts.directory = facts.trustedOwner = true;
        return facts;
    }
    bool CreateProtectedFolder(const String& path, std::uint32_t& error) override {
        created.push_back(path);
        PathFacts made;
        made.exists = made.directory = made.trustedOwner = true;
        folders[path] = made;
        error = 0;
        return true;
    }
    std::unique_ptr<ILogFile> Open(const String& path, std::uint32_t& error, String& why) override {
        ++appends;
        if (linked.count(path)) {
            why = u"the file is a link";
            return nullptr;
        }
        if (refused.count(path)) {
            error = 5; // ERROR_ACCESS_DENIED
            return nullptr;
        }
        return std::make_unique<File>(*this, path);
    }
    std::optional<std::uint64_t> FileSize(const String& path) override {
        auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second.size();
    }
    String ProgramDataFolder() override { return programData; }

    // The default log's text.
    const std::string& Log() { return files[u"C:\\ProgramData\\ODAXPrintDrive\\install.log"]; }

  private:
    class File final : public ILogFile {
      public:
        File(FakeLogFiles& owner, String path) : owner_(owner), path_(std::move(path)) {}
        std::uint64_t Size() override { return owner_.files[path_].size(); }
        bool Append(const std::string& bytes, std::uint32_t& error) override {
            owner_.files[path_] += bytes;
            error = 0;
            return true;
        }
        bool RenameTo(const String& name, std::uint32_t& error) override {
            if (owner_.refuseReplace) {
                error = 32; // ERROR_SHARING_VIOLATION
                return false;
            }
            const String to = ExtractFilePath(path_) + name;
            owner_.files[to] = std::move(owner_.files[path_]);
            owner_.files.erase(path_);
            path_ = to;
            error = 0;
            return true;
        }

      private:
        FakeLogFiles& owner_;
        String path_;
    };
};
