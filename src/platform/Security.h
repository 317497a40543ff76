#pragma once
#include <optional>

#include "base/Text.h"
#include "platform/Service.h"

// Who may change a file or folder: the kit's vendor code runs with the rights of whoever
// starts the program, often the system account, so it must not be changeable by others.
class ISecurity {
  public:
    virtual ~ISecurity() = default;
    // The groups of users who need not be administrators (Users, Authenticated Users, Everyone,
    // INTERACTIVE) that the path's access list lets write, append to, delete, or change the
    // permissions or owner of it, each with the rights, as "Users (write, delete)"; empty when
    // none may. Nothing when the access list cannot be read.
    virtual std::optional<StringList> NonAdminWriters(const String& path) = 0;
};
using Security = Service<ISecurity>;
