#include "ConnectionLog.h"

#include "DataFolders.h"
#include "Encoding.h"
#include "Exceptions.h"
#include "Files.h"
#include "LogFileAppend.h"

namespace {
UnicodeString ConnectionLogFolder()
{
    return DataSubfolder(L"W_MBUS_SRV_GWSETUPS");
}

// Every line ended by CR LF, whichever break the text used.
UnicodeString WithCrLfLines(const UnicodeString& text)
{
    UnicodeString out;
    out.reserve(text.size() + 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            out += L"\r\n";
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        } else {
            out.push_back(c);
        }
    }
    if (!out.empty() && out.back() != L'\n') out += L"\r\n";
    return out;
}
} // namespace

UnicodeString ConnectionLogPath()
{
    return ConnectionLogFolder() + L"VerbindungsLog.txt";
}

void AppendConnectionLog(const UnicodeString& memoText)
{
    const UnicodeString folder = ConnectionLogFolder();
    ForceDataFolder(folder);
    AppendLogFileText(folder + L"VerbindungsLog.txt", UnicodeToAnsi(WithCrLfLines(memoText)));
}
