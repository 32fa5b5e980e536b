#pragma once
// Database mode at switch-on: the main connection configured from the settings edits, the
// schema script, and the connection state shown in the main window's "Datenbank:" labels.
// The contacts take their connections from a TFDConnectionPool configured from the main
// connection after these (see TContactHost::AcquireDatabaseConnection).
#include "DbConnection.h"
#include "Strings.h"

// The texts of the settings edits on the "Setup" tab, read once at switch-on. The same
// Database text names the connection's database and the one the schema script creates.
struct TDbSettings {
    UnicodeString Server;   // EditDBServer
    UnicodeString Database; // EditDBName
    UnicodeString User;     // EditDBUser
    UnicodeString Password; // EditDBPassword
};

// Name of the connection definition that mirrors the main connection (the filter push uses it).
inline const wchar_t* const MainConnectionDefName = L"MARLINDO2";

// Closes the connection and sets the driver and its parameters from settings, each by name (an
// empty text removes the entry; other entries stay). Nothing is registered or opened: for
// connections of their own (the statistics thread, the RAW import) beside the main one.
void ApplyDbSettings(TFDConnection& connection, const TDbSettings& settings);

// Registers MARLINDO2 as switch-on does, from baseParams (the main connection's parameters)
// with settings applied as above, unless it is registered already: for work that needs the
// definition whether or not the server has been switched on (the filter push).
void EnsureMainConnectionDef(const TStrings& baseParams, const TDbSettings& settings);

// Closes the connection, sets the driver and its parameters from settings (each by name: an
// empty text removes the entry; other entries stay), registers them as MARLINDO2 and opens it.
// When the database does not exist yet (server error 1049) the connection opens without one,
// for CreateDbSchema to create and select it; that first refusal is not reported as an error.
// Any other failure raises (after the connection's OnError).
void ConfigureDbConnection(TFDConnection& connection, const TDbSettings& settings);

// Runs the schema script on an open connection: the database settings.Database (created when
// missing and made current), then the tables device, log and setup_daten, each only when
// missing, and widens setup_daten.SOFTWARE for versions up to "255.255.255" once. A second run
// changes nothing. A closed connection: nothing happens. Failures raise.
void CreateDbSchema(TFDConnection& connection, const TDbSettings& settings);

// The labels LabelDBStatus and LabelDBerror. Main thread only.
class TDbStatusDisplay {
public:
    virtual ~TDbStatusDisplay() = default;
    virtual void SetDbStatusText(const UnicodeString& text) = 0;
    virtual void SetDbErrorText(const UnicodeString& text) = 0;
};

// The logic of the main connection's events, callable from any thread: the label change is
// made on the main thread and the caller waits for it.
//   after an open:   status "OK", error text empty
//   after a close:   status "nicht verbunden", error text unchanged
//   on an error:     status "ERROR", error text the error's message
void ShowDbConnected(TDbStatusDisplay& display);
void ShowDbDisconnected(TDbStatusDisplay& display);
void ShowDbError(TDbStatusDisplay& display, const UnicodeString& message);

// Binds AfterConnect, AfterDisconnect and OnError of connection to the three above.
void BindDbStatusEvents(TFDConnection& connection, TDbStatusDisplay& display);

