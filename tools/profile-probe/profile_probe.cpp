// profile-probe [--codepage N] SCRIPT
//
// Runs the profile operations of the file SCRIPT, one a line, and prints one result line for
// each, in a form both builds print alike. A text argument is "'" followed by its UTF-8
// bytes with %XX escapes ("'" alone is the empty text); "-" is NULL. Operations:
//   acp                                    -> the ANSI code page
//   get SIZE SECTION KEY DEFAULT FILE      -> COUNT BUFFER
//   write SECTION KEY VALUE FILE           -> 1 or 0
//   dump FILE                              -> the file's bytes, or <missing>
// BUFFER shows the value and its NUL, or a list and the two places after its count, cut at
// the buffer size: printable ASCII as itself, other units as %XXXX, places the call left
// untouched as ~. Dumps show printable ASCII as itself and other bytes as %XX.
// On Linux the emulation runs with code page N (default 936) in the current directory.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/Text.h"
#include "platform/CodePage.h"
#include "platform/Profile.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "platform/windows/WindowsServices.h"
#else
#include "platform/emulated/EmulatedCodePage.h"
#include "platform/emulated/EmulatedFiles.h"
#include "platform/emulated/EmulatedProfile.h"
#endif

namespace {

constexpr char16_t kUntouched = 0xFFFF;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<String> Argument(const std::string& token) {
    if (token == "-") return std::nullopt;
    if (token.empty() || token[0] != '\'') throw std::runtime_error("bad argument " + token);
    std::string utf8;
    for (std::size_t i = 1; i < token.size(); ++i) {
        if (token[i] == '%' && i + 2 < token.size() && HexValue(token[i + 1]) >= 0 &&
            HexValue(token[i + 2]) >= 0) {
            utf8 += static_cast<char>(HexValue(token[i + 1]) * 16 + HexValue(token[i + 2]));
            i += 2;
        } else {
            utf8 += token[i];
        }
    }
    return FromUtf8(utf8);
}

String Required(const std::string& token) {
    auto value = Argument(token);
    if (!value) throw std::runtime_error("a file name cannot be NULL");
    return *value;
}

bool Printable(unsigned c) {
    return c > 0x20 && c < 0x7F && c != '%' && c != '~';
}

std::string ShowUnits(const String& units) {
    std::string out;
    char hex[8];
    for (char16_t u : units) {
        if (u == kUntouched) {
            out += '~';
        } else if (Printable(u)) {
            out += static_cast<char>(u);
        } else {
            std::snprintf(hex, sizeof hex, "%%%04X", static_cast<unsigned>(u));
            out += hex;
        }
    }
    return out;
}

std::string ShowBytes(const std::string& bytes) {
    std::string out;
    char hex[4];
    for (char b : bytes) {
        const auto c = static_cast<unsigned char>(b);
        if (Printable(c)) {
            out += static_cast<char>(c);
        } else {
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

std::string Dump(const String& fileName) {
#ifdef _WIN32
    FILE* f = _wfopen(reinterpret_cast<const wchar_t*>(fileName.c_str()), L"rb");
#else
    FILE* f = std::fopen(LinuxPathOf(fileName).c_str(), "rb");
#endif
    if (!f) return "<missing>";
    std::string bytes;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
        bytes.append(buffer, n);
    std::fclose(f);
    return ShowBytes(bytes);
}

std::string Run(const std::vector<std::string>& op) {
    IProfile& profile = Profile::Get();
    if (op[0] == "acp" && op.size() == 1) return std::to_string(CodePage::Get().AnsiCodePage());
    if (op[0] == "get" && op.size() == 6) {
        const auto size = static_cast<std::uint32_t>(std::stoul(op[1]));
        const auto section = Argument(op[2]);
        const auto key = Argument(op[3]);
        String buffer(size, kUntouched);
        const std::uint32_t n = profile.GetPrivateProfileStringW(
            section, key, Argument(op[4]), buffer.data(), size, Required(op[5]));
        const std::size_t shown = std::min<std::size_t>(size, n + ((section && key) ? 1 : 2));
        return std::to_string(n) + " " + ShowUnits(buffer.substr(0, shown));
    }
    if (op[0] == "write" && op.size() == 5)
        return profile.WritePrivateProfileStringW(Argument(op[1]), Argument(op[2]), Argument(op[3]),
                                                  Required(op[4]))
                   ? "1"
                   : "0";
    if (op[0] == "dump" && op.size() == 2) return Dump(Required(op[1]));
    throw std::runtime_error("unknown operation " + op[0]);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
    InstallWindowsServices();
#else
    unsigned codePage = 936;
    if (args.size() >= 2 && args[0] == "--codepage") {
        codePage = static_cast<unsigned>(std::stoul(args[1]));
        args.erase(args.begin(), args.begin() + 2);
    }
    static EmulatedCodePage ansi(codePage);
    static EmulatedFiles files;
    static EmulatedProfile profile("./win.ini");
    CodePage::Install(&ansi);
    Files::Install(&files);
    Profile::Install(&profile);
#endif
    std::ifstream script(args.size() == 1 ? args[0] : std::string(), std::ios::binary);
    if (!script) {
        std::cerr << "usage: profile-probe [--codepage N] SCRIPT\n";
        return 1;
    }
    std::string line;
    int failures = 0;
    while (std::getline(script, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::vector<std::string> op;
        std::istringstream words(line);
        for (std::string word; words >> word;)
            op.push_back(word);
        try {
            std::cout << Run(op) << '\n';
        } catch (const std::exception& e) {
            std::cout << "ERROR " << e.what() << '\n';
            ++failures;
        }
    }
    std::cout.flush();
    return failures == 0 ? 0 : 2;
}
