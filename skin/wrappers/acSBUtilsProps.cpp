// Dotted-path access to published properties over the framework's property registry.
#include "acSBUtilsProps.h"

#include "Graphics.h"
#include "TypInfo.h"

TObject* ResolvePropPath(TObject* Obj, const UnicodeString& Path, const TPropInfo*& Info)
{
    Info = nullptr;
    TObject* holder = Obj;
    size_t start = 0;
    while (holder) {
        const size_t dot = Path.find(L'.', start);
        const UnicodeString name = Path.substr(start, dot == UnicodeString::npos ? UnicodeString::npos : dot - start);
        if (name.empty()) return nullptr;
        const TPropInfo* info = GetPropInfo(holder, name);
        if (!info) return nullptr;
        if (dot == UnicodeString::npos) {
            Info = info;
            return holder;
        }
        if (info->Kind != pkObject || !info->GetObj) return nullptr;
        holder = info->GetObj(dynamic_cast<TPersistent*>(holder));
        start = dot + 1;
    }
    return nullptr;
}

bool HasPropPath(TObject* Obj, const UnicodeString& Path)
{
    const TPropInfo* info = nullptr;
    return ResolvePropPath(Obj, Path, info) != nullptr;
}

namespace {

bool Ordinal(const TPropInfo& info) { return info.Kind != pkString && info.Kind != pkObject && info.Kind != pkEvent &&
                                             info.Kind != pkBinary && info.Kind != pkFloat; }

} // namespace

std::optional<int64_t> GetOrdPath(TObject* Obj, const UnicodeString& Path)
{
    const TPropInfo* info = nullptr;
    TObject* holder = ResolvePropPath(Obj, Path, info);
    if (!holder || !Ordinal(*info) || !info->GetOrd) return std::nullopt;
    return info->GetOrd(dynamic_cast<TPersistent*>(holder));
}

void SetIntPathIfExists(TObject* Obj, const UnicodeString& Path, int64_t Value)
{
    const TPropInfo* info = nullptr;
    TObject* holder = ResolvePropPath(Obj, Path, info);
    if (holder && Ordinal(*info) && info->SetOrd) info->SetOrd(dynamic_cast<TPersistent*>(holder), Value);
}

int64_t GetIntPathIfExists(TObject* Obj, const UnicodeString& Path) { return GetOrdPath(Obj, Path).value_or(0); }

TColor GetColorPathIfExists(TObject* Obj, const UnicodeString& Path)
{
    const auto value = GetOrdPath(Obj, Path);
    return value ? ColorToRGB(static_cast<TColor>(*value)) : 0;
}

namespace {

// The bit of a set element, or nothing.
std::optional<uint64_t> ElementBit(const TPropInfo* info, const UnicodeString& Element)
{
    if (!info || info->Kind != pkSet || !info->EnumType) return std::nullopt;
    const int value = GetEnumValue(*info->EnumType, Element);
    if (value < 0 || value >= 64) return std::nullopt;
    return uint64_t{1} << value;
}

} // namespace

bool SetPathHasElement(TObject* Obj, const UnicodeString& Path, const UnicodeString& Element)
{
    const TPropInfo* info = nullptr;
    TObject* holder = ResolvePropPath(Obj, Path, info);
    const auto bit = ElementBit(info, Element);
    if (!holder || !bit || !info->GetOrd) return false;
    return (static_cast<uint64_t>(info->GetOrd(dynamic_cast<TPersistent*>(holder))) & *bit) != 0;
}

bool SetPathElement(TObject* Obj, const UnicodeString& Path, const UnicodeString& Element, bool Include)
{
    const TPropInfo* info = nullptr;
    TObject* holder = ResolvePropPath(Obj, Path, info);
    const auto bit = ElementBit(info, Element);
    if (!holder || !bit || !info->GetOrd || !info->SetOrd) return false;
    auto* p = dynamic_cast<TPersistent*>(holder);
    const auto bits = static_cast<uint64_t>(info->GetOrd(p));
    const uint64_t changed = Include ? bits | *bit : bits & ~*bit;
    if (changed != bits) info->SetOrd(p, static_cast<int64_t>(changed));
    return true;
}

bool SetEventPathIfExists(TObject* Obj, const UnicodeString& Path, const std::any& Handler)
{
    const TPropInfo* info = nullptr;
    TObject* holder = ResolvePropPath(Obj, Path, info);
    if (!holder || info->Kind != pkEvent || !info->SetEvent) return false;
    try {
        info->SetEvent(dynamic_cast<TPersistent*>(holder), Handler);
    } catch (const EPropertyError&) {
        return false;
    }
    return true;
}
