#include "DbOdbc.h"

#include "DbErrors.h"

#include <windows.h>
#include <sql.h>
#include <sqlext.h>

#include <array>
#include <climits>
#include <cwchar>
#include <mutex>

namespace odbc {
namespace {

// The environment lives as long as the process: connections may still be closed from static
// destructors, so it is never freed.
SQLHENV Environment()
{
    static const SQLHENV env = [] {
        SQLHENV handle = SQL_NULL_HENV;
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle))) return SQLHENV(SQL_NULL_HENV);
        SQLSetEnvAttr(handle, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        return handle;
    }();
    if (env == SQL_NULL_HENV) throw EFDException(L"The ODBC environment could not be created");
    return env;
}

// ODBC prefixes diagnostic texts with the components that passed them on
// ("[ma-3.1.15][10.11.6-MariaDB]Unknown database 'x'"); the operator wants the server's text.
UnicodeString StripComponentPrefixes(UnicodeString text)
{
    while (!text.empty() && text.front() == L'[') {
        const size_t end = text.find(L']');
        if (end == UnicodeString::npos) break;
        text.erase(0, end + 1);
    }
    return text;
}

EFDDBEngineException Diagnostics(SQLSMALLINT handleType, SQLHANDLE handle, const wchar_t* fallback)
{
    std::array<SQLWCHAR, 6> state{};
    SQLINTEGER native = 0;
    std::vector<SQLWCHAR> text(1024);
    SQLSMALLINT length = 0;
    SQLRETURN r = SQLGetDiagRecW(handleType, handle, 1, state.data(), &native, text.data(),
                                 static_cast<SQLSMALLINT>(text.size()), &length);
    if (r == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(text.size()) && length < SHRT_MAX) {
        text.resize(static_cast<size_t>(length) + 1);
        r = SQLGetDiagRecW(handleType, handle, 1, state.data(), &native, text.data(),
                           static_cast<SQLSMALLINT>(text.size()), &length);
    }
    if (!SQL_SUCCEEDED(r)) return EFDDBEngineException(fallback, 0, L"HY000");
    const size_t used = std::min<size_t>(length < 0 ? 0 : static_cast<size_t>(length), text.size() - 1);
    UnicodeString message(reinterpret_cast<const wchar_t*>(text.data()), used);
    UnicodeString sqlState(reinterpret_cast<const wchar_t*>(state.data()), 5);
    return EFDDBEngineException(StripComponentPrefixes(std::move(message)), static_cast<int>(native),
                                sqlState.c_str());
}

[[noreturn]] void RaiseDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, const wchar_t* fallback)
{
    throw Diagnostics(handleType, handle, fallback);
}

class Statement {
public:
    explicit Statement(SQLHDBC connection)
    {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &handle_)))
            RaiseDiagnostics(SQL_HANDLE_DBC, connection, L"No statement could be allocated");
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() { SQLFreeHandle(SQL_HANDLE_STMT, handle_); }
    SQLHSTMT get() const { return handle_; }

private:
    SQLHSTMT handle_ = SQL_NULL_HSTMT;
};

UnicodeString ColumnName(SQLHSTMT st, SQLUSMALLINT column)
{
    std::vector<SQLWCHAR> name(256);
    SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const SQLRETURN r = SQLDescribeColW(st, column, name.data(), static_cast<SQLSMALLINT>(name.size()), &length,
                                            &type, &size, &digits, &nullable);
        if (!SQL_SUCCEEDED(r)) RaiseDiagnostics(SQL_HANDLE_STMT, st, L"A column could not be described");
        if (length < static_cast<SQLSMALLINT>(name.size()) || length >= SHRT_MAX) break;
        name.resize(static_cast<size_t>(length) + 1);
    }
    const size_t used = std::min<size_t>(length < 0 ? 0 : static_cast<size_t>(length), name.size() - 1);
    return UnicodeString(reinterpret_cast<const wchar_t*>(name.data()), used);
}

// Reads one column of the current row as UTF-16 text, in pieces for long values.
std::optional<UnicodeString> ColumnText(SQLHSTMT st, SQLUSMALLINT column)
{
    std::array<SQLWCHAR, 512> buffer{};
    constexpr SQLLEN bufferBytes = sizeof(buffer);
    constexpr size_t pieceChars = buffer.size() - 1;  // the driver ends each piece with NUL
    UnicodeString value;
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN r = SQLGetData(st, column, SQL_C_WCHAR, buffer.data(), bufferBytes, &indicator);
        if (r == SQL_NO_DATA) break;  // the previous piece was the last
        if (!SQL_SUCCEEDED(r)) RaiseDiagnostics(SQL_HANDLE_STMT, st, L"A value could not be read");
        if (indicator == SQL_NULL_DATA) return std::nullopt;
        size_t chars = pieceChars;
        if (indicator != SQL_NO_TOTAL && indicator >= 0 && indicator < bufferBytes)
            chars = static_cast<size_t>(indicator) / sizeof(SQLWCHAR);
        value.append(reinterpret_cast<const wchar_t*>(buffer.data()), std::min(chars, pieceChars));
        if (r == SQL_SUCCESS) break;  // SUCCESS_WITH_INFO: truncated, more to come
    }
    return value;
}

void ReadResultSet(SQLHSTMT st, SQLSMALLINT columns, Result& result)
{
    result.hasRows = true;
    for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c) result.columns.push_back(ColumnName(st, c));
    for (;;) {
        const SQLRETURN r = SQLFetch(st);
        if (r == SQL_NO_DATA) break;
        if (!SQL_SUCCEEDED(r)) RaiseDiagnostics(SQL_HANDLE_STMT, st, L"A row could not be fetched");
        Row row;
        row.reserve(static_cast<size_t>(columns));
        for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c) row.push_back(ColumnText(st, c));
        result.rows.push_back(std::move(row));
    }
}

int DriverRank(const UnicodeString& name)
{
    const UnicodeString upper = UpperCase(name);
    const bool unicode = upper.find(L"UNICODE") != UnicodeString::npos;
    if (upper.find(L"MARIADB") != UnicodeString::npos) return unicode ? 4 : 3;
    if (upper.find(L"MYSQL") != UnicodeString::npos) return unicode ? 2 : 1;
    return 0;
}

}  // namespace

UnicodeString MySqlDriverName()
{
    static std::mutex mutex;
    static UnicodeString cached;
    const std::lock_guard lock(mutex);
    if (!cached.empty()) return cached;

    const SQLHENV env = Environment();
    std::vector<UnicodeString> installed;
    std::array<SQLWCHAR, 512> description{};
    std::array<SQLWCHAR, 4096> attributes{};
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLSMALLINT descriptionLength = 0, attributesLength = 0;
        const SQLRETURN r = SQLDriversW(env, direction, description.data(), static_cast<SQLSMALLINT>(description.size()),
                                        &descriptionLength, attributes.data(),
                                        static_cast<SQLSMALLINT>(attributes.size()), &attributesLength);
        if (!SQL_SUCCEEDED(r)) break;
        direction = SQL_FETCH_NEXT;
        description.back() = 0;
        installed.emplace_back(reinterpret_cast<const wchar_t*>(description.data()));
    }
    cached = PickMySqlDriver(installed);
    if (cached.empty()) throw EFDException(L"No ODBC driver for MySQL or MariaDB is installed");
    return cached;
}

UnicodeString PickMySqlDriver(const std::vector<UnicodeString>& installed)
{
    UnicodeString best;
    int bestRank = 0;
    for (const UnicodeString& name : installed) {
        const int rank = DriverRank(name);
        if (rank > bestRank) {
            best = name;
            bestRank = rank;
        }
    }
    return best;
}

UnicodeString ConnectionStringValue(std::wstring_view value)
{
    UnicodeString out = L"{";
    for (const wchar_t c : value) {
        out.push_back(c);
        if (c == L'}') out.push_back(L'}');
    }
    out.push_back(L'}');
    return out;
}

void Connection::Open(const UnicodeString& connectionString)
{
    Close();
    if (connectionString.size() >= SHRT_MAX) throw EFDException(L"The connection settings are too long");
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, Environment(), &dbc)))
        RaiseDiagnostics(SQL_HANDLE_ENV, Environment(), L"No connection handle could be allocated");
    const SQLRETURN r = SQLDriverConnectW(dbc, nullptr,
                                          reinterpret_cast<SQLWCHAR*>(const_cast<wchar_t*>(connectionString.c_str())),
                                          static_cast<SQLSMALLINT>(connectionString.size()), nullptr, 0, nullptr,
                                          SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(r)) {
        try {
            RaiseDiagnostics(SQL_HANDLE_DBC, dbc, L"The connection could not be opened");
        } catch (...) {
            SQLFreeHandle(SQL_HANDLE_DBC, dbc);
            throw;
        }
    }
    handle_ = dbc;
}

void Connection::Close() noexcept
{
    if (!handle_) return;
    SQLDisconnect(handle_);
    SQLFreeHandle(SQL_HANDLE_DBC, handle_);
    handle_ = nullptr;
}

bool Connection::IsAlive() noexcept
{
    if (!handle_) return false;
    SQLUINTEGER dead = SQL_CD_FALSE;
    if (SQL_SUCCEEDED(SQLGetConnectAttrW(handle_, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)))
        return dead == SQL_CD_FALSE;
    try {
        Execute(L"SELECT 1", false);
        return true;
    } catch (...) {
        return false;
    }
}

Result Connection::Execute(std::wstring_view sql, bool wantRows)
{
    if (!handle_) throw EFDException(L"The connection is not open");
    if (sql.size() >= static_cast<size_t>(INT_MAX)) throw EFDException(L"The statement is too long");
    const Statement st(handle_);
    Result result;
    SQLRETURN r = SQLExecDirectW(st.get(), reinterpret_cast<SQLWCHAR*>(const_cast<wchar_t*>(sql.data())),
                                 static_cast<SQLINTEGER>(sql.size()));
    // Each pass handles one statement's result; SQLMoreResults moves to the next statement of a
    // script and reports the first failing one.
    for (;;) {
        if (r == SQL_NO_DATA) {
            result.rowsAffected = 0;  // a searched UPDATE or DELETE that touched no row
        } else {
            if (!SQL_SUCCEEDED(r)) RaiseDiagnostics(SQL_HANDLE_STMT, st.get(), L"The statement failed");
            SQLSMALLINT columns = 0;
            if (!SQL_SUCCEEDED(SQLNumResultCols(st.get(), &columns)))
                RaiseDiagnostics(SQL_HANDLE_STMT, st.get(), L"The statement failed");
            if (columns > 0) {
                if (wantRows && !result.hasRows) ReadResultSet(st.get(), columns, result);
            } else {
                SQLLEN count = 0;
                result.rowsAffected = SQL_SUCCEEDED(SQLRowCount(st.get(), &count)) && count > 0 ? count : 0;
            }
        }
        r = SQLMoreResults(st.get());
        if (r == SQL_NO_DATA) break;
        if (r == SQL_ERROR) {
            // The MariaDB driver reports a failing later statement of a script without its
            // native code; the server still holds it for the last statement.
            EFDDBEngineException error = Diagnostics(SQL_HANDLE_STMT, st.get(), L"The statement failed");
            if (error.ErrorCode() == 0) {
                if (const int code = LastServerErrorCode(); code != 0)
                    error = EFDDBEngineException(error.Message(), code, error.SQLState());
            }
            throw error;
        }
    }
    return result;
}

int Connection::LastServerErrorCode() noexcept
{
    try {
        const Result errors = Execute(L"SHOW ERRORS", true);
        for (const Row& row : errors.rows) {
            if (row.size() >= 2 && row[0] && SameText(*row[0], L"Error") && row[1]) {
                const int code = std::wcstol(row[1]->c_str(), nullptr, 10);
                if (code > 0) return code;
            }
        }
    } catch (...) {
    }
    return 0;
}

}  // namespace odbc
