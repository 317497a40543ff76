#pragma once
#include "base/Paths.h"
#include "base/Text.h"
#include "platform/Service.h"

// Loading a library and finding its entry points by name. A library is named either by its
// full path or as one of the system's, which only the system folder may supply: the system
// would look a bare or relative name up in the program's and the working folder too, where
// anyone who can write there could plant a library that then runs with our rights.
class ILibraries {
public:
    virtual ~ILibraries() = default;
    // The module at a full path (IsFullPath), or nullptr when it cannot be loaded. Any other
    // name is refused without a look at the disk. Loaded modules stay loaded.
    virtual void* Load(const String& fullPath) = 0;
    // One of the system's libraries by its file name (IsLibraryFileName), from the system
    // folder only; nullptr when it is not there or the name is not a plain file name.
    virtual void* LoadSystem(const String& fileName) = 0;
    // The entry point, or nullptr when the module has none of that name.
    virtual void* Symbol(void* module, const char* name) = 0;
};
using Libraries = Service<ILibraries>;
