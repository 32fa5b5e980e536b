#include "IniFiles.h"

#include "Exceptions.h"
#include "Files.h"
#include "SysUtils.h"

#include <vector>

namespace {
constexpr DWORD kMaxProfileBuffer = 64u * 1024u * 1024u;

[[noreturn]] void RaiseWriteError(const UnicodeString& fileName)
{
    throw EIniFileException(L"Unable to write to " + fileName);
}

// Calls the private-profile reader with a growing buffer until the result fits. reserve is the
// number of terminators the routine keeps at the end of a truncated result (1 for a value, 2 for
// a list of names).
std::vector<wchar_t> ReadProfile(const wchar_t* section, const wchar_t* key, const wchar_t* def,
                                 const UnicodeString& fileName, DWORD reserve, DWORD& length)
{
    std::vector<wchar_t> buffer(2048);
    for (;;) {
        length = GetPrivateProfileStringW(section, key, def, buffer.data(), static_cast<DWORD>(buffer.size()),
                                          fileName.c_str());
        if (length + reserve < buffer.size() || buffer.size() >= kMaxProfileBuffer) return buffer;
        buffer.assign(buffer.size() * 4, L'\0');
    }
}

void FillFromNameList(const std::vector<wchar_t>& buffer, DWORD length, TStrings* strings)
{
    strings->BeginUpdate();
    try {
        strings->Clear();
        size_t start = 0;
        while (start < length && buffer[start] != L'\0') {
            const UnicodeString name(buffer.data() + start);
            strings->Add(name);
            start += name.size() + 1;
        }
    } catch (...) {
        strings->EndUpdate();
        throw;
    }
    strings->EndUpdate();
}
} // namespace

// ---- TCustomIniFile ----------------------------------------------------------------------------

int TCustomIniFile::ReadInteger(const UnicodeString& section, const UnicodeString& ident, int def) const
{
    return StrToIntDef(ReadString(section, ident, UnicodeString()), def);
}

bool TCustomIniFile::ReadBool(const UnicodeString& section, const UnicodeString& ident, bool def) const
{
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

bool TCustomIniFile::SectionExists(const UnicodeString& section) const
{
    TStringList keys;
    ReadSection(section, &keys);
    return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const UnicodeString& section, const UnicodeString& ident) const
{
    TStringList keys;
    ReadSection(section, &keys);
    return keys.IndexOf(ident) >= 0;
}

// ---- TIniFile ----------------------------------------------------------------------------------

UnicodeString TIniFile::ReadString(const UnicodeString& section, const UnicodeString& ident,
                                   const UnicodeString& def) const
{
    DWORD length = 0;
    const auto buffer = ReadProfile(section.c_str(), ident.c_str(), def.c_str(), FileName(), 1, length);
    return UnicodeString(buffer.data(), length);
}

void TIniFile::ReadSection(const UnicodeString& section, TStrings* strings) const
{
    DWORD length = 0;
    const auto buffer = ReadProfile(section.c_str(), nullptr, nullptr, FileName(), 2, length);
    FillFromNameList(buffer, length, strings);
}

void TIniFile::ReadSections(TStrings* strings) const
{
    DWORD length = 0;
    const auto buffer = ReadProfile(nullptr, nullptr, nullptr, FileName(), 2, length);
    FillFromNameList(buffer, length, strings);
}

void TIniFile::WriteString(const UnicodeString& section, const UnicodeString& ident, const UnicodeString& value)
{
    if (!WritePrivateProfileStringW(section.c_str(), ident.c_str(), value.c_str(), FileName().c_str()))
        RaiseWriteError(FileName());
}

void TIniFile::WriteInteger(const UnicodeString& section, const UnicodeString& ident, int value)
{
    WriteString(section, ident, std::to_wstring(value));
}

void TIniFile::WriteBool(const UnicodeString& section, const UnicodeString& ident, bool value)
{
    WriteString(section, ident, value ? L"1" : L"0");
}

void TIniFile::EraseSection(const UnicodeString& section)
{
    if (!WritePrivateProfileStringW(section.c_str(), nullptr, nullptr, FileName().c_str()))
        RaiseWriteError(FileName());
}

void TIniFile::DeleteKey(const UnicodeString& section, const UnicodeString& ident)
{
    WritePrivateProfileStringW(section.c_str(), ident.c_str(), nullptr, FileName().c_str());
}

void TIniFile::UpdateFile() { WritePrivateProfileStringW(nullptr, nullptr, nullptr, FileName().c_str()); }

// ---- TMemIniFile -------------------------------------------------------------------------------

TMemIniFile::TMemIniFile(UnicodeString fileName, const TEncoding* encoding, bool caseSensitive)
    : TCustomIniFile(std::move(fileName)), encoding_(encoding ? encoding : TEncoding::UTF8),
      caseSensitive_(caseSensitive)
{
    if (FileName().empty() || !FileExists(FileName())) return;
    TStringList lines;
    lines.LoadFromFile(FileName(), encoding_);
    SetStrings(lines);
}

bool TMemIniFile::SameName(const UnicodeString& a, const UnicodeString& b) const
{
    if (caseSensitive_) return a == b;
    if (a.size() != b.size()) return false;
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

const TMemIniFile::Section* TMemIniFile::FindSection(const UnicodeString& name) const
{
    for (const Section& s : sections_)
        if (SameName(s.name, name)) return &s;
    return nullptr;
}

void TMemIniFile::SetStrings(const TStrings& list)
{
    std::vector<Section> sections;
    Section* current = nullptr;
    for (int i = 0; i < list.Count(); ++i) {
        const UnicodeString line = Trim(list[i]);
        if (line.empty() || line[0] == L';') continue;
        if (line.front() == L'[' && line.back() == L']' && line.size() >= 2) {
            const UnicodeString name = Trim(line.substr(1, line.size() - 2));
            current = nullptr;
            for (Section& s : sections)
                if (SameName(s.name, name)) current = &s;
            if (!current) {
                sections.push_back(Section{name, {}});
                current = &sections.back();
            }
            continue;
        }
        const size_t eq = line.find(L'=');
        if (!current || eq == UnicodeString::npos) continue;
        const UnicodeString key = Trim(line.substr(0, eq));
        bool known = false;
        for (const Key& k : current->keys)
            if (SameName(k.name, key)) known = true;
        if (!known) current->keys.push_back(Key{key, TrimLeft(line.substr(eq + 1))});
    }
    sections_ = std::move(sections);
}

void TMemIniFile::GetStrings(TStrings& list) const
{
    list.BeginUpdate();
    try {
        list.Clear();
        for (const Section& s : sections_) {
            list.Add(L"[" + s.name + L"]");
            for (const Key& k : s.keys) list.Add(k.name + L"=" + k.value);
            list.Add(UnicodeString());
        }
    } catch (...) {
        list.EndUpdate();
        throw;
    }
    list.EndUpdate();
}

void TMemIniFile::SetCaseSensitive(bool on)
{
    if (on == caseSensitive_) return;
    TStringList lines;
    GetStrings(lines);
    caseSensitive_ = on;
    SetStrings(lines);
}

const TMemIniFile::Key* TMemIniFile::FindKey(const UnicodeString& section, const UnicodeString& ident) const
{
    if (const Section* s = FindSection(section))
        for (const Key& k : s->keys)
            if (SameName(k.name, ident)) return &k;
    return nullptr;
}

UnicodeString TMemIniFile::ReadString(const UnicodeString& section, const UnicodeString& ident,
                                      const UnicodeString& def) const
{
    const Key* key = FindKey(section, ident);
    return key ? key->value : def;
}

void TMemIniFile::ReadSection(const UnicodeString& section, TStrings* strings) const
{
    strings->BeginUpdate();
    try {
        strings->Clear();
        if (const Section* s = FindSection(section))
            for (const Key& k : s->keys) strings->Add(k.name);
    } catch (...) {
        strings->EndUpdate();
        throw;
    }
    strings->EndUpdate();
}

void TMemIniFile::ReadSections(TStrings* strings) const
{
    strings->BeginUpdate();
    try {
        strings->Clear();
        for (const Section& s : sections_) strings->Add(s.name);
    } catch (...) {
        strings->EndUpdate();
        throw;
    }
    strings->EndUpdate();
}

bool TMemIniFile::SectionExists(const UnicodeString& section) const { return FindSection(section) != nullptr; }

bool TMemIniFile::ValueExists(const UnicodeString& section, const UnicodeString& ident) const
{
    return FindKey(section, ident) != nullptr;
}
