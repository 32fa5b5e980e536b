#include "DbQuery.h"

#include "SysUtils.h"


namespace {

const std::optional<UnicodeString> NullValue;

[[noreturn]] void RaiseConvert(const UnicodeString& text, const wchar_t* what)
{
    throw EConvertError(L"'" + text + L"' is not a valid " + what);
}

// Reads exactly `count` digits at pos.
bool ReadDigits(const UnicodeString& text, size_t& pos, size_t count, int& value)
{
    if (pos + count > text.size()) return false;
    value = 0;
    for (size_t i = 0; i < count; ++i) {
        const wchar_t c = text[pos + i];
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + (c - L'0');
    }
    pos += count;
    return true;
}

bool Expect(const UnicodeString& text, size_t& pos, wchar_t c)
{
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

// "hh:nn:ss" with optional fractional seconds (kept to whole milliseconds).
bool ParseTime(const UnicodeString& text, size_t& pos, int& hour, int& minute, int& second, int& msec)
{
    if (!ReadDigits(text, pos, 2, hour) || !Expect(text, pos, L':') || !ReadDigits(text, pos, 2, minute) ||
        !Expect(text, pos, L':') || !ReadDigits(text, pos, 2, second))
        return false;
    msec = 0;
    if (pos < text.size() && text[pos] == L'.') {
        ++pos;
        const size_t start = pos;
        int scale = 100;
        while (pos < text.size() && text[pos] >= L'0' && text[pos] <= L'9') {
            msec += (text[pos] - L'0') * scale;
            scale /= 10;
            ++pos;
        }
        if (pos == start) return false;
    }
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TField

const std::optional<UnicodeString>& TField::Value() const
{
    dataSet_->CheckActive();
    if (dataSet_->rows_.empty()) return NullValue;
    return dataSet_->rows_[dataSet_->current_][static_cast<size_t>(index_)];
}

bool TField::IsNull() const
{
    return !Value().has_value();
}

UnicodeString TField::AsString() const
{
    return Value().value_or(UnicodeString());
}

AnsiString TField::AsAnsiString() const
{
    return UnicodeToAnsi(AsString());
}

int TField::AsInteger() const
{
    const auto& value = Value();
    if (!value) return 0;
    const UnicodeString& text = *value;
    size_t pos = 0;
    const bool negative = !text.empty() && text[0] == L'-';
    if (!text.empty() && (text[0] == L'-' || text[0] == L'+')) pos = 1;
    if (pos >= text.size()) RaiseConvert(text, L"integer value");
    long long number = 0;
    for (; pos < text.size(); ++pos) {
        const wchar_t c = text[pos];
        if (c < L'0' || c > L'9') RaiseConvert(text, L"integer value");
        number = number * 10 + (c - L'0');
        if (number > 2147483648LL) RaiseConvert(text, L"integer value");
    }
    if (negative) number = -number;
    if (number > 2147483647LL) RaiseConvert(text, L"integer value");
    return static_cast<int>(number);
}

TDateTime TField::AsDateTime() const
{
    const auto& value = Value();
    if (!value) return 0;
    const UnicodeString& text = *value;
    size_t pos = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    TDateTime result = 0;
    if (text.size() > 2 && text[2] == L':') {
        if (!ParseTime(text, pos, hour, minute, second, msec) || pos != text.size() ||
            !TryEncodeTime(hour, minute, second, msec, result))
            RaiseConvert(text, L"date and time");
        return result;
    }
    if (!ReadDigits(text, pos, 4, year) || !Expect(text, pos, L'-') || !ReadDigits(text, pos, 2, month) ||
        !Expect(text, pos, L'-') || !ReadDigits(text, pos, 2, day))
        RaiseConvert(text, L"date and time");
    if (pos < text.size() &&
        (!Expect(text, pos, L' ') || !ParseTime(text, pos, hour, minute, second, msec) || pos != text.size()))
        RaiseConvert(text, L"date and time");
    if (year == 0 && month == 0 && day == 0) return 0;  // MySQL's zero date stands for "no date"
    if (!TryEncodeDateTime(year, month, day, hour, minute, second, msec, result))
        RaiseConvert(text, L"date and time");
    return result;
}

// ---------------------------------------------------------------------------------------------
// TFields

TField* TFields::Fields(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
    return fields_[static_cast<size_t>(index)].get();
}

TField* TFields::FindField(const UnicodeString& name) const
{
    for (const auto& field : fields_)
        if (SameText(field->FieldName(), name)) return field.get();
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// TFDCustomQuery

TFDCustomQuery::TFDCustomQuery(TComponent* owner) : TComponent(owner) {}

TFDCustomQuery::~TFDCustomQuery()
{
    if (connection_) connection_->Detach(this);
}

void TFDCustomQuery::SetConnection(TFDConnection* connection)
{
    if (connection == connection_) return;
    Close();
    if (connection_) connection_->Detach(this);
    connection_ = connection;
    if (connection_) connection_->Attach(this);
}

TFDConnection& TFDCustomQuery::CheckConnection() const
{
    if (!connection_) throw EFDException(L"The query has no connection");
    return *connection_;
}

void TFDCustomQuery::CheckActive() const
{
    if (!active_) throw EDatabaseError(L"Cannot perform this operation on a closed dataset");
}

UnicodeString TFDCustomQuery::StatementText() const
{
    return sql_.Text();
}

void TFDCustomQuery::ExecSQL()
{
    Close();
    TFDConnection& connection = CheckConnection();
    rowsAffected_ = 0;
    rowsAffected_ = connection.Execute(this, StatementText(), false).rowsAffected;
}

void TFDCustomQuery::ExecSQL(const UnicodeString& sql)
{
    sql_.SetText(sql);
    ExecSQL();
}

void TFDCustomQuery::Open()
{
    Close();
    TFDConnection& connection = CheckConnection();
    rowsAffected_ = 0;
    odbc::Result result = connection.Execute(this, StatementText(), true);
    if (!result.hasRows) {
        try {
            throw EFDException(L"The command returned no result set");
        } catch (EFDException& e) {
            connection.RaiseCurrent(this, e);
        }
    }
    fields_.fields_.clear();
    for (size_t i = 0; i < result.columns.size(); ++i)
        fields_.fields_.push_back(std::make_unique<TField>(this, static_cast<int>(i), result.columns[i]));
    rows_ = std::move(result.rows);
    current_ = 0;
    eof_ = rows_.empty();
    active_ = true;
}

void TFDCustomQuery::Open(const UnicodeString& sql)
{
    sql_.SetText(sql);
    Open();
}

void TFDCustomQuery::Close()
{
    active_ = false;
    rows_.clear();
    fields_.fields_.clear();
    current_ = 0;
    eof_ = true;
}

bool TFDCustomQuery::Eof() const
{
    return !active_ || eof_;
}

void TFDCustomQuery::Next()
{
    CheckActive();
    if (current_ + 1 < rows_.size()) ++current_;
    else eof_ = true;
}

void TFDCustomQuery::First()
{
    CheckActive();
    current_ = 0;
    eof_ = rows_.empty();
}

TField* TFDCustomQuery::FieldByName(const UnicodeString& name) const
{
    CheckActive();
    TField* field = fields_.FindField(name);
    if (!field) throw EDatabaseError(L"Field '" + name + L"' not found");
    return field;
}
