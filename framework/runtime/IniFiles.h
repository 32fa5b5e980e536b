#pragma once
// INI files. TIniFile reads and writes key by key through the Windows private-profile routines,
// so every write reaches the file at once. TMemIniFile reads the whole text into memory.
#include "Encoding.h"
#include "Objects.h"
#include "StringList.h"
#include "Strings.h"

#include <vector>

class TCustomIniFile : public TObject {
public:
    explicit TCustomIniFile(UnicodeString fileName) : fileName_(std::move(fileName)) {}
    UnicodeString ClassName() const override { return L"TCustomIniFile"; }
    const UnicodeString& FileName() const { return fileName_; }

    virtual UnicodeString ReadString(const UnicodeString& section, const UnicodeString& ident,
                                     const UnicodeString& def) const = 0;
    // Key names of section in file order, replacing the content of strings.
    virtual void ReadSection(const UnicodeString& section, TStrings* strings) const = 0;
    virtual void ReadSections(TStrings* strings) const = 0;

    // Integers are decimal or "$"/"0x" hexadecimal (8 hex digits wrap to signed 32 bits); other
    // text reads as def. Booleans are integers, true when not 0.
    int ReadInteger(const UnicodeString& section, const UnicodeString& ident, int def) const;
    bool ReadBool(const UnicodeString& section, const UnicodeString& ident, bool def) const;
    virtual bool SectionExists(const UnicodeString& section) const;
    virtual bool ValueExists(const UnicodeString& section, const UnicodeString& ident) const;

private:
    UnicodeString fileName_;
};

class TIniFile : public TCustomIniFile {
public:
    explicit TIniFile(UnicodeString fileName) : TCustomIniFile(std::move(fileName)) {}
    UnicodeString ClassName() const override { return L"TIniFile"; }

    UnicodeString ReadString(const UnicodeString& section, const UnicodeString& ident,
                             const UnicodeString& def) const override;
    void ReadSection(const UnicodeString& section, TStrings* strings) const override;
    void ReadSections(TStrings* strings) const override;

    // Writes create the file and section when missing (not the folder). A failed write raises
    // EIniFileException. Booleans are written as 1 and 0.
    void WriteString(const UnicodeString& section, const UnicodeString& ident, const UnicodeString& value);
    void WriteInteger(const UnicodeString& section, const UnicodeString& ident, int value);
    void WriteBool(const UnicodeString& section, const UnicodeString& ident, bool value);
    void EraseSection(const UnicodeString& section);
    void DeleteKey(const UnicodeString& section, const UnicodeString& ident);
    // Flushes the system's cached copy of the file.
    void UpdateFile();
};

// Read-only in-memory INI. Lines are trimmed; ';' starts a comment line; "[name]" opens a
// section; "key=value" lines before the first section, or without '=', are ignored. Sections
// and keys keep file order. A repeated section is merged into its first occurrence, and a
// repeated key within a section keeps its first value and place, so each name appears once.
// Names match without regard to case unless CaseSensitive is set.
class TMemIniFile : public TCustomIniFile {
public:
    // Reads fileName whole when it exists (a missing file reads as empty). A UTF-8 or UTF-16
    // byte-order mark decides the decoding; otherwise encoding is used (UTF-8 when null).
    explicit TMemIniFile(UnicodeString fileName, const TEncoding* encoding = nullptr, bool caseSensitive = false);
    UnicodeString ClassName() const override { return L"TMemIniFile"; }

    UnicodeString ReadString(const UnicodeString& section, const UnicodeString& ident,
                             const UnicodeString& def) const override;
    void ReadSection(const UnicodeString& section, TStrings* strings) const override;
    void ReadSections(TStrings* strings) const override;
    // True for a section header even without keys.
    bool SectionExists(const UnicodeString& section) const override;
    bool ValueExists(const UnicodeString& section, const UnicodeString& ident) const override;

    // Replaces the whole content with the lines of list / writes the content as INI lines.
    void SetStrings(const TStrings& list);
    void GetStrings(TStrings& list) const;
    void Clear() { sections_.clear(); }

    bool CaseSensitive() const { return caseSensitive_; }
    // Re-reads the content under the new rule, so sections may merge.
    void SetCaseSensitive(bool on);
    const TEncoding* Encoding() const { return encoding_; }

private:
    struct Key {
        UnicodeString name;
        UnicodeString value;
    };
    struct Section {
        UnicodeString name;
        std::vector<Key> keys;
    };
    bool SameName(const UnicodeString& a, const UnicodeString& b) const;
    const Section* FindSection(const UnicodeString& name) const;
    const Key* FindKey(const UnicodeString& section, const UnicodeString& ident) const;

    std::vector<Section> sections_;
    const TEncoding* encoding_;
    bool caseSensitive_;
};
