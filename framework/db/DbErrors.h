#pragma once
// Errors of the database layer.
//   EDatabaseError       misuse of a data set (unknown field, closed data set)
//   EFDException         the layer itself (no driver, unknown connection definition, not connected)
//   EFDDBEngineException an error reported by the driver or the server, with its native code
#include "Exceptions.h"

FW_DECLARE_EXCEPTION(EDatabaseError, Exception);
FW_DECLARE_EXCEPTION(EFDException, EDatabaseError);

class EFDDBEngineException : public EFDException {
public:
    // message is the server's (or client library's) text without the ODBC component prefixes;
    // errorCode the native code (1045 access denied, 1049 unknown database, 2002 no server...).
    EFDDBEngineException(std::wstring message, int errorCode, std::wstring sqlState)
        : EFDException(std::move(message)), errorCode_(errorCode), sqlState_(std::move(sqlState))
    {
    }
    std::wstring ClassName() const override { return L"EFDDBEngineException"; }

    int ErrorCode() const noexcept { return errorCode_; }
    const std::wstring& SQLState() const noexcept { return sqlState_; }

private:
    int errorCode_;
    std::wstring sqlState_;
};
