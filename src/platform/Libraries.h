#pragma once
#include "base/Text.h"
#include "platform/Service.h"

// Loading a library and finding its entry points by name.
class ILibraries {
public:
    virtual ~ILibraries() = default;
    // The module, or nullptr when it cannot be loaded. Loaded modules stay loaded.
    virtual void* Load(const String& path) = 0;
    // The entry point, or nullptr when the module has none of that name.
    virtual void* Symbol(void* module, const char* name) = 0;
};
using Libraries = Service<ILibraries>;
