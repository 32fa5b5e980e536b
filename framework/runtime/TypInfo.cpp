#include "TypInfo.h"

#include "Components.h"
#include "Exceptions.h"
#include "SysUtils.h"

#include <algorithm>
#include <deque>
#include <limits>

namespace {

// Decimal with optional sign, or "$"/"0x" hex; blanks around it are ignored. Up to 8 hex digits
// wrap to a signed 32-bit value as the framework's conversion does; longer hex (up to 16 digits)
// to 64 bits.
bool TryParseInt(const UnicodeString& input, int64_t& value)
{
    TIntegerText parts;
    if (!TryParseIntegerText(Trim(input), parts)) return false;
    if (!parts.Hex) {
        long long v = 0;
        if (!TryIntegerValue(parts, 64, v)) return false;
        value = v;
        return true;
    }
    if (parts.Digits > 16) return false;
    const int64_t v = parts.Digits <= 8 ? static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(parts.Magnitude)))
                                        : static_cast<int64_t>(parts.Magnitude);
    if (parts.Negative && v == std::numeric_limits<int64_t>::min()) return false;
    value = parts.Negative ? -v : v;
    return true;
}

UnicodeString HexText(int64_t v)
{
    wchar_t buffer[20];
    swprintf(buffer, std::size(buffer), L"$%.8X", static_cast<unsigned>(static_cast<uint32_t>(v)));
    return buffer;
}

struct ClassEntry {
    UnicodeString parent;
    std::deque<TPropInfo> props; // a deque keeps TPropInfo pointers valid while classes grow
};

using Registry = std::map<UnicodeString, ClassEntry>;

void RegisterBuiltins(Registry& r)
{
    r[L"TPersistent"];
    ClassEntry& component = r[L"TComponent"];
    component.parent = L"TPersistent";
    component.props.push_back(StrProp(L"Name", &TComponent::Name, &TComponent::SetName, UnicodeString()));
    component.props.push_back(OrdProp(L"Tag", pkInteger, &TComponent::Tag, &TComponent::SetTag, int64_t{0}));
}

Registry& TheRegistry()
{
    static Registry* registry = [] {
        auto* r = new Registry;
        RegisterBuiltins(*r);
        return r;
    }();
    return *registry;
}

// The class and its ancestors, most derived first; a cycle in parent names ends the walk.
std::vector<const ClassEntry*> Chain(const UnicodeString& className)
{
    std::vector<const ClassEntry*> chain;
    const Registry& r = TheRegistry();
    UnicodeString name = className;
    while (!name.empty() && chain.size() < 64) {
        auto it = r.find(name);
        if (it == r.end()) break;
        if (std::find(chain.begin(), chain.end(), &it->second) != chain.end()) break;
        chain.push_back(&it->second);
        name = it->second.parent;
    }
    return chain;
}

const TPropInfo* FindIn(const ClassEntry& entry, const UnicodeString& propName)
{
    for (const TPropInfo& p : entry.props)
        if (SameText(p.Name, propName)) return &p;
    return nullptr;
}

TPersistent* AsPersistent(TObject* instance) { return dynamic_cast<TPersistent*>(instance); }

const TPropInfo& RequireProp(const TObject* instance, const UnicodeString& propName)
{
    const TPropInfo* info = GetPropInfo(instance, propName);
    if (!info) throw EPropertyError(L"Unknown property: '" + propName + L"'");
    return *info;
}

bool IsOrdinal(TPropKind kind)
{
    return kind == pkInteger || kind == pkBool || kind == pkEnum || kind == pkSet || kind == pkColor;
}

const TEnumTypeInfo* ElementType(const TPropInfo& info)
{
    return info.Kind == pkBool ? &BooleanTypeInfo() : info.EnumType;
}

// Rejects an ordinal outside its enumeration or set before it reaches a setter.
void CheckOrdinal(const TPropInfo& info, int64_t value)
{
    const TEnumTypeInfo* type = ElementType(info);
    if (!type) return;
    const int64_t count = static_cast<int64_t>(type->Names.size());
    if (info.Kind == pkSet) {
        const int64_t top = type->MinValue + count; // bits at or above top name no element
        const bool fits = type->MinValue >= 0 && top <= 64 &&
                          (top == 64 || (static_cast<uint64_t>(value) >> top) == 0) &&
                          (static_cast<uint64_t>(value) & ((uint64_t{1} << type->MinValue) - 1)) == 0;
        if (!fits) throw EPropertyConvertError(L"Invalid set value for property '" + info.Name + L"'");
    } else if (value < type->MinValue || value >= type->MinValue + count) {
        throw EPropertyConvertError(L"Value out of range for property '" + info.Name + L"'");
    }
}

bool TryEnumValue(const TEnumTypeInfo& type, const UnicodeString& name, int64_t& value)
{
    const UnicodeString wanted = Trim(name);
    for (size_t i = 0; i < type.Names.size(); ++i) {
        if (SameText(type.Names[i], wanted)) {
            value = type.MinValue + static_cast<int64_t>(i);
            return true;
        }
    }
    return false;
}

void WriteOrd(TPersistent* p, const TPropInfo& info, int64_t value)
{
    if (!info.SetOrd) throw EPropertyError(L"Property '" + info.Name + L"' is read-only");
    if (info.Kind == pkBool) value = value != 0;
    CheckOrdinal(info, value);
    info.SetOrd(p, value);
}

} // namespace

std::function<UnicodeString(int64_t)> ColorToTextHook = HexText;
std::function<bool(const UnicodeString&, int64_t&)> TextToColorHook = TryParseInt;

const TEnumTypeInfo& BooleanTypeInfo()
{
    static const TEnumTypeInfo info{{L"False", L"True"}, 0};
    return info;
}

UnicodeString GetEnumName(const TEnumTypeInfo& type, int64_t value)
{
    const int64_t i = value - type.MinValue;
    if (i < 0 || i >= static_cast<int64_t>(type.Names.size())) return UnicodeString();
    return type.Names[static_cast<size_t>(i)];
}

int GetEnumValue(const TEnumTypeInfo& type, const UnicodeString& name)
{
    int64_t v;
    return TryEnumValue(type, name, v) ? static_cast<int>(v) : -1;
}

UnicodeString SetToString(const TEnumTypeInfo& type, uint64_t bits, bool brackets)
{
    UnicodeString text;
    for (size_t i = 0; i < type.Names.size(); ++i) {
        const int64_t bit = type.MinValue + static_cast<int64_t>(i);
        if (bit < 0 || bit >= 64 || !(bits >> bit & 1)) continue;
        if (!text.empty()) text += L',';
        text += type.Names[i];
    }
    return brackets ? L"[" + text + L"]" : text;
}

uint64_t StringToSet(const TEnumTypeInfo& type, const UnicodeString& input)
{
    UnicodeString text = Trim(input);
    if (!text.empty() && text.front() == L'[') {
        if (text.back() != L']') throw EPropertyConvertError(L"Invalid set text: " + input);
        text = text.substr(1, text.size() - 2);
    }
    uint64_t bits = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(L',', start);
        if (comma == UnicodeString::npos) comma = text.size();
        const UnicodeString element = Trim(text.substr(start, comma - start));
        if (!element.empty()) {
            const int v = GetEnumValue(type, element);
            if (v < 0 || v >= 64) throw EPropertyConvertError(L"Invalid property element: " + element);
            bits |= uint64_t{1} << v;
        }
        start = comma + 1;
    }
    return bits;
}

void RegisterPublishedClass(const UnicodeString& className, const UnicodeString& parentClassName)
{
    TheRegistry()[className].parent = parentClassName;
}

void RegisterPublishedProperty(const UnicodeString& className, TPropInfo info)
{
    ClassEntry& entry = TheRegistry()[className];
    for (TPropInfo& p : entry.props) {
        if (SameText(p.Name, info.Name)) {
            p = std::move(info);
            return;
        }
    }
    entry.props.push_back(std::move(info));
}

bool IsPublishedClass(const UnicodeString& className)
{
    return TheRegistry().count(className) != 0;
}

const TPropInfo* GetPropInfo(const UnicodeString& className, const UnicodeString& propName)
{
    for (const ClassEntry* entry : Chain(className))
        if (const TPropInfo* p = FindIn(*entry, propName)) return p;
    return nullptr;
}

const TPropInfo* GetPropInfo(const TObject* instance, const UnicodeString& propName)
{
    if (!instance || !dynamic_cast<const TPersistent*>(instance)) return nullptr;
    return GetPropInfo(instance->ClassName(), propName);
}

std::vector<const TPropInfo*> GetPropList(const TObject* instance)
{
    std::vector<const TPropInfo*> list;
    if (!instance || !dynamic_cast<const TPersistent*>(instance)) return list;
    auto chain = Chain(instance->ClassName());
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        for (const TPropInfo& p : (*it)->props) {
            auto same = std::find_if(list.begin(), list.end(), [&](const TPropInfo* q) { return SameText(q->Name, p.Name); });
            if (same != list.end()) *same = &p; // a redefinition keeps the ancestor's place
            else list.push_back(&p);
        }
    }
    return list;
}

bool IsStoredProp(TObject* instance, const TPropInfo& info)
{
    TPersistent* p = AsPersistent(instance);
    if (!p) return false;
    if (info.Stored) return info.Stored(p);
    if (info.OrdDefault && info.GetOrd) return info.GetOrd(p) != *info.OrdDefault;
    if (info.StrDefault && info.GetStr) return info.GetStr(p) != *info.StrDefault;
    if (info.BinDefault && info.GetBin) return info.GetBin(p) != *info.BinDefault;
    if (info.FloatDefault && info.GetFloat) return info.GetFloat(p) != *info.FloatDefault;
    return true;
}

bool HasProperty(const TObject* instance, const UnicodeString& propName)
{
    return GetPropInfo(instance, propName) != nullptr;
}

UnicodeString GetPropValue(TObject* instance, const UnicodeString& propName)
{
    const TPropInfo& info = RequireProp(instance, propName);
    TPersistent* p = AsPersistent(instance);
    if (info.Kind == pkString && info.GetStr) return info.GetStr(p);
    if (!IsOrdinal(info.Kind) || !info.GetOrd)
        throw EPropertyError(L"Property '" + info.Name + L"' has no text value");
    const int64_t v = info.GetOrd(p);
    const TEnumTypeInfo* type = ElementType(info);
    switch (info.Kind) {
    case pkBool:
    case pkEnum: return type ? GetEnumName(*type, v) : std::to_wstring(v);
    case pkSet: return type ? SetToString(*type, static_cast<uint64_t>(v)) : std::to_wstring(v);
    case pkColor: return ColorToTextHook ? ColorToTextHook(v) : HexText(v);
    default: return std::to_wstring(v);
    }
}

void SetPropValue(TObject* instance, const UnicodeString& propName, const UnicodeString& value)
{
    const TPropInfo& info = RequireProp(instance, propName);
    TPersistent* p = AsPersistent(instance);
    if (info.Kind == pkString) {
        if (!info.SetStr) throw EPropertyError(L"Property '" + info.Name + L"' is read-only");
        info.SetStr(p, value);
        return;
    }
    if (!IsOrdinal(info.Kind)) throw EPropertyError(L"Property '" + info.Name + L"' has no text value");
    const TEnumTypeInfo* type = ElementType(info);
    int64_t v = 0;
    bool ok;
    switch (info.Kind) {
    case pkBool:
    case pkEnum:
        if (type) {
            ok = TryEnumValue(*type, value, v);
        } else {
            ok = TryParseInt(value, v);
        }
        break;
    case pkSet:
        if (type) {
            v = static_cast<int64_t>(StringToSet(*type, value));
            ok = true;
        } else {
            ok = TryParseInt(value, v);
        }
        break;
    case pkColor: ok = TextToColorHook ? TextToColorHook(value, v) : TryParseInt(value, v); break;
    default: ok = TryParseInt(value, v); break;
    }
    if (!ok) throw EPropertyConvertError(L"Invalid value '" + value + L"' for property '" + info.Name + L"'");
    WriteOrd(p, info, v);
}

int64_t GetIntProp(TObject* instance, const UnicodeString& propName)
{
    const TPropInfo* info = GetPropInfo(instance, propName);
    if (!info || !IsOrdinal(info->Kind) || !info->GetOrd) return 0;
    return info->GetOrd(AsPersistent(instance));
}

void SetIntProp(TObject* instance, const UnicodeString& propName, int64_t value)
{
    const TPropInfo* info = GetPropInfo(instance, propName);
    if (!info || !IsOrdinal(info->Kind) || !info->SetOrd) return;
    WriteOrd(AsPersistent(instance), *info, value);
}

TPersistent* GetObjProp(TObject* instance, const UnicodeString& propName)
{
    const TPropInfo* info = GetPropInfo(instance, propName);
    if (!info || info->Kind != pkObject || !info->GetObj) return nullptr;
    return info->GetObj(AsPersistent(instance));
}

void SetObjProp(TObject* instance, const UnicodeString& propName, TPersistent* value)
{
    const TPropInfo& info = RequireProp(instance, propName);
    if (info.Kind != pkObject) throw EPropertyError(L"Property '" + info.Name + L"' is no object property");
    if (!info.SetObj) throw EPropertyError(L"Property '" + info.Name + L"' is read-only");
    info.SetObj(AsPersistent(instance), value);
}

UnicodeString TMethodTable::Key(const UnicodeString& name)
{
    return UpperCase(Trim(name));
}

const std::any* TMethodTable::Find(const UnicodeString& name) const
{
    auto it = handlers_.find(Key(name));
    return it == handlers_.end() ? nullptr : &it->second;
}

void SetMethodProp(TObject* instance, const UnicodeString& propName, const UnicodeString& handlerName,
                   const TMethodTable& methods)
{
    const TPropInfo& info = RequireProp(instance, propName);
    if (info.Kind != pkEvent || !info.SetEvent)
        throw EPropertyError(L"Property '" + info.Name + L"' is no event");
    if (Trim(handlerName).empty()) {
        info.SetEvent(AsPersistent(instance), std::any());
        return;
    }
    const std::any* handler = methods.Find(handlerName);
    if (!handler) throw EPropertyError(L"Method '" + handlerName + L"' not found");
    info.SetEvent(AsPersistent(instance), *handler);
}
