#pragma once
// The account this process runs as, read from its token.
#include <windows.h>

#include <vector>

#include "platform/windows/Handles.h"

// The token's TOKEN_USER, or nothing when it cannot be read. DWORD elements keep the SID
// inside it aligned.
inline std::vector<DWORD> ProcessTokenUser() {
    std::vector<DWORD> user;
    Handle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return user;
    DWORD size = 0;
    GetTokenInformation(token.get(), ::TokenUser, nullptr, 0, &size);
    user.resize((size + sizeof(DWORD) - 1) / sizeof(DWORD));
    if (size == 0 || !GetTokenInformation(token.get(), ::TokenUser, user.data(), size, &size))
        user.clear();
    return user;
}

// The SID of a TOKEN_USER that ProcessTokenUser read (not empty).
inline PSID TokenUserSid(std::vector<DWORD>& user) {
    return reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
}
