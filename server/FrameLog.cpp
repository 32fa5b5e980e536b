// The row of table `log` written for every analysed frame in database mode.
#include "DatenVerarbeitung.h"

#include "DateUtils.h"
#include "DbEscape.h"
#include "DbQuery.h"
#include "GatewaySetupDb.h"
#include "SysUtils.h"

#include <algorithm>

namespace {

UnicodeString LiteralLine(const AnsiString& value, const wchar_t* tail)
{
    return L"'" + MySqlEscape(AnsiToUnicode(value)) + L"'" + tail;
}

// AnzahlProt is a signed 8-bit column; a frame can announce up to 255 records.
AnsiString TelegramCountColumnText(const AnsiString& text)
{
    const bool digits =
        !text.empty() && text.size() <= 9 && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits) return text;
    return std::to_string(std::min(std::stoi(text), 127));
}

} // namespace

bool TMyClass::WriteFrameLog(const AnsiString& ip, const AnsiString& gatewayIdText, const AnsiString& byteCountText,
                             const AnsiString& aesFlag, const AnsiString& dataType,
                             const AnsiString& telegramCountText)
{
    const AnsiString now = SetupTimeText(Now());
    if (!DatabaseOpen()) return true;
    try {
        TStrings* sql = LogQuery->SQL();
        sql->Clear();
        sql->Add(L"INSERT INTO log (Zeit,IP,GWID,AnzahlByte,AES,DatenType,AnzahlProt) VALUES(");
        sql->Add(LiteralLine(now, L","));
        sql->Add(LiteralLine(ip, L","));
        sql->Add(LiteralLine(gatewayIdText, L","));
        sql->Add(LiteralLine(byteCountText, L","));
        sql->Add(LiteralLine(aesFlag, L","));
        sql->Add(LiteralLine(dataType, L","));
        sql->Add(LiteralLine(TelegramCountColumnText(telegramCountText), L""));
        sql->Add(L") ");
        LogQuery->ExecSQL();
    } catch (const std::exception&) {
        // The row is lost; the frame's processing goes on (the labels show the error).
        return false;
    }
    return true;
}
