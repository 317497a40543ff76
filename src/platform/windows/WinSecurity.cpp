#include <windows.h>

#include <aclapi.h> // after windows.h

#include <map>

#include "platform/Security.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WinServices.h"

namespace {

// The groups anyone may be in, by the names support knows them by.
const struct {
    WELL_KNOWN_SID_TYPE sid;
    const char16_t* name;
} kOthers[] = {
    {WinBuiltinUsersSid, u"Users"},
    {WinAuthenticatedUserSid, u"Authenticated Users"},
    {WinWorldSid, u"Everyone"},
    {WinInteractiveSid, u"INTERACTIVE"},
};

// The rights that let someone change what the path holds, or who may.
const struct {
    ACCESS_MASK bits;
    const char16_t* name;
} kChanging[] = {
    {FILE_WRITE_DATA | GENERIC_WRITE | GENERIC_ALL, u"write"},
    {FILE_APPEND_DATA, u"append"},
    {DELETE | FILE_DELETE_CHILD, u"delete"},
    {WRITE_DAC, u"change permissions"},
    {WRITE_OWNER, u"take ownership"},
};

class WinSecurity final : public ISecurity {
  public:
    std::optional<StringList> NonAdminWriters(const String& path) override {
        PACL dacl = nullptr;
        PSECURITY_DESCRIPTOR sd = nullptr;
        if (GetNamedSecurityInfoW(Wide(path), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                  nullptr, &dacl, nullptr, &sd) != ERROR_SUCCESS)
            return std::nullopt;
        StringList writers;
        if (!dacl) {
            writers.push_back(u"Everyone (full control: the file has no access list)");
        } else {
            // In an access list's order, what a group was denied first stays denied.
            std::map<const char16_t*, std::pair<ACCESS_MASK, ACCESS_MASK>>
                rights; // allowed, denied
            for (DWORD i = 0; i < dacl->AceCount; ++i) {
                void* ace = nullptr;
                if (!GetAce(dacl, i, &ace)) continue;
                const auto* header = static_cast<const ACE_HEADER*>(ace);
                if (header->AceFlags & INHERIT_ONLY_ACE) continue;
                const bool allow = header->AceType == ACCESS_ALLOWED_ACE_TYPE;
                if (!allow && header->AceType != ACCESS_DENIED_ACE_TYPE) continue;
                // Both kinds of entry keep the mask and the start of the SID at the same place.
                const auto* entry = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
                PSID sid = const_cast<DWORD*>(&entry->SidStart);
                for (const auto& other : kOthers) {
                    if (!IsWellKnownSid(sid, other.sid)) continue;
                    auto& [allowed, denied] = rights[other.name];
                    if (allow)
                        allowed |= entry->Mask & ~denied;
                    else
                        denied |= entry->Mask;
                }
            }
            for (const auto& other : kOthers) {
                const ACCESS_MASK allowed = rights[other.name].first;
                String granted;
                for (const auto& right : kChanging)
                    if (allowed & right.bits)
                        granted += (granted.empty() ? u"" : u", ") + String(right.name);
                if (!granted.empty())
                    writers.push_back(String(other.name) + u" (" + granted + u")");
            }
        }
        LocalFree(sd);
        return writers;
    }
};

} // namespace

ISecurity& WindowsSecurity() {
    static WinSecurity instance;
    return instance;
}
