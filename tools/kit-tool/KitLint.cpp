// What in a kit would make the wizard misbehave, found the way the wizard reads the kit:
// values through the profile functions, model lines cut by the wizard's own rule.
#include <algorithm>
#include <cstdint>
#include <map>
#include <string_view>
#include <system_error>

#include "config/AccessKeys.h"
#include "config/CaptionKeys.h"
#include "config/ConfigSeal.h"
#include "config/ValueForms.h"
#include "config/untIni.h"
#include "install/untModels.h"
#include "kit-tool/KitInf.h"
#include "kit-tool/KitTool.h"
#include "language/Languages.h"
#include "platform/CodePage.h"
#include "session/Connections.h"
#include "ui/Accessibility.h"
#include "ui/PictureFile.h"

namespace fs = std::filesystem;

namespace kit {

namespace {

enum class Form { Boolean, Integer };
struct Switch {
    const char16_t* key;
    Form form;
    const char16_t* effect; // what the conversion error does in the wizard
};
const Switch kSwitches[] = {
    {u"DefaultAbout", Form::Boolean, u"the wizard's start-up stops with this error"},
    {u"DefaultPort", Form::Integer, u"the wizard's start-up stops with this error"},
    {u"USBPortSelect", Form::Boolean, u"choosing a USB connection shows this error"},
    {u"USBPortAutoInstall", Form::Integer, u"entering the USB page shows this error"},
    {u"CheckPrinterRepeatedly", Form::Boolean, u"every installation stops with this error"},
    {u"MrPrintSet", Form::Integer,
     u"every installation ends with this error instead of its end message"},
};
// Switches whose unreadable value the wizard takes as "not set".
const Switch kOptional[] = {
    {u"TestPrint", Form::Boolean, u"the test receipt is never offered"},
    {u"PaperColumns", Form::Integer, u"the test receipt is printed 48 characters wide"},
};

// The DefaultPort values of the wizard's connection types, lowest to highest ("0 to 3").
String DefaultPortRange() {
    std::int32_t low = ConnectionTypes().front().defaultPort, high = low;
    for (const ConnectionType& type : ConnectionTypes()) {
        low = std::min(low, type.defaultPort);
        high = std::max(high, type.defaultPort);
    }
    return IntToStr(low) + u" to " + IntToStr(high);
}

bool IsUpperHex(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'); }

// "VID_" or "PID_" and four upper-case hexadecimal digits, as the USB search reports them.
bool IsUsbId(const String& text, StringView prefix) {
    if (text.size() != 8 || !StartsWith(text, prefix)) return false;
    for (std::size_t i = 4; i < 8; ++i)
        if (!IsUpperHex(text[i])) return false;
    return true;
}

std::uint32_t LoadLE32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + i])) << (8 * i);
    return v;
}

bool LooksLikeJpeg(const std::string& b) {
    return b.size() >= 4 && static_cast<unsigned char>(b[0]) == 0xFF &&
           static_cast<unsigned char>(b[1]) == 0xD8 && static_cast<unsigned char>(b[2]) == 0xFF;
}

bool LooksLikeBmp(const std::string& b) {
    if (b.size() < 26 || b[0] != 'B' || b[1] != 'M') return false;
    const std::uint32_t dataOffset = LoadLE32(b, 10);
    const std::uint32_t infoSize = LoadLE32(b, 14);
    const bool knownInfo = infoSize == 12 || infoSize == 40 || infoSize == 52 || infoSize == 56 ||
                           infoSize == 64 || infoSize == 108 || infoSize == 124;
    return knownInfo && dataOffset >= 14 + infoSize && dataOffset <= b.size();
}

// The INF names the model when the name appears in double quotes (a model line or a string
// of its [Strings] section), without regard to letter case.
bool InfNamesModel(const String& upperInf, const String& model) {
    return upperInf.find(u"\"" + UpperCase(model) + u"\"") != String::npos;
}

class Linter {
public:
    explicit Linter(const KitLocation& kit)
        : kit_(kit), bytes_(ReadBytes(kit.settings)), ini_(TextOf(kit.settings)) {}

    std::vector<Finding> Run() {
        Encoding();
        Captions();
        AccessKeys();
        Switches();
        Models();
        InfFiles();
        Pictures();
        return std::move(findings_);
    }

private:
    void Add(std::size_t line, String message) {
        findings_.push_back({kit_.shownName, line, std::move(message)});
    }
    void Warn(std::size_t line, String message) {
        findings_.push_back({kit_.shownName, line, std::move(message), true});
    }
    void AddFile(const String& file, String message) {
        findings_.push_back({file, 0, std::move(message)});
    }
    std::size_t LineOf(const String& section, const String& key) const {
        if (auto at = FindProfileKey(bytes_, section, key))
            return ProfileLineNumber(bytes_, at->valueBegin);
        if (auto at = FindProfileSection(bytes_, section)) return ProfileLineNumber(bytes_, *at);
        return 0;
    }
    String Value(const String& section, const String& key) const {
        return ini_.ReadString(section, key, u"");
    }
    String Shown(const fs::path& relative) const {
        return TextOf(PathOf(kit_.shownName).parent_path() / relative);
    }

    void Encoding() {
        std::size_t start = 0;
        if (bytes_.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            Add(1, u"starts with a UTF-8 byte-order mark, which the profile functions read as "
                   u"text: the first line's section or key is lost; save the file without it");
            start = 3;
        }
        const ProfileText text = ReadProfileText(bytes_);
        if (text.Utf16()) return;
        // Windows decodes an ANSI file with the code page of the system it runs on, so only
        // ASCII reads the same everywhere.
        std::size_t first = 0, lines = 0;
        for (std::size_t i = 0; i < text.Lines().size(); ++i) {
            const ProfileText::Line& line = text.Lines()[i];
            const std::size_t from = std::max(text.ByteOffset(line.begin), start);
            const std::size_t to = text.ByteOffset(line.end);
            const std::string_view content =
                std::string_view(bytes_).substr(from, to > from ? to - from : 0);
            const bool ascii = std::all_of(content.begin(), content.end(), [](char c) {
                return static_cast<unsigned char>(c) < 0x80;
            });
            if (!ascii && lines++ == 0) first = i + 1;
        }
        if (lines == 0) return;
        Warn(first,
             u"text outside ASCII in an ANSI file (first on this line, " +
                 IntToStr(static_cast<std::int64_t>(lines)) + (lines == 1 ? u" line" : u" lines") +
                 u" in all): Windows reads it in the system's code page, so it is garbled "
                 u"on a system with another one (Chinese captions on an English system); "
                 u"odax-kit convert rewrites the file as UTF-16LE, read the same everywhere");
    }

    void Captions() {
        for (const LanguageInfo& lang : Languages()) {
            const char16_t* section = lang.captionSection;
            if (!FindProfileSection(bytes_, section)) {
                Add(0, String(u"[") + section + u"] is missing: every " + lang.name +
                           u" text of the wizard is empty");
                continue;
            }
            for (const CaptionKey& caption : CaptionKeys()) {
                const String key = caption.key;
                const bool present = FindProfileKey(bytes_, section, key).has_value();
                if (present && !Trim(Value(section, key)).empty()) continue;
                const String effect =
                    caption.HasBuiltInText()
                        ? String(u"uses its built-in ") + lang.name + u" text instead"
                        : String(u"shows an empty ") + lang.name + u" text";
                Add(LineOf(section, key), String(u"[") + section + u"] " + key +
                                              (present ? u" is empty" : u" is missing") +
                                              u": the wizard " + effect);
            }
        }
    }

    // Alt+letter presses one control of what is shown: two captions shown together that mark
    // the same letter leave one out of reach, and a mark on a character Alt cannot press
    // reaches nothing.
    void AccessKeys() {
        for (const LanguageInfo& lang : Languages()) {
            const char16_t* section = lang.captionSection;
            auto where = [&](const char16_t* key) {
                return String(u"[") + section + u"] " + key + u" '" + Value(section, key) + u"'";
            };
            std::vector<String> checked;                        // each caption's own mark once
            std::map<std::pair<String, String>, bool> reported; // a pair of keys once
            for (const AccessKeyScreen& screen : AccessKeyScreens()) {
                std::map<char16_t, const char16_t*> taken; // upper-case letter -> key
                for (const CaptionKey* caption : screen.keys) {
                    const char16_t* key = caption->key;
                    const auto mark = ui::AccessKeyOf(Value(section, key));
                    if (!mark) continue;
                    if (!ui::IsTypableAccessKey(mark->key)) {
                        if (std::find(checked.begin(), checked.end(), key) != checked.end())
                            continue;
                        checked.emplace_back(key);
                        Warn(LineOf(section, key),
                             where(key) +
                                 (mark->key ? u": the access key '" + String(1, mark->key) +
                                                  u"' is no letter or digit, which Alt cannot press"
                                            : String(u": the '&' marks no character")) +
                                 u"; mark a letter or digit (\"&&\" shows an '&')");
                        continue;
                    }
                    const char16_t upper = UpperCase(String(1, mark->key))[0];
                    const auto [first, fresh] = taken.emplace(upper, key);
                    if (fresh || reported[{first->second, key}]) continue;
                    reported[{first->second, key}] = true;
                    Warn(LineOf(section, key),
                         where(key) + u": the access key " + String(1, upper) + u" is " +
                             first->second + u"'s too (line " +
                             IntToStr(static_cast<std::int64_t>(LineOf(section, first->second))) +
                             u"), both on " + screen.name + u": Alt+" + String(1, upper) +
                             u" reaches only one of them");
                }
            }
        }
    }

    void Switches() {
        for (const Switch& s : kSwitches) {
            const String value = Value(u"CONFIG", s.key);
            const std::size_t line = LineOf(u"CONFIG", s.key);
            bool flag = false;
            std::int32_t number = 0;
            if (s.form == Form::Boolean && !TryStrToBool(value, flag)) {
                Add(line, String(u"[CONFIG] ") + s.key + u": '" + value +
                              u"' is not a valid boolean value; " + s.effect);
            } else if (s.form == Form::Integer && !TryStrToInt(value, number)) {
                Add(line, String(u"[CONFIG] ") + s.key + u": '" + value +
                              u"' is not a valid integer value; " + s.effect);
            } else if (String(s.key) == u"DefaultPort" && !ConnectionOfDefaultPort(number)) {
                Add(line, u"[CONFIG] DefaultPort: " + value + u" is none of " + DefaultPortRange() +
                              u": no connection type is preselected");
            }
        }
        // The install log's form: a value that is neither is taken as the text form.
        if (FindProfileKey(bytes_, u"CONFIG", u"LogFormat")) {
            const String value = Trim(Value(u"CONFIG", u"LogFormat"));
            if (!ParseLogFormat(value))
                Add(LineOf(u"CONFIG", u"LogFormat"),
                    u"[CONFIG] LogFormat: '" + value +
                        u"' is neither text nor cmtrace; the install log is written as text");
        }
        // Missing is their documented default; a value that is there must read.
        for (const Switch& s : kOptional) {
            if (!FindProfileKey(bytes_, u"CONFIG", s.key)) continue;
            const String value = Value(u"CONFIG", s.key);
            const std::size_t line = LineOf(u"CONFIG", s.key);
            bool flag = false;
            std::int32_t number = 0;
            if (s.form == Form::Boolean && !TryStrToBool(value, flag))
                Add(line, String(u"[CONFIG] ") + s.key + u": '" + value +
                              u"' is not a valid boolean value; " + s.effect);
            else if (s.form == Form::Integer &&
                     (!TryStrToInt(value, number) || (number != 48 && number != 32)))
                Add(line, String(u"[CONFIG] ") + s.key + u": '" + value +
                              u"' is neither 48 (80 mm paper) nor 32 (58 mm paper); " + s.effect);
        }
        const String printClass = Value(u"CONFIG", u"DefaultPrintClass");
        if (UpperCase(printClass) != u"POS" && UpperCase(printClass) != u"LABEL")
            Add(LineOf(u"CONFIG", u"DefaultPrintClass"),
                u"[CONFIG] DefaultPrintClass: '" + printClass +
                    u"' is neither POS nor Label: the label printer class is used");
    }

    void Models() {
        const StringList keys = ini_.ReadSection(u"model_POS");
        std::map<String, std::size_t> seen; // upper-case name -> line
        for (const String& key : keys) {
            const String line = Trim(Value(u"model_POS", key));
            if (line.empty()) continue;
            const std::size_t at = LineOf(u"model_POS", key);
            const StringList pieces = CutModelLine(line);
            if (pieces.size() < 3) {
                Add(at, u"model line '" + line + u"' has " + IntToStr(static_cast<std::int64_t>(pieces.size())) +
                            u" of the 3 pieces name,VID,PID: the wizard stops loading models here with "
                            u"\"List index out of bounds (" + IntToStr(static_cast<std::int64_t>(pieces.size())) + u")\"");
                continue;
            }
            const String& name = pieces[0];
            models_.push_back({name, at});
            if (name.find(u'"') != String::npos)
                Add(at, u"model name " + name + u" holds a double quote: the wizard refuses to install it");
            ShellCharacters(at, name);
            if (name.find_first_of(u",\\") != String::npos)
                Add(at, u"model name " + name +
                            u" holds ',' or '\\', which printer names cannot hold: installing it fails");
            if (!IsUsbId(pieces[1], u"VID_"))
                Add(at, u"'" + pieces[1] + u"' is not of the form VID_xxxx (four upper-case hexadecimal "
                        u"digits, as the USB search reports them): USB printers of " + name +
                        u" are never recognised");
            if (!IsUsbId(pieces[2], u"PID_"))
                Add(at, u"'" + pieces[2] + u"' is not of the form PID_xxxx (four upper-case hexadecimal "
                        u"digits, as the USB search reports them): USB printers of " + name +
                        u" are never recognised");
            const String upper = UpperCase(Trim(name));
            auto first = seen.find(upper);
            if (first != seen.end())
                Add(at, u"model name " + name + u" is listed before (line " +
                            IntToStr(static_cast<std::int64_t>(first->second)) +
                            u"): the printer queues would share one name");
            else
                seen.emplace(upper, at);
        }
        if (models_.empty())
            Add(LineOf(u"model_POS", u""), u"[model_POS] lists no model: there is nothing to install");

        const String printName = Value(u"CONFIG", u"PrintName");
        if (!Trim(printName).empty() && seen.count(UpperCase(Trim(printName))) == 0)
            Add(LineOf(u"CONFIG", u"PrintName"),
                u"[CONFIG] PrintName '" + printName +
                    u"' names no model of [model_POS]: the model page starts with nothing marked");
    }

    // A deployment tool's command line, a batch file and PowerShell each read some characters
    // as their own, and a switch's first character as a switch.
    void ShellCharacters(std::size_t at, const String& name) {
        String held;
        for (char16_t c : StringView(u"&|<>^%!$'")) {
            if (name.find(c) == String::npos) continue;
            held += (held.empty() ? u"'" : u", '") + String(1, c) + u"'";
        }
        if (!held.empty())
            Warn(at, u"model name " + name + u" holds " + held +
                         u", which cmd, batch files or PowerShell read as their own: use the "
                         u"commands odax-kit deploy writes for each" +
                         (name.find(u'!') != String::npos
                              ? u", and no batch file that turns on delayed expansion"
                              : u""));
        if (!name.empty() && (name[0] == u'-' || name[0] == u'/'))
            Warn(at, u"model name " + name + u" starts with '" + String(1, name[0]) +
                         u"', which reads as a switch on a command line: after /model the "
                         u"program takes a switch's name for a missing value");
    }

    void InfFiles() {
        const bool posDefault = UpperCase(Value(u"CONFIG", u"DefaultPrintClass")) == u"POS";
        const struct {
            const char16_t* key;
            const char16_t* printerClass;
            bool isDefault;
        } infs[] = {{u"POSInfFileName", u"receipt", posDefault},
                    {u"LabelInfFileName", u"label", !posDefault}};
        std::vector<bool> named(models_.size(), false);
        std::vector<fs::path> packages;
        bool anyInfRead = false;
        for (const auto& inf : infs) {
            const String name = Value(u"CONFIG", inf.key);
            const std::size_t at = LineOf(u"CONFIG", inf.key);
            if (Trim(name).empty()) {
                if (inf.isDefault)
                    Add(at, String(u"[CONFIG] ") + inf.key + u" is empty: installing a " +
                                inf.printerClass + u" printer (the default class) fails");
                continue;
            }
            if (name.find(u'"') != String::npos) {
                Add(at, String(u"[CONFIG] ") + inf.key + u" '" + name +
                            u"' holds a double quote: the wizard refuses to install with it");
                continue;
            }
            for (const LanguageInfo& lang : Languages()) {
                const fs::path relative = PathOf(lang.kitFolder) / PathOf(name);
                std::error_code ec;
                if (!fs::is_regular_file(kit_.folder / relative, ec)) {
                    Add(at, String(u"[CONFIG] ") + inf.key + u": " + TextOf(relative) +
                                u" is missing from the kit: installing in " + lang.name +
                                u" fails");
                    continue;
                }
                anyInfRead = true;
                const String text = DecodeMarkedText(ReadBytes(kit_.folder / relative));
                const String upper = UpperCase(text);
                const InfFile parsed(text);
                StringList namedHere;
                for (std::size_t m = 0; m < models_.size(); ++m) {
                    // Its own %% reads as one %.
                    if (!InfNamesModel(upper, models_[m].name) &&
                        !OffersModel(parsed, models_[m].name))
                        continue;
                    named[m] = true;
                    namedHere.push_back(models_[m].name);
                }
                if (namedHere.empty() && !models_.empty())
                    AddFile(Shown(relative), u"names none of the models of [model_POS]");
                // Both classes may share one file; its package is checked once.
                if (std::find(packages.begin(), packages.end(), relative) != packages.end())
                    continue;
                packages.push_back(relative);
                for (Finding& f :
                     CheckDriverPackage(kit_.folder / relative, Shown(relative), namedHere))
                    findings_.push_back(std::move(f));
            }
        }
        if (!anyInfRead) return;
        for (std::size_t m = 0; m < models_.size(); ++m)
            if (!named[m])
                Add(models_[m].line, u"model " + models_[m].name +
                                         u" is named by no INF file of the kit: installing it fails");
    }

    void Pictures() {
        struct Picture {
            const char16_t* key;
            bool qr;
        };
        std::vector<Picture> pictures;
        for (const LanguageInfo& lang : Languages())
            pictures.push_back({lang.logoKey, false});
        for (const LanguageInfo& lang : Languages())
            pictures.push_back({lang.qrKey, true});
        for (const auto& [key, qr] : pictures) {
            const String value = Trim(Value(u"OEM", key));
            const std::size_t at = LineOf(u"OEM", key);
            const String where = String(u"[OEM] ") + key;
            if (value.empty()) {
                Add(at, where + u" is empty: the picture is hidden");
                continue;
            }
            const bool absolute = value[0] == u'\\' || value[0] == u'/' ||
                                  (value.size() >= 2 && value[1] == u':');
            if (absolute) {
                Add(at, where + u" '" + value +
                            u"' is an absolute path: the picture must lie in the kit folder");
                continue;
            }
            String portable = value;
#ifndef _WIN32
            for (char16_t& c : portable)
                if (c == u'\\') c = u'/';
#endif
            const fs::path relative = PathOf(portable);
            const std::optional<ui::PictureFormat> format = ui::PictureFormatOf(portable);
            const String hidden = qr ? u"both pictures of the About dialog are hidden"
                                     : u"the picture is hidden";
            if (!format) {
                Add(at, where + u" '" + value +
                            u"': the wizard decodes only bmp, ico, wmf, emf, tif, tiff, jpg and "
                            u"jpeg pictures; " + hidden);
                continue;
            }
            std::error_code ec;
            if (!fs::is_regular_file(kit_.folder / relative, ec)) {
                Add(at, where + u" '" + value + u"' is missing from the kit: the picture is hidden");
                continue;
            }
            const std::string picture = ReadBytes(kit_.folder / relative);
            if (format->jpeg && !LooksLikeJpeg(picture))
                Add(at, where + u" '" + value + u"' is not a JPEG file: " + hidden);
            if (!format->jpeg && format->kind == PictureKind::Bmp && !LooksLikeBmp(picture))
                Add(at, where + u" '" + value + u"' is not a BMP file: " + hidden);
        }
    }

    struct Model {
        String name;
        std::size_t line;
    };

    const KitLocation& kit_;
    std::string bytes_;
    TIniFile ini_;
    std::vector<Model> models_;
    std::vector<Finding> findings_;
};

} // namespace

std::vector<Finding> LintKit(const KitLocation& kit) { return Linter(kit).Run(); }

} // namespace kit
