#pragma once
// Database connection over ODBC to a MySQL/MariaDB server, and the registry of named connection
// definitions.
//
// Settings are name=value entries of Params: DriverID, Server, Database, User_Name, Password
// (Hostname is accepted and unused; Port, when present, overrides the driver's default port).
// The connection never shows a login prompt. A connection and its queries serve one thread at a
// time. Events run on the thread that caused them; a handler that touches windows marshals to
// the main thread itself.
#include "Components.h"
#include "DbErrors.h"
#include "StringList.h"

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace odbc { class Connection; struct Result; }
class TFDCustomQuery;

// OnError: sender is the connection, initiator the connection or the query whose command
// failed, exception the error that is raised to the caller once the handler returns.
using TFDErrorEvent = std::function<void(TObject* sender, TObject* initiator, Exception*& exception)>;

class TFDConnection : public TComponent {
public:
    explicit TFDConnection(TComponent* owner);
    // Disconnects without firing AfterDisconnect (its handler may belong to an owner that is
    // already being torn down) and detaches the queries still bound to it.
    ~TFDConnection() override;

    UnicodeString ClassName() const override { return L"TFDConnection"; }

    // "MySQL" is the only driver; empty takes DriverID from the parameters.
    const UnicodeString& DriverName() const { return driverName_; }
    void SetDriverName(const UnicodeString& name) { driverName_ = name; }

    TStrings* Params() { return &params_; }
    const TStrings* Params() const { return &params_; }

    // Name of a definition in FDManager(); its parameters are the base that Params override.
    const UnicodeString& ConnectionDefName() const { return connectionDefName_; }
    void SetConnectionDefName(const UnicodeString& name) { connectionDefName_ = name; }

    // Kept for the settings' sake; no prompt is ever shown.
    bool LoginPrompt() const { return loginPrompt_; }
    void SetLoginPrompt(bool on) { loginPrompt_ = on; }

    bool Connected() const;
    void SetConnected(bool on);
    // Opening an open connection does nothing. A failure fires OnError, then raises
    // EFDDBEngineException (server or driver) or EFDException (settings).
    void Open();
    // Closing a closed connection does nothing (and fires nothing).
    void Close();

    // First column of the first row of sql's result; empty when there is no row or the value
    // is NULL.
    UnicodeString ExecSQLScalar(const UnicodeString& sql);

    TNotifyEvent AfterConnect;
    TNotifyEvent AfterDisconnect;
    TFDErrorEvent OnError;

    // Runs a command for a query (or for the connection itself as initiator), firing OnError on
    // failure. For the database layer's own classes.
    odbc::Result Execute(TObject* initiator, const UnicodeString& sql, bool wantRows);
    // True when the driver still reaches the server; a closed connection gives false.
    bool Ping();
    // Unbinds (and closes) every query bound to this connection; used when a pooled connection
    // changes hands.
    void DetachQueries();
    // DetachQueries, then disconnects without firing events.
    void Reset();

private:
    friend class TFDCustomQuery;
    void Attach(TFDCustomQuery* query);
    void Detach(TFDCustomQuery* query);
    UnicodeString BuildConnectionString() const;
    // Fires OnError for the exception being handled and rethrows it.
    [[noreturn]] void RaiseCurrent(TObject* initiator, EFDException& error);

    UnicodeString driverName_;
    UnicodeString connectionDefName_;
    TStringList params_;
    bool loginPrompt_ = true;
    std::unique_ptr<odbc::Connection> handle_;
    std::vector<TFDCustomQuery*> queries_;
};

// Named connection definitions shared by the whole program (thread-safe).
class TFDManager {
public:
    // Adds or replaces the definition name (compared without regard to case): the driver ID
    // and a copy of params' name=value entries.
    void AddConnectionDef(const UnicodeString& name, const UnicodeString& driverID, const TStrings* params);
    void DeleteConnectionDef(const UnicodeString& name);
    bool IsConnectionDef(const UnicodeString& name) const;
    // Fills params with the definition's entries (DriverID first); false for an unknown name.
    bool GetConnectionDefParams(const UnicodeString& name, TStrings& params) const;

private:
    struct Definition {
        UnicodeString name;
        UnicodeString text;  // the parameters as Text, DriverID included
    };
    mutable std::mutex mutex_;
    std::vector<Definition> definitions_;
};

TFDManager* FDManager();
