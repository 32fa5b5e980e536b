// The radio-ID import of the setup dialog: route files (devices grouped by house) and CSV key
// lists (one device per line) fill the radio-ID filter list through the dialog's own add step.
// Nothing is stored until the operator saves the dialog.
#include "GatewaySetup.h"

#include "DataFolders.h"
#include "Dialogs.h"
#include "Files.h"
#include "GatewaySetupDialogValues.h"
#include "IniFiles.h"
#include "StringList.h"
#include "SysUtils.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace {

constexpr int MaxCsvFields = 9;

// House i and entry j of a section named exactly "HAUS<i>_S<j>" (numbers in decimal without
// leading zeros, as the route file writes them); nothing for any other name.
std::optional<std::pair<int, int>> RouteEntryNumbers(const UnicodeString& section)
{
    const UnicodeString name = UpperCase(section);
    if (name.compare(0, 4, L"HAUS") != 0) return std::nullopt;
    const std::size_t split = name.find(L"_S", 4);
    if (split == UnicodeString::npos) return std::nullopt;
    int house = 0;
    int entry = 0;
    if (!TryStrToInt(name.substr(4, split - 4), house) || !TryStrToInt(name.substr(split + 2), entry))
        return std::nullopt;
    if (house < 1 || entry < 1 || name != L"HAUS" + IntToStr(house) + L"_S" + IntToStr(entry)) return std::nullopt;
    return std::make_pair(house, entry);
}

} // namespace

AnsiString ExtractRadioIdDigits(AnsiString text)
{
    for (int pass = 0; pass < 3; ++pass) {
        const std::size_t blank = text.find(' ');
        if (blank != AnsiString::npos) text.erase(0, blank + 1);
    }
    AnsiString digits;
    std::copy_if(text.begin(), text.end(), std::back_inserter(digits), [](char c) { return c >= '0' && c <= '9'; });
    return digits;
}

void TFormGWsetup::ButtonImportIDClick(TObject*)
{
    OpenDialog->SetInitialDir(DataFolder() + L"Routes\\");
    OpenDialog->SetFilter(L"Ger\u00e4teliste  (*.route)|*.ROUTE|AES-Keyliste  (*.csv)|*.CSV");
    if (!OpenDialog->Execute()) return;
    const UnicodeString fileName = OpenDialog->FileName();
    const UnicodeString extension = UpperCase(ExtractFileExt(fileName));
    if (extension == L".ROUTE")
        ImportRouteFile(fileName);
    else if (extension == L".CSV")
        ImportCsvKeyList(fileName);
}

void TFormGWsetup::ImportRouteFile(const UnicodeString& fileName)
{
    const TMemIniFile ini(fileName, TEncoding::UTF8);
    // The entries in the order houses 1 .. HAUSER, entries 1 .. ANZS would visit them, taken from
    // the sections the file has: counts the file claims beyond them add nothing, and are not
    // walked through one by one.
    TStringList sections;
    ini.ReadSections(&sections);
    std::vector<std::pair<int, int>> entries;
    for (int s = 0; s < sections.Count(); ++s)
        if (const auto numbers = RouteEntryNumbers(sections[s])) entries.push_back(*numbers);
    std::sort(entries.begin(), entries.end());

    const int houses = ini.ReadInteger(L"ROUTE", L"HAUSER", 0);
    for (const auto& [house, number] : entries) {
        if (house > houses) break;
        if (number > ini.ReadInteger(L"HAUS" + IntToStr(house), L"ANZS", 0)) continue;
        const UnicodeString section = L"HAUS" + IntToStr(house) + L"_S" + IntToStr(number);
        // An entry without a radio ID names no device.
        if (!ini.ValueExists(section, L"RADIOID")) continue;
        if (const auto entry = RadioIdEntryFromInput(Trim(ini.ReadString(section, L"RADIOID", L"")))) {
            EditID->SetText(*entry);
            AddEditIdToList();
        }
    }
}

void TFormGWsetup::ImportCsvKeyList(const UnicodeString& fileName)
{
    try {
        TStringList lines;
        lines.LoadFromFile(fileName);
        TStringList fields;
        fields.SetDelimiter(L';');
        fields.SetQuoteChar(L'"');
        fields.SetStrictDelimiter(true);
        for (int n = 0; n < lines.Count(); ++n) {
            fields.SetDelimitedText(lines[n]);
            if (fields.Count() > MaxCsvFields) {
                MessageDlg(L"Mehr als 9 Spalten vorhanden. Falsches Format!", mtError, {mbOK}, 0);
                return;
            }
            if (n == 0) continue; // the header
            const AnsiString first = fields.Count() > 0 ? UnicodeToAnsi(fields[0]) : AnsiString();
            if (const auto entry = RadioIdEntryFromInput(AnsiToUnicode(ExtractRadioIdDigits(first)))) {
                EditID->SetText(*entry);
                AddEditIdToList();
            }
        }
    } catch (const Exception&) {
        MessageDlg(L"Unerwarteter Fehler in CSV!", mtWarning, {mbYes}, 0);
    }
}
