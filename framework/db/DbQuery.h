#pragma once
// Queries on a TFDConnection. A result set is read completely when the query is opened, so the
// connection is free again at once and First can return to the first row.
#include "DbConnection.h"
#include "DbOdbc.h"
#include "DateUtils.h"

#include <memory>
#include <vector>

class TFDCustomQuery;

// One column of a query's result, read from the current row.
class TField : public TObject {
public:
    TField(TFDCustomQuery* dataSet, int index, UnicodeString name)
        : dataSet_(dataSet), index_(index), name_(std::move(name))
    {
    }
    UnicodeString ClassName() const override { return L"TField"; }

    const UnicodeString& FieldName() const { return name_; }
    int Index() const { return index_; }
    bool IsNull() const;
    // NULL reads as the empty text, 0, or the date-time 0.
    UnicodeString AsString() const;
    AnsiString AsAnsiString() const;  // through the ANSI code page
    // Decimal integer text; anything else raises EConvertError.
    int AsInteger() const;
    // "yyyy-mm-dd", "yyyy-mm-dd hh:nn:ss[.fff...]" or "hh:nn:ss" (the server's forms); the
    // zero date reads as 0; anything else raises EConvertError.
    TDateTime AsDateTime() const;

private:
    const std::optional<UnicodeString>& Value() const;

    TFDCustomQuery* dataSet_;
    int index_;
    UnicodeString name_;
};

class TFields {
public:
    int Count() const { return static_cast<int>(fields_.size()); }
    TField* Fields(int index) const;  // EListError outside 0..Count-1
    TField* FindField(const UnicodeString& name) const;

private:
    friend class TFDCustomQuery;
    std::vector<std::unique_ptr<TField>> fields_;
};

class TFDCustomQuery : public TComponent {
public:
    explicit TFDCustomQuery(TComponent* owner);
    ~TFDCustomQuery() override;

    UnicodeString ClassName() const override { return L"TFDCustomQuery"; }

    TFDConnection* Connection() const { return connection_; }
    void SetConnection(TFDConnection* connection);

    // The statement text, one or more lines (joined with line breaks when run).
    TStrings* SQL() { return &sql_; }

    // Runs the statement text; results it returns are dropped. Raises as the connection does.
    void ExecSQL();
    void ExecSQL(const UnicodeString& sql);
    // Runs the statement text (or sets it to sql first) and reads its first result set; a
    // statement without one raises EFDException. Opening an open query runs it again.
    void Open();
    void Open(const UnicodeString& sql);
    void Close();
    bool Active() const { return active_; }

    // Changed rows of the last ExecSQL (rows matched but left unchanged do not count).
    long long RowsAffected() const { return rowsAffected_; }

    // True on an empty or closed result and after Next has passed the last row.
    bool Eof() const;
    void Next();
    void First();
    int RecordCount() const { return static_cast<int>(rows_.size()); }

    TFields* Fields() { return &fields_; }
    // Raises EDatabaseError for an unknown name (compared without regard to case).
    TField* FieldByName(const UnicodeString& name) const;
    TField* FindField(const UnicodeString& name) const { return fields_.FindField(name); }

private:
    friend class TField;
    friend class TFDConnection;
    void CheckActive() const;
    TFDConnection& CheckConnection() const;
    UnicodeString StatementText() const;

    TFDConnection* connection_ = nullptr;
    TStringList sql_;
    TFields fields_;
    std::vector<odbc::Row> rows_;
    size_t current_ = 0;
    bool eof_ = true;
    bool active_ = false;
    long long rowsAffected_ = 0;
};

class TFDQuery : public TFDCustomQuery {
public:
    using TFDCustomQuery::TFDCustomQuery;
    UnicodeString ClassName() const override { return L"TFDQuery"; }
};
