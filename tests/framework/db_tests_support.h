#pragma once
// The MariaDB that tools/test.sh starts, and a database of this run's own on it.
#include "DbConnection.h"
#include "DbQuery.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace dbtest {

inline UnicodeString Env(const wchar_t* name)
{
    wchar_t buffer[512];
    const DWORD n = GetEnvironmentVariableW(name, buffer, 512);
    return n > 0 && n < 512 ? UnicodeString(buffer, n) : UnicodeString();
}

struct ServerSettings {
    UnicodeString host, user, password, port;
};

// Host, user and password from MARLINDO_DB_*; a missing one fails the test that asks.
inline ServerSettings Server()
{
    ServerSettings s{Env(L"MARLINDO_DB_HOST"), Env(L"MARLINDO_DB_USER"), Env(L"MARLINDO_DB_PASSWORD"),
                     Env(L"MYSQL_TCP_PORT")};
    if (s.host.empty() || s.user.empty())
        ADD_FAILURE() << "MARLINDO_DB_HOST/MARLINDO_DB_USER/MARLINDO_DB_PASSWORD are not set: run the tests "
                         "through tools/test.sh, which starts the test database";
    return s;
}

// The driver ignores MYSQL_TCP_PORT once the connection string selects options, so the test
// server's port goes in as the Port parameter (the program itself never sets one).
inline void AddPort(TStrings& params)
{
    const UnicodeString port = Server().port;
    if (!port.empty()) params.SetValues(L"Port", port);
}

// The parameters the program sets, in its order, plus the test server's port.
inline void Configure(TFDConnection& connection, const UnicodeString& database, const UnicodeString& password)
{
    const ServerSettings s = Server();
    connection.SetLoginPrompt(false);
    connection.SetDriverName(L"MySQL");
    TStrings& p = *connection.Params();
    p.SetValues(L"DriverID", L"MySQL");
    p.SetValues(L"Server", s.host);
    p.SetValues(L"Hostname", s.host);
    p.SetValues(L"Database", database);
    p.SetValues(L"User_Name", s.user);
    p.SetValues(L"Password", password);
    AddPort(p);
}

// Name of this run's database, created before the first test and dropped after the last.
const UnicodeString& Database();

inline void Configure(TFDConnection& connection, const UnicodeString& database = Database())
{
    Configure(connection, database, Server().password);
}

}  // namespace dbtest
