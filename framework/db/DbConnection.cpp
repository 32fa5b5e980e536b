#include "DbConnection.h"

#include "DbOdbc.h"
#include "DbQuery.h"

#include <algorithm>

namespace {

// Driver flag that lets one command carry several statements (the schema script does); the
// same bit in MariaDB's and MySQL's ODBC drivers.
constexpr const wchar_t* MultiStatementsOption = L"67108864";

}  // namespace

TFDConnection::TFDConnection(TComponent* owner) : TComponent(owner) {}

TFDConnection::~TFDConnection()
{
    Reset();
}

bool TFDConnection::Connected() const
{
    return handle_ && handle_->IsOpen();
}

void TFDConnection::SetConnected(bool on)
{
    if (on) Open();
    else Close();
}

UnicodeString TFDConnection::BuildConnectionString() const
{
    TStringList settings;
    if (!connectionDefName_.empty() && !FDManager()->GetConnectionDefParams(connectionDefName_, settings))
        throw EFDException(L"Connection definition [" + connectionDefName_ + L"] is not found");
    for (int i = 0; i < params_.Count(); ++i) {
        const UnicodeString name = params_.Names(i);
        if (!name.empty()) settings.SetValues(name, params_.ValueFromIndex(i));
    }
    const UnicodeString driver = driverName_.empty() ? settings.Values(L"DriverID") : driverName_;
    if (!SameText(driver, L"MySQL"))
        throw EFDException(L"Driver [" + driver + L"] is not supported; the only driver is MySQL");

    UnicodeString text = L"DRIVER=" + odbc::ConnectionStringValue(odbc::MySqlDriverName()) + L";";
    const auto add = [&](const wchar_t* keyword, const wchar_t* param) {
        const UnicodeString value = settings.Values(param);
        if (!value.empty()) text += UnicodeString(keyword) + L"=" + odbc::ConnectionStringValue(value) + L";";
    };
    add(L"SERVER", L"Server");
    add(L"PORT", L"Port");
    add(L"DATABASE", L"Database");
    add(L"UID", L"User_Name");
    add(L"PWD", L"Password");
    text += UnicodeString(L"OPTION=") + MultiStatementsOption + L";";
    return text;
}

void TFDConnection::RaiseCurrent(TObject* initiator, EFDException& error)
{
    if (OnError) {
        Exception* reported = &error;
        OnError(this, initiator, reported);
    }
    throw;
}

void TFDConnection::Open()
{
    if (Connected()) return;
    try {
        const UnicodeString connectionString = BuildConnectionString();
        auto handle = std::make_unique<odbc::Connection>();
        handle->Open(connectionString);
        handle_ = std::move(handle);
    } catch (EFDException& e) {
        RaiseCurrent(this, e);
    }
    if (AfterConnect) AfterConnect(this);
}

void TFDConnection::Close()
{
    if (!Connected()) return;
    for (TFDCustomQuery* query : queries_) query->Close();
    handle_.reset();
    if (AfterDisconnect) AfterDisconnect(this);
}

void TFDConnection::DetachQueries()
{
    for (TFDCustomQuery* query : queries_) {
        query->connection_ = nullptr;
        query->Close();
    }
    queries_.clear();
}

void TFDConnection::Reset()
{
    DetachQueries();
    handle_.reset();
}

bool TFDConnection::Ping()
{
    return handle_ && handle_->IsAlive();
}

odbc::Result TFDConnection::Execute(TObject* initiator, const UnicodeString& sql, bool wantRows)
{
    try {
        if (!Connected()) throw EFDException(L"The connection is not open");
        return handle_->Execute(sql, wantRows);
    } catch (EFDException& e) {
        RaiseCurrent(initiator, e);
    }
}

UnicodeString TFDConnection::ExecSQLScalar(const UnicodeString& sql)
{
    const odbc::Result result = Execute(this, sql, true);
    if (result.rows.empty() || result.rows.front().empty()) return {};
    return result.rows.front().front().value_or(UnicodeString());
}

void TFDConnection::Attach(TFDCustomQuery* query)
{
    if (std::find(queries_.begin(), queries_.end(), query) == queries_.end()) queries_.push_back(query);
}

void TFDConnection::Detach(TFDCustomQuery* query)
{
    queries_.erase(std::remove(queries_.begin(), queries_.end(), query), queries_.end());
}

// ---------------------------------------------------------------------------------------------

void TFDManager::AddConnectionDef(const UnicodeString& name, const UnicodeString& driverID, const TStrings* params)
{
    TStringList list;
    if (params) list.Assign(params);
    list.SetValues(L"DriverID", L"");
    list.Insert(0, L"DriverID=" + driverID);
    const std::lock_guard lock(mutex_);
    for (Definition& definition : definitions_) {
        if (SameText(definition.name, name)) {
            definition.text = list.Text();
            return;
        }
    }
    definitions_.push_back({name, list.Text()});
}

void TFDManager::DeleteConnectionDef(const UnicodeString& name)
{
    const std::lock_guard lock(mutex_);
    std::erase_if(definitions_, [&](const Definition& d) { return SameText(d.name, name); });
}

bool TFDManager::IsConnectionDef(const UnicodeString& name) const
{
    const std::lock_guard lock(mutex_);
    return std::any_of(definitions_.begin(), definitions_.end(),
                       [&](const Definition& d) { return SameText(d.name, name); });
}

bool TFDManager::GetConnectionDefParams(const UnicodeString& name, TStrings& params) const
{
    UnicodeString text;
    {
        const std::lock_guard lock(mutex_);
        const auto it = std::find_if(definitions_.begin(), definitions_.end(),
                                     [&](const Definition& d) { return SameText(d.name, name); });
        if (it == definitions_.end()) return false;
        text = it->text;
    }
    params.SetText(text);
    return true;
}

TFDManager* FDManager()
{
    static TFDManager manager;
    return &manager;
}
