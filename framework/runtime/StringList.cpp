#include "StringList.h"

#include "Exceptions.h"
#include "Files.h"
#include "Streams.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace {
bool IsBlankOrControl(wchar_t c) { return c >= 1 && c <= L' '; }

UnicodeString QuotedStr(const UnicodeString& s, wchar_t quote)
{
    UnicodeString out(1, quote);
    for (wchar_t c : s) {
        out.push_back(c);
        if (c == quote) out.push_back(quote);
    }
    out.push_back(quote);
    return out;
}

int CompareLocale(const UnicodeString& a, const UnicodeString& b, DWORD flags)
{
    if (a.size() > INT_MAX || b.size() > INT_MAX) throw EListError(L"String too long to compare");
    const int r = CompareStringW(LOCALE_USER_DEFAULT, flags, a.data(), static_cast<int>(a.size()), b.data(),
                                 static_cast<int>(b.size()));
    if (r == 0) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
    return r - CSTR_EQUAL;
}

UnicodeString DecodeBytes(std::span<const std::uint8_t> bytes, const TEncoding* given, const TEncoding*& used)
{
    const TEncoding* detected = nullptr;
    size_t skip = TEncoding::GetBufferEncoding(bytes, detected);
    if (skip == 0 && given != nullptr) {
        // No byte-order mark: decode as the caller asked.
        detected = given;
    }
    used = detected;
    return detected->GetString(bytes.subspan(skip));
}
} // namespace

// ---- TStrings ----------------------------------------------------------------------------------

void TStrings::RaiseIndexError(int index)
{
    throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
}

int TStrings::Add(const UnicodeString& s)
{
    const int index = Count();
    Insert(index, s);
    return index;
}

int TStrings::AddObject(const UnicodeString& s, TObject* object)
{
    const int index = Add(s);
    PutItemObject(index, object);
    return index;
}

void TStrings::InsertObject(int index, const UnicodeString& s, TObject* object)
{
    Insert(index, s);
    PutItemObject(index, object);
}

void TStrings::AddStrings(const TStrings& strings)
{
    BeginUpdate();
    try {
        for (int i = 0; i < strings.Count(); ++i) AddObject(strings.Get(i), strings.GetItemObject(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Put(int index, const UnicodeString& s)
{
    TObject* object = GetItemObject(index);
    Delete(index);
    InsertObject(index, s, object);
}

TObject* TStrings::GetItemObject(int) const { return nullptr; }

void TStrings::PutItemObject(int, TObject*) {}

UnicodeString TStrings::Text() const
{
    UnicodeString out;
    for (int i = 0; i < Count(); ++i) {
        out += Get(i);
        out += L"\r\n";
    }
    return out;
}

void TStrings::SetText(const UnicodeString& text)
{
    BeginUpdate();
    try {
        Clear();
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find_first_of(L"\r\n", start);
            if (end == UnicodeString::npos) {
                Add(text.substr(start));
                break;
            }
            Add(text.substr(start, end - start));
            start = end + 1;
            if (text[end] == L'\r' && start < text.size() && text[start] == L'\n') ++start;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

int TStrings::CompareStrings(const UnicodeString& a, const UnicodeString& b) const
{
    return CompareLocale(a, b, NORM_IGNORECASE);
}

int TStrings::IndexOf(const UnicodeString& s) const
{
    for (int i = 0; i < Count(); ++i)
        if (CompareStrings(Get(i), s) == 0) return i;
    return -1;
}

int TStrings::IndexOfName(const UnicodeString& name) const
{
    for (int i = 0; i < Count(); ++i) {
        const UnicodeString s = Get(i);
        const size_t p = s.find(nameValueSeparator_);
        if (p != UnicodeString::npos && CompareStrings(s.substr(0, p), name) == 0) return i;
    }
    return -1;
}

int TStrings::IndexOfObject(const TObject* object) const
{
    for (int i = 0; i < Count(); ++i)
        if (GetItemObject(i) == object) return i;
    return -1;
}

UnicodeString TStrings::Names(int index) const
{
    const UnicodeString s = Get(index);
    const size_t p = s.find(nameValueSeparator_);
    return p == UnicodeString::npos ? UnicodeString() : s.substr(0, p);
}

UnicodeString TStrings::ValueFromIndex(int index) const
{
    const UnicodeString s = Get(index);
    const size_t p = s.find(nameValueSeparator_);
    return p == UnicodeString::npos ? UnicodeString() : s.substr(p + 1);
}

void TStrings::SetValueFromIndex(int index, const UnicodeString& value)
{
    if (value.empty()) {
        Delete(index);
        return;
    }
    Put(index, Names(index) + nameValueSeparator_ + value);
}

UnicodeString TStrings::Values(const UnicodeString& name) const
{
    const int i = IndexOfName(name);
    return i < 0 ? UnicodeString() : ValueFromIndex(i);
}

void TStrings::SetValues(const UnicodeString& name, const UnicodeString& value)
{
    const int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) Delete(i);
        return;
    }
    const UnicodeString line = name + nameValueSeparator_ + value;
    if (i < 0) Add(line);
    else Put(i, line);
}

UnicodeString TStrings::DelimitedText() const
{
    const int n = Count();
    if (n == 1 && Get(0).empty()) return UnicodeString(2, quoteChar_);
    UnicodeString out;
    for (int i = 0; i < n; ++i) {
        const UnicodeString s = Get(i);
        const bool needsQuotes = std::any_of(s.begin(), s.end(), [&](wchar_t c) {
            return c == quoteChar_ || c == delimiter_ || (!strictDelimiter_ && IsBlankOrControl(c));
        });
        if (i > 0) out.push_back(delimiter_);
        out += needsQuotes ? QuotedStr(s, quoteChar_) : s;
    }
    return out;
}

void TStrings::SetDelimitedText(const UnicodeString& value)
{
    // The text ends at its first NUL, as the framework's character scan does.
    const UnicodeString text = value.substr(0, value.find(L'\0'));
    const size_t len = text.size();
    const bool strict = strictDelimiter_;
    auto skipBlanks = [&](size_t& p) {
        if (!strict)
            while (p < len && IsBlankOrControl(text[p])) ++p;
    };

    BeginUpdate();
    try {
        Clear();
        size_t p = 0;
        skipBlanks(p);
        while (p < len) {
            UnicodeString item;
            if (text[p] == quoteChar_) {
                // Quoted item: runs to the closing quote; a doubled quote stands for one. An
                // unterminated quote takes the rest of the text.
                ++p;
                while (p < len) {
                    if (text[p] == quoteChar_) {
                        if (p + 1 < len && text[p + 1] == quoteChar_) {
                            item.push_back(quoteChar_);
                            p += 2;
                            continue;
                        }
                        ++p;
                        break;
                    }
                    item.push_back(text[p++]);
                }
            } else {
                const size_t start = p;
                while (p < len && text[p] != delimiter_ && (strict || text[p] > L' ')) ++p;
                item = text.substr(start, p - start);
            }
            Add(item);
            skipBlanks(p);
            if (p < len && text[p] == delimiter_) {
                if (p + 1 == len) Add(UnicodeString());
                ++p;
                skipBlanks(p);
            }
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::LoadFromFile(const UnicodeString& fileName, const TEncoding* encoding)
{
    const TBytes bytes = TFile::ReadAllBytes(fileName);
    const TEncoding* used = nullptr;
    const UnicodeString text = DecodeBytes(bytes, encoding, used);
    SetText(text);
    encoding_ = used;
}

void TStrings::LoadFromStream(TStream& stream, const TEncoding* encoding)
{
    const long long remaining = stream.Size() - stream.Position();
    if (remaining < 0 || static_cast<unsigned long long>(remaining) > static_cast<unsigned long long>(INT_MAX))
        throw EReadError(L"Stream too large for a string list");
    TBytes bytes(static_cast<size_t>(remaining));
    if (!bytes.empty()) stream.ReadBuffer(bytes.data(), static_cast<long long>(bytes.size()));
    const TEncoding* used = nullptr;
    const UnicodeString text = DecodeBytes(bytes, encoding, used);
    SetText(text);
    encoding_ = used;
}

void TStrings::SaveToStream(TStream& stream, const TEncoding* encoding) const
{
    if (encoding == nullptr) encoding = TEncoding::Default;
    const TBytes preamble = encoding->GetPreamble();
    const TBytes body = encoding->GetBytes(Text());
    if (!preamble.empty()) stream.WriteBuffer(preamble.data(), static_cast<long long>(preamble.size()));
    if (!body.empty()) stream.WriteBuffer(body.data(), static_cast<long long>(body.size()));
}

void TStrings::SaveToFile(const UnicodeString& fileName, const TEncoding* encoding) const
{
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream, encoding);
}

void TStrings::BeginUpdate()
{
    if (updateCount_++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate()
{
    if (updateCount_ == 0) return;
    if (--updateCount_ == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

void TStrings::Assign(const TPersistent* source)
{
    const auto* other = dynamic_cast<const TStrings*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this) return;
    BeginUpdate();
    try {
        Clear();
        nameValueSeparator_ = other->nameValueSeparator_;
        delimiter_ = other->delimiter_;
        quoteChar_ = other->quoteChar_;
        strictDelimiter_ = other->strictDelimiter_;
        AddStrings(*other);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

// ---- TStringList -------------------------------------------------------------------------------

TStringList::~TStringList()
{
    OnChange = nullptr;
    OnChanging = nullptr;
    if (ownsObjects_)
        for (Item& item : items_) delete item.object;
}

void TStringList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count()) RaiseIndexError(index);
}

void TStringList::Changed()
{
    if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing()
{
    if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool updating)
{
    if (updating) Changing();
    else Changed();
}

void TStringList::Clear()
{
    if (items_.empty()) return;
    Changing();
    std::vector<Item> old;
    old.swap(items_);
    if (ownsObjects_)
        for (Item& item : old) delete item.object;
    Changed();
}

void TStringList::Delete(int index)
{
    CheckIndex(index);
    Changing();
    TObject* object = items_[static_cast<size_t>(index)].object;
    items_.erase(items_.begin() + index);
    if (ownsObjects_) delete object;
    Changed();
}

void TStringList::InsertItem(int index, const UnicodeString& s, TObject* object)
{
    if (items_.size() >= static_cast<size_t>(INT_MAX)) throw EListError(L"List capacity exceeded");
    Changing();
    items_.insert(items_.begin() + index, Item{s, object});
    Changed();
}

void TStringList::Insert(int index, const UnicodeString& s)
{
    if (sorted_) throw EListError(L"Operation not allowed on sorted list");
    if (index < 0 || index > Count()) RaiseIndexError(index);
    InsertItem(index, s, nullptr);
}

int TStringList::Add(const UnicodeString& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const UnicodeString& s, TObject* object)
{
    int index = Count();
    if (sorted_ && Find(s, index)) {
        if (duplicates_ == dupIgnore) return index;
        if (duplicates_ == dupError) throw EListError(L"String list does not allow duplicates");
    }
    InsertItem(index, s, object);
    return index;
}

UnicodeString TStringList::Get(int index) const
{
    CheckIndex(index);
    return items_[static_cast<size_t>(index)].text;
}

void TStringList::Put(int index, const UnicodeString& s)
{
    if (sorted_) throw EListError(L"Operation not allowed on sorted list");
    CheckIndex(index);
    Changing();
    items_[static_cast<size_t>(index)].text = s;
    Changed();
}

TObject* TStringList::GetItemObject(int index) const
{
    CheckIndex(index);
    return items_[static_cast<size_t>(index)].object;
}

void TStringList::PutItemObject(int index, TObject* object)
{
    CheckIndex(index);
    Changing();
    items_[static_cast<size_t>(index)].object = object;
    Changed();
}

int TStringList::CompareStrings(const UnicodeString& a, const UnicodeString& b) const
{
    return CompareLocale(a, b, caseSensitive_ ? 0 : NORM_IGNORECASE);
}

bool TStringList::Find(const UnicodeString& s, int& index) const
{
    // With dupAccept the search goes on to the first of several equal items.
    bool found = false;
    int lo = 0, hi = Count() - 1;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        const int c = CompareStrings(items_[static_cast<size_t>(mid)].text, s);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (duplicates_ != dupAccept) lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

int TStringList::IndexOf(const UnicodeString& s) const
{
    if (!sorted_) return TStrings::IndexOf(s);
    int index = -1;
    return Find(s, index) ? index : -1;
}

void TStringList::Sort()
{
    if (items_.size() < 2) return;
    Changing();
    std::stable_sort(items_.begin(), items_.end(),
                     [this](const Item& a, const Item& b) { return CompareStrings(a.text, b.text) < 0; });
    Changed();
}

void TStringList::Exchange(int index1, int index2)
{
    CheckIndex(index1);
    CheckIndex(index2);
    Changing();
    std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
    Changed();
}

void TStringList::SetSorted(bool sorted)
{
    if (sorted == sorted_) return;
    if (sorted) Sort();
    sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool on)
{
    if (on == caseSensitive_) return;
    caseSensitive_ = on;
    if (sorted_) Sort();
}

void TStringList::Assign(const TPersistent* source)
{
    if (const auto* other = dynamic_cast<const TStringList*>(source); other && other != this) {
        // Take the ordering rules first so the copied items keep the source's order.
        Clear();
        caseSensitive_ = other->caseSensitive_;
        duplicates_ = other->duplicates_;
        sorted_ = other->sorted_;
    }
    TStrings::Assign(source);
}
