#pragma once
// Lists of strings. TStrings is the abstract base that list boxes, memos and combo boxes also
// implement; TStringList is the stand-alone list with sorting and optionally owned objects.
// Indexes are 0-based; a bad index raises EListError.
#include "Encoding.h"
#include "Objects.h"
#include "Strings.h"

#include <functional>
#include <vector>

class TStream;

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
public:
    TStrings() = default;
    UnicodeString ClassName() const override { return L"TStrings"; }

    // Storage primitives a descendant provides.
    virtual int Count() const = 0;
    virtual void Clear() = 0;
    virtual void Delete(int index) = 0;
    virtual void Insert(int index, const UnicodeString& s) = 0;

    virtual int Add(const UnicodeString& s);
    virtual int AddObject(const UnicodeString& s, TObject* object);
    void InsertObject(int index, const UnicodeString& s, TObject* object);
    void AddStrings(const TStrings& strings);

    UnicodeString Strings(int index) const { return Get(index); }
    void SetStrings(int index, const UnicodeString& s) { Put(index, s); }
    UnicodeString operator[](int index) const { return Get(index); }
    TObject* Objects(int index) const { return GetItemObject(index); }
    void SetObjects(int index, TObject* object) { PutItemObject(index, object); }

    // Lines joined with CR LF, each line terminated. Setting splits at CR LF, CR or LF.
    UnicodeString Text() const;
    void SetText(const UnicodeString& text);

    virtual int IndexOf(const UnicodeString& s) const;
    virtual int IndexOfName(const UnicodeString& name) const;
    int IndexOfObject(const TObject* object) const;

    // name=value entries. Names(i) is empty when the line has no separator. SetValues with an
    // empty value removes the entry; otherwise it replaces the entry or appends a new one.
    UnicodeString Names(int index) const;
    UnicodeString Values(const UnicodeString& name) const;
    void SetValues(const UnicodeString& name, const UnicodeString& value);
    UnicodeString ValueFromIndex(int index) const;
    void SetValueFromIndex(int index, const UnicodeString& value);
    wchar_t NameValueSeparator() const { return nameValueSeparator_; }
    void SetNameValueSeparator(wchar_t c) { nameValueSeparator_ = c; }

    // Delimited text. Reading: items are split at Delimiter; unless StrictDelimiter is set,
    // blanks and control characters also split and are skipped around items. An item starting
    // with QuoteChar runs to the closing quote, a doubled quote standing for one. Writing quotes
    // items containing the delimiter, the quote or (non-strict) a blank or control character.
    wchar_t Delimiter() const { return delimiter_; }
    void SetDelimiter(wchar_t c) { delimiter_ = c; }
    wchar_t QuoteChar() const { return quoteChar_; }
    void SetQuoteChar(wchar_t c) { quoteChar_ = c; }
    bool StrictDelimiter() const { return strictDelimiter_; }
    void SetStrictDelimiter(bool on) { strictDelimiter_ = on; }
    UnicodeString DelimitedText() const;
    void SetDelimitedText(const UnicodeString& text);

    // Loading detects a UTF-8 or UTF-16 byte-order mark; without one the bytes are decoded with
    // encoding, or the ANSI code page when encoding is null. Saving writes encoding's preamble
    // (none for ANSI), ANSI when encoding is null.
    void LoadFromFile(const UnicodeString& fileName, const TEncoding* encoding = nullptr);
    void LoadFromStream(TStream& stream, const TEncoding* encoding = nullptr);
    void SaveToFile(const UnicodeString& fileName, const TEncoding* encoding = nullptr) const;
    void SaveToStream(TStream& stream, const TEncoding* encoding = nullptr) const;
    // Encoding detected or given at the last load (ANSI until then).
    const TEncoding* Encoding() const { return encoding_; }

    // Nested updates suppress OnChange; the outermost EndUpdate fires it once.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    // Copies items, object pointers and the delimiter settings. Objects stay the source's: an
    // owning destination must not be given objects its source also owns.
    void Assign(const TPersistent* source) override;

    // Compares two items as this list does (case-insensitive, locale order, by default).
    virtual int CompareStrings(const UnicodeString& a, const UnicodeString& b) const;

    std::function<void(TObject* sender)> OnChange;
    std::function<void(TObject* sender)> OnChanging;

protected:
    virtual UnicodeString Get(int index) const = 0;
    virtual void Put(int index, const UnicodeString& s);
    virtual TObject* GetItemObject(int index) const;
    virtual void PutItemObject(int index, TObject* object);
    // Called when the update count leaves or reaches zero.
    virtual void SetUpdateState(bool updating);
    [[noreturn]] static void RaiseIndexError(int index);

private:
    wchar_t nameValueSeparator_ = L'=';
    wchar_t delimiter_ = L',';
    wchar_t quoteChar_ = L'"';
    bool strictDelimiter_ = false;
    int updateCount_ = 0;
    const TEncoding* encoding_ = TEncoding::Default;
};

class TStringList : public TStrings {
public:
    TStringList() = default;
    explicit TStringList(bool ownsObjects) : ownsObjects_(ownsObjects) {}
    ~TStringList() override;
    UnicodeString ClassName() const override { return L"TStringList"; }

    int Count() const override { return static_cast<int>(items_.size()); }
    void Clear() override;
    void Delete(int index) override;
    // Raises EListError on a sorted list.
    void Insert(int index, const UnicodeString& s) override;
    int Add(const UnicodeString& s) override;
    // On a sorted list: inserted at its sorted place; an equal item is handled by Duplicates
    // (dupIgnore returns the existing index, dupError raises EListError).
    int AddObject(const UnicodeString& s, TObject* object) override;
    int IndexOf(const UnicodeString& s) const override;

    // Binary search on a sorted list: true when found; index is the match or the insert place.
    bool Find(const UnicodeString& s, int& index) const;
    void Sort();
    void Exchange(int index1, int index2);

    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates d) { duplicates_ = d; }
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool on);
    // When set, the list deletes an item's object when the item is deleted or the list cleared.
    bool OwnsObjects() const { return ownsObjects_; }
    void SetOwnsObjects(bool owns) { ownsObjects_ = owns; }

    // Also takes Sorted, Duplicates and CaseSensitive from another TStringList.
    void Assign(const TPersistent* source) override;
    int CompareStrings(const UnicodeString& a, const UnicodeString& b) const override;

protected:
    UnicodeString Get(int index) const override;
    void Put(int index, const UnicodeString& s) override;
    TObject* GetItemObject(int index) const override;
    void PutItemObject(int index, TObject* object) override;
    void SetUpdateState(bool updating) override;

private:
    struct Item {
        UnicodeString text;
        TObject* object = nullptr;
    };
    void CheckIndex(int index) const;
    void InsertItem(int index, const UnicodeString& s, TObject* object);
    void Changed();
    void Changing();

    std::vector<Item> items_;
    bool sorted_ = false;
    bool caseSensitive_ = false;
    bool ownsObjects_ = false;
    TDuplicates duplicates_ = dupIgnore;
};
