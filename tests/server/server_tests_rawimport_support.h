#pragma once
// RAW import tests: sample telegram lines of the two kinds of file, a sample file mixing them
// with lines the import must skip, and an open-dialog hook that chooses a given file.
#include "server_tests_mainwindow_fixture.h"

#include <fstream>
#include <string>
#include <vector>

namespace rawimport_test {

// A receive log line: time stamp, ';', telegram from its L-field (no frame bytes).
// Manufacturer 0x4493 "QDS", ID 12345678, medium 7.
inline const UnicodeString kLogLine = L"2024-03-01 08:15:02;1E4493447856341201077A1B0000000102030405060708090A0B0C0D0E0F10";
inline const UnicodeString kLogFrame = L"681E4493447856341201077A1B0000000102030405060708090A0B0C0D0E0F10FF16";

// A phone app line: the whole frame 0x68 ... RSSI 0x8C 0x16. "DME", ID 87654321, medium 0x16.
inline const UnicodeString kAppFrame = L"681E44A5112143658702167A2C00000011223344556677889900AABBCCDDEEFF8C16";
inline const UnicodeString kAppLine = L"42;7;" + kAppFrame;

// Two columns in front; an ID with non-decimal digits (0x12EFCDAB), medium 0x9B above 127 and
// a manufacturer whose first letter is the backslash (0x7022).
inline const UnicodeString kOddLine = L"01.03.2024;12:00;1E442270ABCDEF12039B7A3D0000A0A1A2A3A4A5A6A7A8A9";
inline const UnicodeString kOddFrame = L"681E442270ABCDEF12039B7A3D0000A0A1A2A3A4A5A6A7A8A9FF16";

// Lines a file may hold that are no telegrams, or broken ones.
inline std::vector<UnicodeString> SkippedLines()
{
    return {
        L"Receive log of gateway 0A.1B.2C",                                    // short
        L"2024-03-01 08:15:03;1E4493447856341201077A1B00000001020304050",     // odd digit count
        L"2024-03-01 08:15:04;1E4493447856341201077A1B0000000102030405XY",    // not hexadecimal
        L"2024-03-01 08:15:05 with a comment;1E449344785634",                 // frame of 10 bytes
        L"File completely;1E4493447856341201077A1B0000000102030405060708",    // end mark
    };
}

// The sample file's lines: the skipped ones first, so that the telegrams after them show
// that neither the preview nor the import stops on them.
inline std::vector<UnicodeString> SampleLines()
{
    std::vector<UnicodeString> lines = SkippedLines();
    lines.insert(lines.begin() + 2, kLogLine);
    lines.push_back(kAppLine);
    lines.push_back(kOddLine);
    return lines;
}

// The device lines the preview shows for SampleLines.
inline const std::vector<UnicodeString> kSampleDevices = {L"12345678, QDS", L"87654321, DME", L"317705643, \\AB"};

// Writes lines as an ANSI text file with CR LF line ends.
inline void WriteLines(const std::filesystem::path& file, const std::vector<UnicodeString>& lines)
{
    std::ofstream out(file, std::ios::binary);
    for (const UnicodeString& line : lines) out << UnicodeToAnsi(line) << "\r\n";
}

inline std::vector<UnicodeString> Lines(const TStrings& list)
{
    std::vector<UnicodeString> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Strings(i));
    return out;
}

// The open dialog's request as the program made it, and the file the hook chooses (empty:
// the user cancels). Other dialogs are recorded in mainwindow_test::Dialogs().
struct OpenRequest {
    UnicodeString Title;
    UnicodeString Filter;
};
inline std::vector<OpenRequest>& OpenRequests()
{
    static std::vector<OpenRequest> list;
    return list;
}
inline UnicodeString& ChosenFile()
{
    static UnicodeString file;
    return file;
}
inline TModalResult ChooseFile(const TDialogRequest& request)
{
    if (request.Kind != dkOpenFile || !request.FileDialog) return mainwindow_test::RecordDialog(request);
    OpenRequests().push_back({request.FileDialog->Title, request.FileDialog->Filter});
    if (ChosenFile().empty()) return mrCancel;
    request.FileDialog->FileName = ChosenFile();
    request.FileDialog->Files = {ChosenFile()};
    return mrOk;
}

// A user's click on a button of a shown window.
inline void Click(TButton& button) { SendMessageW(button.Handle(), BM_CLICK, 0, 0); }

} // namespace rawimport_test
