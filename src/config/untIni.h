#pragma once
// Access to the settings file ".\install.dat" through the platform's profile functions.
// Nothing of the file is kept between calls: every operation opens a file object, does its
// one read or write, flushes the profile cache and lets the object go, so a change made by
// anyone is seen by the next lookup. Only the start-up holds the file (HeldSettings).
#include <memory>
#include <string>
#include <utility>

#include "base/Text.h"

// One profile file by name, in the manner of a Delphi TIniFile: each call goes to the
// profile functions.
class TIniFile {
  public:
    explicit TIniFile(String fileName) : FFileName(std::move(fileName)) {}
    const String& FileName() const { return FFileName; }

    // One value (at most 2047 characters), or `Default` when the file, section or key is
    // missing.
    String ReadString(const String& Section, const String& Ident, const String& Default) const;
    // The key names of a section, and the section names, in file order.
    StringList ReadSection(const String& Section) const;
    StringList ReadSections() const;
    // "name=value" for each key of the section in file order, each value read as ReadString
    // reads it.
    StringList ReadSectionValues(const String& Section) const;
    // Raises EIniFileException "Unable to write to <file name>" when the platform refuses.
    void WriteString(const String& Section, const String& Ident, const String& Value) const;
    // Flushes the platform's profile cache to the disk.
    void UpdateFile() const;

  private:
    StringList ReadNames(const String* Section) const;
    String FFileName;
};

// The values of "name=value" lines (only the first '=' separates), trimmed of blanks and
// control characters, the empty ones left out: a section's values as the wizard lists them.
StringList NonEmptyValues(const StringList& nameValueLines);

class ProfileText;

class TIniOptions {
  public:
    TIniOptions() = default;

    // The value of a key, empty when the file, section or key is missing. Sets FSection and
    // FIdent to the arguments and FValue to the result.
    String GetIdentValue(const String& tSection, const String& tIdent);
    // FValue := the value of FIdent in FSection of `ini`; empty without a file object.
    void LoadSettings(const TIniFile* ini);
    // Writes tIdent=tValue, adding the key and the section when missing; an empty value keeps
    // the key. Raises EIniFileException "Unable to write to .\install.dat" when refused.
    void SetIdentValue(const String& tSection, const String& tIdent, const String& tValue);
    // The section's non-empty values (trimmed of blanks and control characters) in file order.
    StringList GetAllIdentValue(const String& tSection);
    StringList GetIdentList(const String& tSection);
    StringList GetSectionList();
    String GetINIFileName();
    // True when the settings file exists as a file (a directory does not count).
    bool GetCheckIniFile();
    // The display language's caption and message sections and [OEM] logo key ("CAPTION_CN",
    // "MESSAGE_CN", "CompanyLogoCN" in Chinese).
    String GetCaptionLanguage();
    String GetMessageLanguage();
    String GetCompanyLOGO();
    // The computed integrity value of the settings file, computed in memory: the file is never
    // written, so the kit works from read-only media and an interrupted check cannot lose the
    // stored value.
    String GetCheckIniMD5ID();

    // Properties.
    const String& Section() const { return FSection; }
    void SetSection(const String& value) { FSection = value; }
    const String& Ident() const { return FIdent; }
    void SetIdent(const String& value) { FIdent = value; }
    String FileName() { return GetINIFileName(); }
    StringList SectionList() { return GetSectionList(); }
    String CheckID() { return GetCheckIniMD5ID(); }
    String Logo() { return GetCompanyLOGO(); }
    String OSCaption() { return GetCaptionLanguage(); }
    String OSMessage() { return GetMessageLanguage(); }
    bool CheckIniFile() { return GetCheckIniFile(); }

  protected:
    String FSection;
    String FIdent;
    String FValue;

  private:
    friend class HeldSettings;
    // The file as HeldSettings read it; the lookups read it in place of the profile functions.
    std::shared_ptr<const ProfileText> held_;
};

// For its lifetime the settings object reads values, lists and the integrity value from one
// exclusive read of the file instead of opening it for each: the start-up reads the file once
// for its check and every setting it applies, and applies the values that check covered.
// Values are read as the profile functions read them (ProfileText), at most 2047 characters.
// Raises as the integrity check's read does when the file cannot be read.
class HeldSettings {
  public:
    explicit HeldSettings(TIniOptions& options);
    ~HeldSettings();
    HeldSettings(const HeldSettings&) = delete;
    HeldSettings& operator=(const HeldSettings&) = delete;

  private:
    TIniOptions& options_;
};

// The one settings object, from start-up to shutdown.
extern TIniOptions* IniOptions;
// The kit's version for the install log: [CONFIG] SoftVer, the "Tool Ver" of the window title,
// with its OEMID; "(no settings)" before IniOptions exists.
String KitVersionForLog();
// The kit's [CONFIG] LogFormat as it is written ("cmtrace", "text" or nothing).
String KitLogFormat();

// Start-up: creates IniOptions with Section "CONFIG" and Ident "OEMID". Shutdown: frees it.
void CreateIniOptions();
void FreeIniOptions();
