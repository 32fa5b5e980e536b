#include "FormReader.h"

#include "Colors.h"
#include "Controls.h"
#include "StringList.h"
#include "Streams.h"

#include <cwctype>
#include <deque>
#include <optional>

namespace {

std::map<UnicodeString, TComponentFactory>& Factories()
{
    static std::map<UnicodeString, TComponentFactory> factories;
    return factories;
}

std::map<UnicodeString, int64_t>& IntegerConstants()
{
    static std::map<UnicodeString, int64_t> constants;
    return constants;
}

bool IsIdentStart(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_'; }
bool IsIdentChar(wchar_t c) { return IsIdentStart(c) || (c >= L'0' && c <= L'9'); }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsHexDigit(wchar_t c)
{
    return IsDigit(c) || (c >= L'A' && c <= L'F') || (c >= L'a' && c <= L'f');
}
int HexValue(wchar_t c)
{
    if (IsDigit(c)) return c - L'0';
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return c - L'a' + 10;
}

std::vector<UnicodeString> SplitPath(const UnicodeString& path)
{
    std::vector<UnicodeString> parts;
    size_t start = 0;
    while (true) {
        const size_t dot = path.find(L'.', start);
        parts.push_back(path.substr(start, dot == UnicodeString::npos ? UnicodeString::npos : dot - start));
        if (dot == UnicodeString::npos) break;
        start = dot + 1;
    }
    return parts;
}

} // namespace

void RegisterComponentClass(const UnicodeString& className, TComponentFactory factory)
{
    Factories()[UpperCase(className)] = std::move(factory);
}

bool IsComponentClassRegistered(const UnicodeString& className)
{
    return Factories().count(UpperCase(className)) != 0;
}

void RegisterIntegerConstant(const UnicodeString& name, int64_t value) { IntegerConstants()[UpperCase(name)] = value; }

bool TFieldTable::Assign(const UnicodeString& name, TComponent* component) const
{
    auto it = fields_.find(Key(name));
    if (it == fields_.end()) return true;
    return it->second(component);
}

// ---------------------------------------------------------------------------------------------
// Lexer

struct TReader::Token {
    enum Kind { Eof, Ident, Integer, Float, String, Symbol, Binary } kind = Eof;
    UnicodeString text; // identifier, string value, symbol character, binary hex digits
    int64_t integer = 0;
    int line = 1;

    bool IsSymbol(wchar_t c) const { return kind == Symbol && text.size() == 1 && text[0] == c; }
    bool IsKeyword(const wchar_t* word) const { return kind == Ident && SameText(text, word); }
};

class TReader::Lexer {
public:
    Lexer(const UnicodeString& text, const TReader& reader) : text_(text), reader_(reader) {}

    const Token& Peek(size_t ahead = 0)
    {
        while (queue_.size() <= ahead) queue_.push_back(Scan());
        return queue_[ahead];
    }
    Token Next()
    {
        Peek();
        Token t = queue_.front();
        queue_.pop_front();
        return t;
    }
    Token Expect(Token::Kind kind, const wchar_t* what)
    {
        Token t = Next();
        if (t.kind != kind) reader_.Error(L"", UnicodeString(what) + L" expected", t.line);
        return t;
    }
    void ExpectSymbol(wchar_t c)
    {
        Token t = Next();
        if (!t.IsSymbol(c)) reader_.Error(L"", UnicodeString(L"'") + c + L"' expected", t.line);
    }

private:
    wchar_t At(size_t i) const { return i < text_.size() ? text_[i] : L'\0'; }

    void SkipBlanks()
    {
        while (pos_ < text_.size()) {
            const wchar_t c = text_[pos_];
            if (c == L'\n') {
                ++line_;
                ++pos_;
            } else if (c == L' ' || c == L'\t' || c == L'\r' || c == 0xFEFF) {
                ++pos_;
            } else if (c == L'/' && At(pos_ + 1) == L'/') {
                while (pos_ < text_.size() && text_[pos_] != L'\n') ++pos_;
            } else {
                break;
            }
        }
    }

    Token Scan()
    {
        SkipBlanks();
        Token t;
        t.line = line_;
        if (pos_ >= text_.size()) return t;
        const wchar_t c = text_[pos_];
        if (IsIdentStart(c)) {
            const size_t start = pos_;
            while (IsIdentChar(At(pos_)) || (At(pos_) == L'.' && IsIdentStart(At(pos_ + 1)))) ++pos_;
            t.kind = Token::Ident;
            t.text = text_.substr(start, pos_ - start);
            return t;
        }
        if (c == L'\'' || c == L'#') return ScanString(t);
        if (IsDigit(c) || c == L'$' || ((c == L'-' || c == L'+') && (IsDigit(At(pos_ + 1)) || At(pos_ + 1) == L'$')))
            return ScanNumber(t);
        if (c == L'{') return ScanBinary(t);
        ++pos_;
        t.kind = Token::Symbol;
        t.text = UnicodeString(1, c);
        return t;
    }

    Token& ScanString(Token& t)
    {
        t.kind = Token::String;
        while (pos_ < text_.size() && (text_[pos_] == L'\'' || text_[pos_] == L'#')) {
            if (text_[pos_] == L'\'') {
                ++pos_;
                while (true) {
                    if (pos_ >= text_.size() || text_[pos_] == L'\n' || text_[pos_] == L'\r')
                        reader_.Error(L"", L"Unterminated string", t.line);
                    if (text_[pos_] == L'\'') {
                        if (At(pos_ + 1) == L'\'') {
                            t.text += L'\'';
                            pos_ += 2;
                            continue;
                        }
                        ++pos_;
                        break;
                    }
                    t.text += text_[pos_++];
                }
            } else {
                ++pos_;
                uint32_t code = 0;
                size_t digits = 0;
                const bool hex = At(pos_) == L'$';
                if (hex) {
                    ++pos_;
                    while (IsHexDigit(At(pos_)) && digits < 8) {
                        code = code * 16 + static_cast<uint32_t>(HexValue(text_[pos_++]));
                        ++digits;
                    }
                } else {
                    while (IsDigit(At(pos_)) && digits < 10) {
                        code = code * 10 + static_cast<uint32_t>(text_[pos_++] - L'0');
                        ++digits;
                    }
                }
                const bool tooLong = hex ? IsHexDigit(At(pos_)) : IsDigit(At(pos_));
                if (digits == 0 || code > 0x10FFFF || tooLong) reader_.Error(L"", L"Invalid character code", t.line);
                if (code > 0xFFFF) {
                    code -= 0x10000;
                    t.text += static_cast<wchar_t>(0xD800 + (code >> 10));
                    t.text += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
                } else {
                    t.text += static_cast<wchar_t>(code);
                }
            }
        }
        return t;
    }

    Token& ScanNumber(Token& t)
    {
        bool negative = false;
        if (text_[pos_] == L'-' || text_[pos_] == L'+') negative = text_[pos_++] == L'-';
        const size_t start = pos_;
        t.kind = Token::Integer;
        unsigned __int128 value = 0;
        auto overflow = [&] { reader_.Error(L"", L"Number out of range", t.line); };
        if (At(pos_) == L'$') {
            ++pos_;
            if (!IsHexDigit(At(pos_))) reader_.Error(L"", L"Invalid number", t.line);
            while (IsHexDigit(At(pos_))) {
                value = value * 16 + static_cast<unsigned>(HexValue(text_[pos_++]));
                if (value > 0xFFFFFFFFFFFFFFFFull) overflow();
            }
            // $ numbers are bit patterns: 8 digits give a 32-bit value, 16 a 64-bit one.
            const size_t digits = pos_ - start - 1;
            int64_t v = digits <= 8 ? static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(value)))
                                    : static_cast<int64_t>(static_cast<uint64_t>(value));
            t.integer = negative ? -v : v;
            return t;
        }
        while (IsDigit(At(pos_))) {
            value = value * 10 + static_cast<unsigned>(text_[pos_++] - L'0');
            if (value > static_cast<unsigned __int128>(INT64_MAX) + 1) overflow();
        }
        if (At(pos_) == L'.' && IsDigit(At(pos_ + 1))) {
            ++pos_;
            while (IsDigit(At(pos_))) ++pos_;
            if (At(pos_) == L'E' || At(pos_) == L'e') {
                ++pos_;
                if (At(pos_) == L'+' || At(pos_) == L'-') ++pos_;
                while (IsDigit(At(pos_))) ++pos_;
            }
            t.kind = Token::Float;
            t.text = (negative ? L"-" : L"") + text_.substr(start, pos_ - start);
            return t;
        }
        if (!negative && value > static_cast<unsigned __int128>(INT64_MAX)) overflow();
        t.integer = negative ? static_cast<int64_t>(-static_cast<__int128>(value)) : static_cast<int64_t>(value);
        return t;
    }

    Token& ScanBinary(Token& t)
    {
        ++pos_;
        t.kind = Token::Binary;
        while (true) {
            SkipBlanks();
            if (pos_ >= text_.size()) reader_.Error(L"", L"Unterminated binary value", t.line);
            if (text_[pos_] == L'}') {
                ++pos_;
                break;
            }
            if (!IsHexDigit(text_[pos_])) reader_.Error(L"", L"Invalid binary value", line_);
            t.text += text_[pos_++];
        }
        if (t.text.size() % 2 != 0) reader_.Error(L"", L"Invalid binary value", t.line);
        return t;
    }

    const UnicodeString& text_;
    const TReader& reader_;
    size_t pos_ = 0;
    int line_ = 1;
    std::deque<Token> queue_;
};

// ---------------------------------------------------------------------------------------------
// Values

struct TReader::Value {
    enum Kind { Integer, Float, String, Ident, Set, List, Collection, Binary } kind = Integer;
    int64_t integer = 0;
    UnicodeString text;
    std::vector<UnicodeString> elements;                    // Set
    std::vector<Value> items;                               // List
    struct Assignment {
        UnicodeString path;
        std::vector<Value> value; // exactly one
        int line;
    };
    std::vector<std::vector<Assignment>> collection;        // Collection
};

TReader::TReader(TComponent* root, const TMethodTable* methods, const TFieldTable* fields)
    : root_(root), methods_(methods), fields_(fields)
{
}

void TReader::Error(const UnicodeString& context, const UnicodeString& what, int line) const
{
    UnicodeString message = context.empty() ? what : L"Error reading " + context + L": " + what;
    message += L" (line " + std::to_wstring(line) + L")";
    throw EReadError(message);
}

void TReader::BeginLoading(TComponent* component)
{
    component->IncludeState(csLoading);
    component->IncludeState(csReading);
    loaded_.push_back(component);
}

void TReader::EndLoading(TComponent* component)
{
    component->ExcludeState(csReading);
}

TComponent* TReader::FindComponentByName(const UnicodeString& name) const
{
    if (SameText(name, root_->Name())) return root_;
    return root_->FindComponent(name);
}

TReader::Value TReader::ReadValue(Lexer& lexer)
{
    Token t = lexer.Next();
    Value v;
    switch (t.kind) {
    case Token::Integer:
        v.kind = Value::Integer;
        v.integer = t.integer;
        return v;
    case Token::Float:
        v.kind = Value::Float;
        v.text = t.text;
        return v;
    case Token::String:
        v.kind = Value::String;
        v.text = t.text;
        while (lexer.Peek().IsSymbol(L'+')) {
            lexer.Next();
            Token more = lexer.Next();
            if (more.kind != Token::String) Error(L"", L"String expected", more.line);
            v.text += more.text;
        }
        return v;
    case Token::Ident:
        v.kind = Value::Ident;
        v.text = t.text;
        return v;
    case Token::Binary:
        v.kind = Value::Binary;
        v.text = t.text;
        return v;
    case Token::Symbol:
        if (t.IsSymbol(L'[')) {
            v.kind = Value::Set;
            if (lexer.Peek().IsSymbol(L']')) {
                lexer.Next();
                return v;
            }
            while (true) {
                Token e = lexer.Expect(Token::Ident, L"Identifier");
                v.elements.push_back(e.text);
                Token sep = lexer.Next();
                if (sep.IsSymbol(L']')) break;
                if (!sep.IsSymbol(L',')) Error(L"", L"',' or ']' expected", sep.line);
            }
            return v;
        }
        if (t.IsSymbol(L'(')) {
            v.kind = Value::List;
            while (!lexer.Peek().IsSymbol(L')')) {
                if (lexer.Peek().kind == Token::Eof) Error(L"", L"')' expected", lexer.Peek().line);
                v.items.push_back(ReadValue(lexer));
            }
            lexer.Next();
            return v;
        }
        if (t.IsSymbol(L'<')) {
            v.kind = Value::Collection;
            while (!lexer.Peek().IsSymbol(L'>')) {
                Token item = lexer.Next();
                if (!item.IsKeyword(L"item")) Error(L"", L"'item' or '>' expected", item.line);
                std::vector<Value::Assignment> assignments;
                while (!lexer.Peek().IsKeyword(L"end")) {
                    Token name = lexer.Expect(Token::Ident, L"Property name");
                    lexer.ExpectSymbol(L'=');
                    assignments.push_back({name.text, {ReadValue(lexer)}, name.line});
                }
                lexer.Next();
                v.collection.push_back(std::move(assignments));
            }
            lexer.Next();
            return v;
        }
        break;
    default: break;
    }
    Error(L"", L"Invalid property value", t.line);
}

void TReader::ReadRootComponent(const UnicodeString& text)
{
    Lexer lexer(text, *this);
    try {
        Token keyword = lexer.Next();
        if (!keyword.IsKeyword(L"object") && !keyword.IsKeyword(L"inherited") && !keyword.IsKeyword(L"inline"))
            Error(L"", L"'object' expected", keyword.line);
        Token first = lexer.Expect(Token::Ident, L"Component name");
        UnicodeString name = first.text;
        if (lexer.Peek().IsSymbol(L':')) {
            lexer.Next();
            lexer.Expect(Token::Ident, L"Class name");
        } else {
            name.clear();
        }
        BeginLoading(root_);
        if (!name.empty() && !SameText(name, root_->Name())) {
            // A second instance of the same form gets the name with a number appended.
            UnicodeString candidate = name;
            TComponent* owner = root_->Owner();
            for (int n = 1; owner && owner->FindComponent(candidate) && owner->FindComponent(candidate) != root_; ++n)
                candidate = name + L"_" + std::to_wstring(n);
            try {
                root_->SetName(candidate);
            } catch (const Exception& e) {
                Error(name, e.Message(), first.line);
            }
        }
        ReadObject(lexer, root_, true);
        Token tail = lexer.Next();
        if (tail.kind != Token::Eof) Error(L"", L"End of definition expected", tail.line);

        for (const Fixup& f : fixups_) {
            TComponent* target = FindComponentByName(f.Name);
            if (!target) Error(f.Context, L"Component " + f.Name + L" not found", f.Line);
            try {
                f.Info->SetObj(f.Instance, target);
            } catch (const Exception& e) {
                Error(f.Context, e.Message(), f.Line);
            }
        }
        if (fields_) {
            for (TComponent* c : loaded_) {
                if (c == root_ || c->Name().empty()) continue;
                if (!fields_->Assign(c->Name(), c))
                    Error(c->Name(), L"Field " + c->Name() + L" does not fit class " + c->ClassName(), 0);
            }
        }
    } catch (...) {
        for (TComponent* c : loaded_) {
            c->ExcludeState(csReading);
            c->ExcludeState(csLoading);
        }
        loaded_.clear();
        throw;
    }
    for (TComponent* c : loaded_) EndLoading(c);
    const std::vector<TComponent*> order = std::move(loaded_);
    loaded_.clear();
    for (TComponent* c : order) c->Loaded();
}

void TReader::ReadObject(Lexer& lexer, TComponent* instance, bool)
{
    while (true) {
        const Token& t = lexer.Peek();
        if (t.kind == Token::Eof) Error(instance->Name(), L"'end' expected", t.line);
        if (t.IsKeyword(L"end")) {
            lexer.Next();
            return;
        }
        const bool nested = (t.IsKeyword(L"object") || t.IsKeyword(L"inherited") || t.IsKeyword(L"inline")) &&
                            lexer.Peek(1).kind == Token::Ident;
        if (!nested) {
            ReadProperty(lexer, instance);
            continue;
        }
        Token keyword = lexer.Next();
        Token first = lexer.Next();
        UnicodeString name = first.text;
        UnicodeString className;
        if (lexer.Peek().IsSymbol(L':')) {
            lexer.Next();
            className = lexer.Expect(Token::Ident, L"Class name").text;
        } else {
            className = name;
            name.clear();
        }
        if (lexer.Peek().IsSymbol(L'[')) {
            lexer.Next();
            lexer.Expect(Token::Integer, L"Index");
            lexer.ExpectSymbol(L']');
        }
        const UnicodeString context = name.empty() ? className : name;
        TComponent* child = nullptr;
        if (keyword.IsKeyword(L"inherited")) {
            child = name.empty() ? nullptr : root_->FindComponent(name);
            if (!child) Error(context, L"Component " + context + L" not found", first.line);
            BeginLoading(child);
        } else {
            auto it = Factories().find(UpperCase(className));
            if (it == Factories().end()) Error(context, L"Class " + className + L" not found", first.line);
            try {
                child = it->second(root_);
            } catch (const Exception& e) {
                Error(context, e.Message(), first.line);
            }
            if (!child) Error(context, L"Class " + className + L" not found", first.line);
            BeginLoading(child);
            try {
                if (!name.empty()) child->SetName(name);
                child->SetParentComponent(instance);
            } catch (const EReadError&) {
                throw;
            } catch (const Exception& e) {
                Error(context, e.Message(), first.line);
            }
        }
        ReadObject(lexer, child, false);
    }
}

void TReader::ReadProperty(Lexer& lexer, TComponent* component)
{
    Token name = lexer.Next();
    if (name.kind != Token::Ident) Error(component->Name(), L"Property name expected", name.line);
    Token eq = lexer.Next();
    if (!eq.IsSymbol(L'=')) Error(component->Name() + L"." + name.text, L"'=' expected", eq.line);
    Value value = ReadValue(lexer);
    const UnicodeString context = (component->Name().empty() ? component->ClassName() : component->Name()) + L"." + name.text;
    ApplyValue(component, name.text, value, context, name.line);
}

void TReader::ApplyValue(TPersistent* instance, const UnicodeString& path, const Value& value,
                         const UnicodeString& context, int line)
{
    const std::vector<UnicodeString> parts = SplitPath(path);
    TPersistent* target = instance;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        if (i + 2 == parts.size() && SameText(parts.back(), L"Strings") && value.kind == Value::List) {
            // "Lines.Strings = (...)": the list goes into the TStrings property Lines.
            ApplyFinal(target, parts[i], value, context, line);
            return;
        }
        const TPropInfo* info = GetPropInfo(target, parts[i]);
        if (!info) Error(context, L"Property " + parts[i] + L" does not exist", line);
        if (info->Kind != pkObject || !info->GetObj) Error(context, L"Property " + parts[i] + L" has no properties", line);
        target = info->GetObj(target);
        if (!target) Error(context, L"Property " + parts[i] + L" is not assigned", line);
    }
    ApplyFinal(target, parts.back(), value, context, line);
}

void TReader::ApplyFinal(TPersistent* instance, const UnicodeString& name, const Value& value,
                         const UnicodeString& context, int line)
{
    const TPropInfo* info = GetPropInfo(instance, name);
    if (!info) Error(context, L"Property " + name + L" does not exist", line);
    auto invalid = [&]() -> void { Error(context, L"Invalid property value", line); };
    auto needOrdSetter = [&] {
        if (!info->SetOrd) Error(context, L"Property " + name + L" is read-only", line);
    };
    try {
        switch (info->Kind) {
        case pkInteger: {
            needOrdSetter();
            if (value.kind == Value::Integer) {
                info->SetOrd(instance, value.integer);
            } else if (value.kind == Value::Ident) {
                auto it = IntegerConstants().find(UpperCase(value.text));
                if (it == IntegerConstants().end()) invalid();
                info->SetOrd(instance, it->second);
            } else {
                invalid();
            }
            break;
        }
        case pkBool:
            needOrdSetter();
            if (value.kind == Value::Ident && SameText(value.text, L"True"))
                info->SetOrd(instance, 1);
            else if (value.kind == Value::Ident && SameText(value.text, L"False"))
                info->SetOrd(instance, 0);
            else if (value.kind == Value::Integer)
                info->SetOrd(instance, value.integer != 0);
            else
                invalid();
            break;
        case pkEnum: {
            needOrdSetter();
            if (value.kind == Value::Integer) {
                info->SetOrd(instance, value.integer);
                break;
            }
            if (value.kind != Value::Ident || !info->EnumType) invalid();
            const int v = GetEnumValue(*info->EnumType, value.text);
            if (v < 0 && GetEnumName(*info->EnumType, v).empty()) invalid();
            info->SetOrd(instance, v);
            break;
        }
        case pkSet: {
            needOrdSetter();
            if (value.kind != Value::Set || !info->EnumType) invalid();
            uint64_t bits = 0;
            for (const UnicodeString& e : value.elements) {
                const int v = GetEnumValue(*info->EnumType, e);
                const int bit = v - info->EnumType->MinValue;
                if (GetEnumName(*info->EnumType, v).empty() || bit < 0 || bit > 63)
                    Error(context, L"Invalid set element " + e, line);
                bits |= uint64_t{1} << bit;
            }
            info->SetOrd(instance, static_cast<int64_t>(bits));
            break;
        }
        case pkColor: {
            needOrdSetter();
            if (value.kind == Value::Integer) {
                info->SetOrd(instance, value.integer);
            } else if (value.kind == Value::Ident) {
                TColor color = 0;
                if (!IdentToColor(value.text, color)) invalid();
                info->SetOrd(instance, color);
            } else {
                invalid();
            }
            break;
        }
        case pkString:
            if (!info->SetStr) Error(context, L"Property " + name + L" is read-only", line);
            if (value.kind != Value::String) invalid();
            info->SetStr(instance, value.text);
            break;
        case pkObject: {
            TPersistent* object = info->GetObj ? info->GetObj(instance) : nullptr;
            if (value.kind == Value::List) {
                auto* strings = dynamic_cast<TStrings*>(object);
                if (!strings) invalid();
                strings->BeginUpdate();
                try {
                    strings->Clear();
                    for (const Value& item : value.items) {
                        if (item.kind != Value::String) Error(context, L"String expected", line);
                        strings->Add(item.text);
                    }
                } catch (...) {
                    strings->EndUpdate();
                    throw;
                }
                strings->EndUpdate();
            } else if (value.kind == Value::Collection) {
                auto* collection = dynamic_cast<TCollection*>(object);
                if (!collection) invalid();
                collection->BeginUpdate();
                try {
                    collection->Clear();
                    for (size_t i = 0; i < value.collection.size(); ++i) {
                        TCollectionItem* item = collection->Add();
                        const UnicodeString itemContext = context + L"[" + std::to_wstring(i) + L"]";
                        for (const auto& a : value.collection[i])
                            ApplyValue(item, a.path, a.value.front(), itemContext + L"." + a.path, a.line);
                    }
                } catch (...) {
                    collection->EndUpdate();
                    throw;
                }
                collection->EndUpdate();
            } else if (value.kind == Value::Ident) {
                if (!info->SetObj) Error(context, L"Property " + name + L" is read-only", line);
                if (SameText(value.text, L"nil"))
                    info->SetObj(instance, nullptr);
                else
                    fixups_.push_back({instance, info, value.text, context, line});
            } else {
                invalid();
            }
            break;
        }
        case pkBinary: {
            if (!info->SetBin) Error(context, L"Property " + name + L" is read-only", line);
            if (value.kind != Value::Binary) invalid();
            // The lexer let through only an even number of hex digits.
            TBytes bytes(value.text.size() / 2);
            for (size_t i = 0; i < bytes.size(); ++i)
                bytes[i] = static_cast<std::uint8_t>(HexValue(value.text[2 * i]) << 4 | HexValue(value.text[2 * i + 1]));
            info->SetBin(instance, bytes);
            break;
        }
        case pkFloat: {
            if (!info->SetFloat) Error(context, L"Property " + name + L" is read-only", line);
            double v = 0;
            if (value.kind == Value::Integer) v = static_cast<double>(value.integer);
            else if (value.kind != Value::Float || !TryPropTextToFloat(value.text, v)) invalid();
            info->SetFloat(instance, v);
            break;
        }
        case pkEvent:
            if (value.kind != Value::Ident) invalid();
            if (!methods_ || !methods_->Find(value.text))
                Error(context, L"Handler " + value.text + L" not found", line);
            SetMethodProp(instance, name, value.text, *methods_);
            break;
        }
    } catch (const EReadError&) {
        throw;
    } catch (const Exception& e) {
        Error(context, e.Message(), line);
    }
}

void ReadComponentFromText(TComponent* root, const UnicodeString& text, const TMethodTable* methods,
                           const TFieldTable* fields)
{
    TReader reader(root, methods, fields);
    reader.ReadRootComponent(text);
}

UnicodeString LoadFormDefinitionResource(const UnicodeString& resourceName, HINSTANCE instance)
{
    if (!instance) instance = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(instance, resourceName.c_str(), reinterpret_cast<LPCWSTR>(RT_RCDATA));
    if (!info) throw EResNotFound(L"Resource " + resourceName + L" not found");
    HGLOBAL data = LoadResource(instance, info);
    const DWORD size = SizeofResource(instance, info);
    const auto* bytes = static_cast<const unsigned char*>(data ? LockResource(data) : nullptr);
    if (!bytes) throw EResNotFound(L"Resource " + resourceName + L" not found");
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        UnicodeString text((size - 2) / 2, L'\0');
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<wchar_t>(bytes[2 + 2 * i] | (bytes[3 + 2 * i] << 8));
        return text;
    }
    size_t start = (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) ? 3 : 0;
    return Utf8ToUnicode(std::string_view(reinterpret_cast<const char*>(bytes) + start, size - start));
}
