// The demo kit's driver packages: the INF files that install.dat names exist in both language
// folders and list every model of the kit in each of their model sections, so the printer-setup
// command finds the model whichever class and language the run uses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "base/Text.h"

namespace {

const std::filesystem::path kKit =
    std::filesystem::path(__FILE__).parent_path().parent_path().parent_path().parent_path() / "kit";

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The bytes one to one: enough for the ASCII keys and names looked at here.
String Latin1(const std::string& bytes) {
    String out;
    for (char c : bytes)
        out += static_cast<char16_t>(static_cast<unsigned char>(c));
    return out;
}

// INF and settings text: UTF-16LE after its byte-order mark, else plain ASCII.
String DecodeText(const std::string& bytes) {
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        String out;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            out += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                         (static_cast<unsigned char>(bytes[i + 1]) << 8));
        return out;
    }
    return Latin1(bytes);
}

// Sections by upper-cased name, each its lines without comments and blanks at the ends.
std::map<String, StringList> Sections(const String& text) {
    std::map<String, StringList> sections;
    StringList* current = nullptr;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(u'\n', start);
        if (end == String::npos) end = text.size();
        String line = text.substr(start, end - start);
        start = end + 1;
        if (const size_t semicolon = line.find(u';'); semicolon != String::npos)
            line.resize(semicolon);
        line = Trim(line);
        if (line.empty()) continue;
        if (line.front() == u'[' && line.back() == u']') {
            current = &sections[UpperCase(line.substr(1, line.size() - 2))];
        } else if (current) {
            current->push_back(line);
        }
    }
    return sections;
}

String ValueOf(const StringList& lines, const String& key) {
    for (const String& line : lines) {
        const size_t eq = line.find(u'=');
        if (eq != String::npos && SameText(Trim(line.substr(0, eq)), key))
            return Trim(line.substr(eq + 1));
    }
    return {};
}

// The model names of the kit, the first piece of each [model_POS] value (ASCII in the demo kit).
StringList KitModels(const std::map<String, StringList>& settings) {
    StringList models;
    for (const String& line : settings.at(u"MODEL_POS")) {
        const String value = Trim(line.substr(line.find(u'=') + 1));
        models.push_back(Trim(value.substr(0, value.find(u','))));
    }
    return models;
}

} // namespace

TEST(KitInf, EveryInfNamedByTheSettingsListsEveryModelInEachModelSection) {
    const auto settings = Sections(DecodeText(ReadBytes(kKit / "install.dat")));
    const StringList models = KitModels(settings);
    ASSERT_FALSE(models.empty());
    for (const char16_t* key : {u"POSInfFileName", u"LabelInfFileName"}) {
        const String infName = ValueOf(settings.at(u"CONFIG"), key);
        ASSERT_FALSE(infName.empty()) << ToUtf8(key);
        for (const char* lang : {"EN", "CN"}) {
            SCOPED_TRACE(std::string(lang) + "/" + ToUtf8(infName));
            const std::string bytes = ReadBytes(kKit / lang / ToUtf8(infName));
            ASSERT_FALSE(bytes.empty());
            const auto inf = Sections(DecodeText(bytes));
            ASSERT_TRUE(inf.count(u"VERSION"));
            EXPECT_EQ(ValueOf(inf.at(u"VERSION"), u"Class"), u"Printer");
            // "%Vendor%=ODAX,NTx86,...": the base name and each decoration name a section.
            const String manufacturer = inf.at(u"MANUFACTURER").at(0);
            StringList parts;
            String rest = Trim(manufacturer.substr(manufacturer.find(u'=') + 1));
            for (size_t comma; (comma = rest.find(u',')) != String::npos;
                 rest = rest.substr(comma + 1))
                parts.push_back(Trim(rest.substr(0, comma)));
            parts.push_back(Trim(rest));
            ASSERT_GE(parts.size(), 2u);
            StringList sectionNames{parts[0]};
            for (size_t i = 1; i < parts.size(); ++i)
                sectionNames.push_back(parts[0] + u"." + parts[i]);
            for (const String& section : sectionNames) {
                const auto found = inf.find(UpperCase(section));
                ASSERT_NE(found, inf.end()) << ToUtf8(section);
                for (const String& model : models) {
                    const String install = ValueOf(found->second, u"\"" + model + u"\"");
                    EXPECT_FALSE(install.empty()) << ToUtf8(section) << " lacks " << ToUtf8(model);
                    EXPECT_TRUE(inf.count(UpperCase(install))) << ToUtf8(install);
                }
            }
        }
    }
}
