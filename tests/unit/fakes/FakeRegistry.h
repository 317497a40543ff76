#pragma once
// A registry in memory that records every write in order and can refuse the n-th write or
// the opening of a key.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/Registry.h"

class FakeRegistry final : public IRegistry {
  public:
    struct Value {
        std::uint32_t type = 0;
        std::string data;
        bool operator==(const Value& o) const { return type == o.type && data == o.data; }
    };
    struct Write {
        String path;
        String name;
        Value value;
    };

    std::map<String, std::map<String, Value>> keys; // by full path below HKEY_LOCAL_MACHINE
    std::vector<Write> writes;                      // accepted writes, in order
    std::uint32_t refuseWrite = 0; // 1-based number of the write to refuse; 0: none
    std::set<String> refuseOpen;   // paths that cannot be opened
    std::uint32_t refusalCode = 5; // ERROR_ACCESS_DENIED
    int writeAttempts = 0;
    int accessesOpened = 0;
    int accessesReleased = 0;
    int keysOpened = 0;
    int keysClosed = 0;
    std::function<void()> onRelease; // the test looks at the world when the access goes

    std::unique_ptr<IRegistryAccess> OpenLocalMachine() override {
        ++accessesOpened;
        return std::make_unique<Access>(*this);
    }

    const Value* Find(const String& path, const String& name) const {
        auto k = keys.find(path);
        if (k == keys.end()) return nullptr;
        auto v = k->second.find(name);
        return v == k->second.end() ? nullptr : &v->second;
    }

  private:
    class Key final : public IRegistryKey {
      public:
        Key(FakeRegistry& r, String path) : r_(r), path_(std::move(path)) { ++r_.keysOpened; }
        ~Key() override { ++r_.keysClosed; }
        std::uint32_t SetValue(const String& name, std::uint32_t type,
                               std::string_view data) override {
            if (++r_.writeAttempts == static_cast<int>(r_.refuseWrite)) return r_.refusalCode;
            Value v{type, std::string(data)};
            r_.keys[path_][name] = v;
            r_.writes.push_back({path_, name, v});
            return 0;
        }

      private:
        FakeRegistry& r_;
        String path_;
    };

    class Access final : public IRegistryAccess {
      public:
        explicit Access(FakeRegistry& r) : r_(r) {}
        ~Access() override {
            ++r_.accessesReleased;
            if (r_.onRelease) r_.onRelease();
        }
        std::uint32_t CreateKey(const String& path, std::unique_ptr<IRegistryKey>& key) override {
            key.reset();
            if (r_.refuseOpen.count(path)) return r_.refusalCode;
            r_.keys[path]; // create semantics: the key exists from now on
            key = std::make_unique<Key>(r_, path);
            return 0;
        }

      private:
        FakeRegistry& r_;
    };
};
