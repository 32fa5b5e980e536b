#include "FormWriter.h"

#include "Colors.h"
#include "Controls.h"
#include "Exceptions.h"
#include "StringList.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

namespace {

// Nested objects deeper than this are left out: a property that leads back to an object being
// written would otherwise never end.
constexpr int kMaxDepth = 32;
constexpr size_t kBytesPerRow = 32;

UnicodeString Indent(int level) { return UnicodeString(static_cast<size_t>(level) * 2, L' '); }

// Printable ASCII in quotes ('' for a quote), every other UTF-16 unit as #n; the reader joins
// the pieces (and a surrogate pair written as two codes) back into the same string.
UnicodeString Quoted(const UnicodeString& s)
{
    if (s.empty()) return L"''";
    UnicodeString out;
    bool open = false;
    for (const wchar_t c : s) {
        if (c >= 0x20 && c < 0x7F) {
            if (!open) out += L'\'';
            open = true;
            out += c;
            if (c == L'\'') out += L'\'';
        } else {
            if (open) out += L'\'';
            open = false;
            out += L'#' + std::to_wstring(static_cast<unsigned>(c));
        }
    }
    if (open) out += L'\'';
    return out;
}

// "{" then rows of hex at the given indent, "}" closing the last row; "{}" when empty.
std::vector<UnicodeString> BinaryRows(const TBytes& bytes)
{
    static constexpr wchar_t digits[] = L"0123456789ABCDEF";
    std::vector<UnicodeString> rows;
    for (size_t start = 0; start < bytes.size(); start += kBytesPerRow) {
        const size_t end = std::min(bytes.size(), start + kBytesPerRow);
        UnicodeString row;
        row.reserve((end - start) * 2 + 1);
        for (size_t i = start; i < end; ++i) {
            row += digits[bytes[i] >> 4];
            row += digits[bytes[i] & 0xF];
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

UnicodeString OrdinalText(const TPropInfo& info, int64_t v)
{
    switch (info.Kind) {
    case pkBool: return v ? L"True" : L"False";
    case pkEnum: {
        const UnicodeString name = info.EnumType ? GetEnumName(*info.EnumType, v) : UnicodeString();
        return name.empty() ? std::to_wstring(v) : name; // the reader takes a number for an enumeration too
    }
    case pkSet: return SetToString(*info.EnumType, static_cast<uint64_t>(v), true);
    case pkColor: return ColorToString(static_cast<TColor>(static_cast<uint32_t>(v)));
    default: return std::to_wstring(v);
    }
}

// The shortest text that reads back as the same double, always with a decimal point.
UnicodeString FloatText(double v)
{
    char buf[40];
    for (int digits = 15; digits <= 17; ++digits) {
        std::snprintf(buf, sizeof buf, "%.*g", digits, v);
        if (std::strtod(buf, nullptr) == v) break;
    }
    std::string text(buf);
    if (std::isfinite(v) && text.find('.') == std::string::npos) text.insert(std::min(text.find('e'), text.size()), ".0");
    return UnicodeString(text.begin(), text.end());
}

bool IsSubComponent(const TComponent* c) { return c->ComponentStyle().Contains(csSubComponent); }

} // namespace

TWriter::TWriter(TComponent* root) : root_(root)
{
    if (!root_) throw EWriteError(L"No component to write");
}

UnicodeString TWriter::WriteRootComponent()
{
    std::vector<TComponent*> writing{root_};
    for (int i = 0; i < root_->ComponentCount(); ++i) writing.push_back(root_->Components(i));
    struct WritingScope {
        std::vector<TComponent*>& list;
        ~WritingScope()
        {
            for (TComponent* c : list) c->ExcludeState(csWriting);
        }
    } scope{writing};
    for (TComponent* c : writing) c->IncludeState(csWriting);

    text_.clear();
    WriteComponent(root_, 0);
    return std::move(text_);
}

void TWriter::Line(int indent, const UnicodeString& text)
{
    text_ += Indent(indent);
    text_ += text;
    text_ += L"\r\n";
}

TComponent* TWriter::TreeParent(TComponent* component) const
{
    if (auto* control = dynamic_cast<TControl*>(component)) {
        TComponent* parent = control->Parent();
        if (parent && (parent == root_ || (parent->Owner() == root_ && !IsSubComponent(parent)))) return parent;
    }
    return root_;
}

UnicodeString TWriter::ReferenceName(const TComponent* component) const
{
    if (component == root_ || component->Owner() == root_) return component->Name();
    return UnicodeString(); // the reader finds only the root and the components it owns
}

void TWriter::WriteComponent(TComponent* component, int indent)
{
    const UnicodeString& name = component->Name();
    Line(indent, L"object " + (name.empty() ? component->ClassName() : name + L": " + component->ClassName()));
    WriteProperties(component, UnicodeString(), indent + 1, 0);
    for (int i = 0; i < root_->ComponentCount(); ++i) {
        TComponent* child = root_->Components(i);
        if (child != component && !IsSubComponent(child) && TreeParent(child) == component)
            WriteComponent(child, indent + 1);
    }
    Line(indent, L"end");
}

void TWriter::WriteProperties(TPersistent* instance, const UnicodeString& prefix, int indent, int depth)
{
    if (depth > kMaxDepth) return;
    // A component's name is its "object" line's.
    const bool component = prefix.empty() && dynamic_cast<TComponent*>(instance);
    for (const TPropInfo* info : GetPropList(instance)) {
        if (component && SameText(info->Name, L"Name")) continue;
        if (!IsStoredProp(instance, *info)) continue;
        WriteProperty(instance, *info, prefix, indent, depth);
    }
}

void TWriter::WriteProperty(TPersistent* instance, const TPropInfo& info, const UnicodeString& prefix, int indent,
                            int depth)
{
    const UnicodeString name = prefix + info.Name;
    switch (info.Kind) {
    case pkInteger:
    case pkBool:
    case pkEnum:
    case pkSet:
    case pkColor:
        if (!info.GetOrd || !info.SetOrd || (info.Kind == pkSet && !info.EnumType)) return;
        Line(indent, name + L" = " + OrdinalText(info, info.GetOrd(instance)));
        return;
    case pkString:
        if (!info.GetStr || !info.SetStr) return;
        Line(indent, name + L" = " + Quoted(info.GetStr(instance)));
        return;
    case pkBinary: {
        if (!info.GetBin || !info.SetBin) return;
        const std::vector<UnicodeString> rows = BinaryRows(info.GetBin(instance));
        if (rows.empty()) {
            Line(indent, name + L" = {}");
            return;
        }
        Line(indent, name + L" = {");
        for (size_t i = 0; i < rows.size(); ++i) Line(indent + 1, i + 1 == rows.size() ? rows[i] + L"}" : rows[i]);
        return;
    }
    case pkFloat:
        if (!info.GetFloat || !info.SetFloat) return;
        Line(indent, name + L" = " + FloatText(info.GetFloat(instance)));
        return;
    case pkEvent: return; // handlers are bound by the form's code, not stored
    case pkObject: break;
    }

    TPersistent* object = info.GetObj ? info.GetObj(instance) : nullptr;
    if (!object) return;
    if (auto* component = dynamic_cast<TComponent*>(object); component && !IsSubComponent(component)) {
        const UnicodeString target = ReferenceName(component);
        if (info.SetObj && !target.empty()) Line(indent, name + L" = " + target);
    } else if (auto* strings = dynamic_cast<TStrings*>(object)) {
        const int count = strings->Count();
        if (count == 0) return;
        Line(indent, name + L".Strings = (");
        for (int i = 0; i < count; ++i)
            Line(indent + 1, Quoted(strings->Strings(i)) + (i + 1 == count ? L")" : L""));
    } else if (auto* collection = dynamic_cast<TCollection*>(object)) {
        if (collection->Count() == 0) return;
        Line(indent, name + L" = <");
        WriteItems(*collection, indent + 1, depth + 1);
    } else {
        WriteProperties(object, name + L".", indent, depth + 1);
    }
}

void TWriter::WriteItems(const TCollection& collection, int indent, int depth)
{
    for (int i = 0; i < collection.Count(); ++i) {
        Line(indent, L"item");
        WriteProperties(collection.Items(i), UnicodeString(), indent + 1, depth);
        Line(indent, i + 1 == collection.Count() ? L"end>" : L"end");
    }
}

UnicodeString WriteComponentToText(TComponent* root)
{
    TWriter writer(root);
    return writer.WriteRootComponent();
}
