#pragma once
// The ODBC side of the database layer (internal): one process-wide environment, the MySQL
// driver lookup, connection handles and statement execution. Only wide and unsuffixed entry
// points are used (Wine's odbc32 has no ANSI ones). Errors come out as EFDDBEngineException.
#include "Strings.h"

#include <optional>
#include <string_view>
#include <vector>

namespace odbc {

// A row of text values; a NULL column has no value.
using Row = std::vector<std::optional<UnicodeString>>;

struct Result {
    bool hasRows = false;           // a statement produced a result set (the first one is kept)
    std::vector<UnicodeString> columns;
    std::vector<Row> rows;
    long long rowsAffected = 0;     // changed rows of the last statement without a result set
};

// Name of the installed ODBC driver that serves MySQL: one whose name holds "MariaDB" or
// "MySQL", a Unicode one preferred. Raises EFDException when there is none.
UnicodeString MySqlDriverName();
// The choice among installed driver names: MariaDB's (it serves both servers) before MySQL's, a
// Unicode one before an ANSI one; empty when none fits.
UnicodeString PickMySqlDriver(const std::vector<UnicodeString>& installed);

// Value for a connection string: always in braces, a closing brace doubled, so that no value
// can add or change an attribute.
UnicodeString ConnectionStringValue(std::wstring_view value);

// A connected ODBC connection handle; closing disconnects and frees it.
class Connection {
public:
    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() { Close(); }

    // Connects without any prompt; raises EFDDBEngineException with the driver's diagnostics.
    void Open(const UnicodeString& connectionString);
    void Close() noexcept;
    bool IsOpen() const noexcept { return handle_ != nullptr; }
    // Asks the driver whether the connection still works (the MariaDB driver pings).
    bool IsAlive() noexcept;

    // Runs sql (one or more statements) and collects the first result set when wantRows is
    // set; later results are consumed, so that the connection is free for the next command.
    Result Execute(std::wstring_view sql, bool wantRows);

private:
    // Code of the last error the server reported on this connection, 0 when unknown.
    int LastServerErrorCode() noexcept;

    void* handle_ = nullptr;
};

}  // namespace odbc
