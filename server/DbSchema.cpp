#include "DbSchema.h"

#include "DbEscape.h"
#include "DbQuery.h"
#include "GatewaySetupDb.h"
#include "Threads.h"

namespace {

// MySQL's "Unknown database".
constexpr int UnknownDatabaseError = 1049;

void SetParam(TFDConnection& connection, const wchar_t* name, const UnicodeString& value)
{
    connection.Params()->SetValues(name, value);
}

void SetSettingParams(TStrings& params, const TDbSettings& settings)
{
    params.SetValues(L"DriverID", L"MySQL");
    params.SetValues(L"Server", settings.Server);
    params.SetValues(L"Hostname", settings.Server);
    params.SetValues(L"Database", settings.Database);
    params.SetValues(L"User_Name", settings.User);
    params.SetValues(L"Password", settings.Password);
}

// Opens the connection; a refusal for a missing database is kept from OnError and returned as
// false, so that the caller can connect without one. Everything else is reported and raised.
bool OpenUnlessDatabaseMissing(TFDConnection& connection)
{
    const TFDErrorEvent reported = connection.OnError;
    connection.OnError = [&reported](TObject* sender, TObject* initiator, Exception*& error) {
        const auto* engine = dynamic_cast<const EFDDBEngineException*>(error);
        if (engine && engine->ErrorCode() == UnknownDatabaseError) return;
        if (reported) reported(sender, initiator, error);
    };
    try {
        connection.Open();
    } catch (const EFDDBEngineException& e) {
        connection.OnError = reported;
        if (e.ErrorCode() == UnknownDatabaseError) return false;
        throw;
    } catch (...) {
        connection.OnError = reported;
        throw;
    }
    connection.OnError = reported;
    return true;
}

UnicodeString DeviceTableStatement(const UnicodeString& database)
{
    const UnicodeString name = MySqlEscapeIdentifier(database);
    return L" CREATE DATABASE IF NOT EXISTS `" + name + L"`; USE `" + name + L"`;"
           L" CREATE TABLE IF NOT EXISTS `device` ("
           L" `index` int(11) NOT NULL AUTO_INCREMENT,"
           L" `ID` varchar(8) COLLATE utf8_unicode_ci NOT NULL DEFAULT '0',"
           L" `Hersteller` char(3) COLLATE utf8_unicode_ci NOT NULL DEFAULT '0',"
           L" `Medium` tinyint(4) NOT NULL DEFAULT '0',"
           L" `AES` char(50) COLLATE utf8_unicode_ci DEFAULT '0',"
           L" PRIMARY KEY (`index`)"
           L" ) ENGINE=InnoDB AUTO_INCREMENT=1 DEFAULT CHARSET=utf8 COLLATE=utf8_unicode_ci;";
}

const wchar_t* const LogTableStatement = L"CREATE TABLE IF NOT EXISTS `log` ("
                                         L" `Zeit` datetime DEFAULT NULL,"
                                         L" `IP` varchar(15) DEFAULT NULL,"
                                         L" `GWID` varchar(8) DEFAULT NULL,"
                                         L" `AnzahlByte` smallint(6) DEFAULT NULL,"
                                         L" `AES` enum('Y','N') DEFAULT NULL,"
                                         L" `DatenType` enum('WMBUS','SETUP','UNKNOWN') DEFAULT NULL,"
                                         L" `AnzahlProt` tinyint(4) DEFAULT NULL"
                                         L") ENGINE=InnoDB DEFAULT CHARSET=latin1;";

void Execute(TFDQuery& query, const UnicodeString& statement)
{
    query.SQL()->Clear();
    query.SQL()->Add(statement);
    query.ExecSQL();
}

} // namespace

void ApplyDbSettings(TFDConnection& connection, const TDbSettings& settings)
{
    connection.Close();
    connection.SetDriverName(L"MySQL");
    SetSettingParams(*connection.Params(), settings);
}

void EnsureMainConnectionDef(const TStrings& baseParams, const TDbSettings& settings)
{
    if (FDManager()->IsConnectionDef(MainConnectionDefName)) return;
    TStringList params;
    params.Assign(&baseParams);
    SetSettingParams(params, settings);
    FDManager()->AddConnectionDef(MainConnectionDefName, L"MySQL", &params);
}

void ConfigureDbConnection(TFDConnection& connection, const TDbSettings& settings)
{
    ApplyDbSettings(connection, settings);
    FDManager()->AddConnectionDef(MainConnectionDefName, L"MySQL", connection.Params());

    if (OpenUnlessDatabaseMissing(connection)) return;
    // A fresh server: connect without a database; the schema script creates and selects it.
    // The parameter comes back at once, so that later opens (the contacts' too) use it.
    SetParam(connection, L"Database", L"");
    try {
        connection.Open();
    } catch (...) {
        SetParam(connection, L"Database", settings.Database);
        throw;
    }
    SetParam(connection, L"Database", settings.Database);
}

void CreateDbSchema(TFDConnection& connection, const TDbSettings& settings)
{
    if (!connection.Connected()) return;
    TFDQuery query(nullptr);
    query.SetConnection(&connection);
    Execute(query, DeviceTableStatement(settings.Database));
    Execute(query, LogTableStatement);
    Execute(query, SetupTableStatement());
    // Version texts up to "255.255.255" must fit; older tables have room for 8 characters.
    const UnicodeString width = connection.ExecSQLScalar(
        L"SELECT CHARACTER_MAXIMUM_LENGTH FROM information_schema.COLUMNS WHERE TABLE_SCHEMA=DATABASE()"
        L" AND TABLE_NAME='setup_daten' AND COLUMN_NAME='SOFTWARE'");
    if (StrToIntDef(width, 0) < SetupSoftwareColumnWidth) Execute(query, SetupSoftwareWideningStatement());
}

// ---------------------------------------------------------------------------------------------

void ShowDbConnected(TDbStatusDisplay& display)
{
    TThread::Synchronize(nullptr, [&display] {
        display.SetDbStatusText(L"OK");
        display.SetDbErrorText(L"");
    });
}

void ShowDbDisconnected(TDbStatusDisplay& display)
{
    TThread::Synchronize(nullptr, [&display] { display.SetDbStatusText(L"nicht verbunden"); });
}

void ShowDbError(TDbStatusDisplay& display, const UnicodeString& message)
{
    TThread::Synchronize(nullptr, [&display, &message] {
        display.SetDbStatusText(L"ERROR");
        display.SetDbErrorText(message);
    });
}

void BindDbStatusEvents(TFDConnection& connection, TDbStatusDisplay& display)
{
    connection.AfterConnect = [&display](TObject*) { ShowDbConnected(display); };
    connection.AfterDisconnect = [&display](TObject*) { ShowDbDisconnected(display); };
    connection.OnError = [&display](TObject*, TObject*, Exception*& error) {
        ShowDbError(display, error ? error->Message() : UnicodeString());
    };
}
