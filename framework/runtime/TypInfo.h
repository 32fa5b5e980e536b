#pragma once
// Published properties by name: a registry of per-class property descriptions, filled at
// start-up, that the form reader and writer and the run-time property routines consult.
//
// A class is known by its ClassName() and names its parent class, so a class inherits the
// parent's properties; a class that registers nothing of its own still registers its parent
// (RegisterPublishedClass). TPersistent and TComponent (Name, Tag) are known from the start.
// Registration is not synchronised: register during start-up, before threads run.
#include "Exceptions.h"
#include "Objects.h"
#include "Sets.h"

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

enum TPropKind { pkInteger, pkBool, pkString, pkEnum, pkSet, pkColor, pkObject, pkEvent, pkBinary, pkFloat };

// The value of a binary property: raw bytes, written as {hex} in a form definition.
using TBytes = std::vector<std::uint8_t>;

// Element names of an enumeration (also the element type of a set): Names[i] is MinValue + i.
struct TEnumTypeInfo {
    std::vector<UnicodeString> Names;
    int MinValue = 0;
};
const TEnumTypeInfo& BooleanTypeInfo(); // "False", "True"

// Empty for a value outside the type.
UnicodeString GetEnumName(const TEnumTypeInfo& type, int64_t value);
// Compared without regard to case; -1 when unknown.
int GetEnumValue(const TEnumTypeInfo& type, const UnicodeString& name);
// "a,b" (with brackets "[a,b]"), elements in value order; bit n stands for the element of
// value n, as in TSet.
UnicodeString SetToString(const TEnumTypeInfo& type, uint64_t bits, bool brackets = false);
// Accepts both forms, blanks around names; an unknown element raises EPropertyConvertError.
uint64_t StringToSet(const TEnumTypeInfo& type, const UnicodeString& text);

// Text form of colour properties. The default writes "$" + 8 hex digits and reads decimal or
// "$" hex; the graphics layer replaces both to use colour names ("clBtnFace").
extern std::function<UnicodeString(int64_t)> ColorToTextHook;
extern std::function<bool(const UnicodeString&, int64_t&)> TextToColorHook;

// One published property. Ordinal kinds (integer, bool, enum, set, colour) use GetOrd/SetOrd
// (a set as its bit mask), strings GetStr/SetStr, objects GetObj/SetObj, events SetEvent
// (which receives a std::any holding the event's own std::function type, see TMethodTable),
// binary properties GetBin/SetBin, floating-point ones GetFloat/SetFloat. A missing setter makes the property read-only.
struct TPropInfo {
    UnicodeString Name;
    TPropKind Kind = pkInteger;
    const TEnumTypeInfo* EnumType = nullptr; // pkEnum, pkSet; pkBool uses BooleanTypeInfo()
    std::function<int64_t(TPersistent*)> GetOrd;
    std::function<void(TPersistent*, int64_t)> SetOrd;
    std::function<UnicodeString(TPersistent*)> GetStr;
    std::function<void(TPersistent*, const UnicodeString&)> SetStr;
    std::function<TPersistent*(TPersistent*)> GetObj;
    std::function<void(TPersistent*, TPersistent*)> SetObj;
    std::function<void(TPersistent*, const std::any&)> SetEvent;
    std::function<TBytes(TPersistent*)> GetBin;
    std::function<void(TPersistent*, std::span<const std::uint8_t>)> SetBin;
    std::function<double(TPersistent*)> GetFloat;
    std::function<void(TPersistent*, double)> SetFloat;
    // A value equal to the default is not stored; without a default the value always is.
    std::optional<int64_t> OrdDefault;
    std::optional<UnicodeString> StrDefault;
    std::optional<TBytes> BinDefault;
    std::optional<double> FloatDefault;
    // Stored predicate; when set it decides alone: true stores the value even when it equals
    // the default, false leaves it out whatever the value.
    std::function<bool(TPersistent*)> Stored;
};

void RegisterPublishedClass(const UnicodeString& className, const UnicodeString& parentClassName);
// Adds (or replaces, by name) a property of className; registers the class without a parent
// when it is unknown.
void RegisterPublishedProperty(const UnicodeString& className, TPropInfo info);
bool IsPublishedClass(const UnicodeString& className);

// Property lookup through the class and its ancestors, names compared without regard to case.
const TPropInfo* GetPropInfo(const UnicodeString& className, const UnicodeString& propName);
const TPropInfo* GetPropInfo(const TObject* instance, const UnicodeString& propName);
// All properties of the instance's class, the root class's first, each in registration order.
std::vector<const TPropInfo*> GetPropList(const TObject* instance);
// Whether the writer stores the property's current value (see TPropInfo).
bool IsStoredProp(TObject* instance, const TPropInfo& info);

// Routines by name. HasProperty: the instance's class publishes the property.
bool HasProperty(const TObject* instance, const UnicodeString& propName);
// Text form: integers decimal, booleans "False"/"True", enums by name, sets "a,b", colours
// through the hooks above. Unknown property: EPropertyError; object, event and binary
// properties have no text form (EPropertyError); bad text: EPropertyConvertError.
UnicodeString GetPropValue(TObject* instance, const UnicodeString& propName);
void SetPropValue(TObject* instance, const UnicodeString& propName, const UnicodeString& value);
// Ordinal properties; a missing or non-ordinal property reads as 0 and is not written.
int64_t GetIntProp(TObject* instance, const UnicodeString& propName);
void SetIntProp(TObject* instance, const UnicodeString& propName, int64_t value);
// Object property, or null when missing or of another kind.
TPersistent* GetObjProp(TObject* instance, const UnicodeString& propName);
// Raises EPropertyError when missing, of another kind or read-only.
void SetObjProp(TObject* instance, const UnicodeString& propName, TPersistent* value);

// Event handlers of one form, by the names a form definition uses ("OnClick = Button1Click").
// Add with the event's own type: table.Add<TNotifyEvent>(L"Button1Click", [this](TObject* s) {...}).
class TMethodTable {
public:
    template <class Event>
    void Add(const UnicodeString& name, Event handler)
    {
        handlers_[Key(name)] = std::any(std::move(handler));
    }
    const std::any* Find(const UnicodeString& name) const;

private:
    static UnicodeString Key(const UnicodeString& name);
    std::map<UnicodeString, std::any> handlers_;
};

// Binds the event property to the handler of that name; an empty name clears the event.
// EPropertyError when the property or handler is missing or the handler's type does not fit.
void SetMethodProp(TObject* instance, const UnicodeString& propName, const UnicodeString& handlerName,
                   const TMethodTable& methods);

// ---------------------------------------------------------------------------------------------
// Helpers that build a TPropInfo from member functions of C.

// The instance a property registered for class C acts on; another class raises EPropertyError.
template <class C>
C& PropertyInstance(TPersistent* instance)
{
    C* c = dynamic_cast<C*>(instance);
    if (!c) throw EPropertyError(L"Property registered for another class");
    return *c;
}

namespace typinfo_detail {

template <class T>
struct SetTraits : std::false_type {};
template <class E>
struct SetTraits<TSet<E>> : std::true_type {};

template <class T>
int64_t ToOrd(const T& v)
{
    if constexpr (SetTraits<T>::value) return static_cast<int64_t>(v.Bits());
    else return static_cast<int64_t>(v);
}

// Integers must fit the property's type; a 32-bit type takes any 32-bit pattern, so "$FF000005"
// reaches a signed colour or integer as the framework's hex conversion would.
template <class T>
T FromOrd(int64_t v)
{
    if constexpr (SetTraits<T>::value) {
        return T::FromBits(static_cast<uint64_t>(v));
    } else if constexpr (std::is_same_v<T, bool>) {
        return v != 0;
    } else if constexpr (std::is_integral_v<T>) {
        if constexpr (sizeof(T) == 4) {
            if (v >= INT32_MIN && v <= static_cast<int64_t>(UINT32_MAX))
                return static_cast<T>(static_cast<uint32_t>(v));
        } else if (std::in_range<T>(v)) {
            return static_cast<T>(v);
        }
        throw EPropertyConvertError(L"Property value out of range: " + std::to_wstring(v));
    } else {
        return static_cast<T>(v); // enumerations: GetEnumValue and SetIntProp check the range
    }
}

} // namespace typinfo_detail

// Ordinal property (integer, bool, enum, set, colour) from a getter and an optional setter.
template <class C, class G, class S = G>
TPropInfo OrdProp(const UnicodeString& name, TPropKind kind, G (C::*get)() const, void (C::*set)(S) = nullptr,
                  std::optional<int64_t> defaultValue = std::nullopt, const TEnumTypeInfo* enumType = nullptr)
{
    using T = std::decay_t<S>;
    TPropInfo info;
    info.Name = name;
    info.Kind = kind;
    info.EnumType = enumType;
    info.OrdDefault = defaultValue;
    info.GetOrd = [get](TPersistent* p) { return typinfo_detail::ToOrd((PropertyInstance<C>(p).*get)()); };
    if (set)
        info.SetOrd = [set](TPersistent* p, int64_t v) { (PropertyInstance<C>(p).*set)(typinfo_detail::FromOrd<T>(v)); };
    return info;
}

// String property; a default is optional (the writer skips a value equal to it).
template <class C, class G, class S>
TPropInfo StrProp(const UnicodeString& name, G (C::*get)() const, void (C::*set)(S),
                  std::optional<UnicodeString> defaultValue = std::nullopt)
{
    TPropInfo info;
    info.Name = name;
    info.Kind = pkString;
    info.StrDefault = std::move(defaultValue);
    info.GetStr = [get](TPersistent* p) { return UnicodeString((PropertyInstance<C>(p).*get)()); };
    if (set)
        info.SetStr = [set](TPersistent* p, const UnicodeString& v) { (PropertyInstance<C>(p).*set)(v); };
    return info;
}

// What the setter of an object property does with nil.
enum class TNilObject { Pass, Reject, Ignore };

// Object property from a getter and an optional setter taking V* or const V*. A value of
// another class raises EPropertyError(mismatch); so does nil when `nil` is Reject.
template <class C, class G>
TPropInfo ObjProp(const UnicodeString& name, G* (C::*get)() const)
{
    TPropInfo info;
    info.Name = name;
    info.Kind = pkObject;
    info.GetObj = [get](TPersistent* p) -> TPersistent* { return (PropertyInstance<C>(p).*get)(); };
    return info;
}

template <class C, class G, class S>
TPropInfo ObjProp(const UnicodeString& name, G* (C::*get)() const, void (C::*set)(S*), const UnicodeString& mismatch,
                  TNilObject nil)
{
    using V = std::remove_const_t<S>;
    TPropInfo info = ObjProp(name, get);
    info.SetObj = [set, mismatch, nil](TPersistent* p, TPersistent* v) {
        V* value = dynamic_cast<V*>(v);
        if (!value && (v || nil == TNilObject::Reject)) throw EPropertyError(mismatch);
        if (value || nil == TNilObject::Pass) (PropertyInstance<C>(p).*set)(value);
    };
    return info;
}

// Floating-point property from a getter and an optional setter; a default is optional.
template <class C, class G, class S = G>
TPropInfo FloatProp(const UnicodeString& name, G (C::*get)() const, void (C::*set)(S) = nullptr,
                    std::optional<double> defaultValue = std::nullopt)
{
    TPropInfo info;
    info.Name = name;
    info.Kind = pkFloat;
    info.FloatDefault = defaultValue;
    info.GetFloat = [get](TPersistent* p) { return static_cast<double>((PropertyInstance<C>(p).*get)()); };
    if (set) info.SetFloat = [set](TPersistent* p, double v) { (PropertyInstance<C>(p).*set)(v); };
    return info;
}

// Binary property from a getter returning a byte container (TBytes, std::span or a reference
// to one) and an optional setter taking TBytes or std::span<const std::uint8_t> (by value or
// const reference). A default is optional, as for strings.
template <class C, class G, class S = std::span<const std::uint8_t>>
TPropInfo BinProp(const UnicodeString& name, G (C::*get)() const, void (C::*set)(S) = nullptr,
                  std::optional<TBytes> defaultValue = std::nullopt)
{
    using T = std::decay_t<S>;
    TPropInfo info;
    info.Name = name;
    info.Kind = pkBinary;
    info.BinDefault = std::move(defaultValue);
    info.GetBin = [get](TPersistent* p) {
        const auto& bytes = (PropertyInstance<C>(p).*get)();
        return TBytes(bytes.begin(), bytes.end());
    };
    if (set)
        info.SetBin = [set](TPersistent* p, std::span<const std::uint8_t> v) {
            (PropertyInstance<C>(p).*set)(T(v.begin(), v.end()));
        };
    return info;
}

// Event property bound to a public std::function member of C.
template <class C, class Event>
TPropInfo EventProp(const UnicodeString& name, Event C::*member)
{
    TPropInfo info;
    info.Name = name;
    info.Kind = pkEvent;
    info.SetEvent = [member, name](TPersistent* p, const std::any& handler) {
        C* c = &PropertyInstance<C>(p);
        if (!handler.has_value()) {
            c->*member = Event();
            return;
        }
        const Event* e = std::any_cast<Event>(&handler);
        if (!e) throw EPropertyError(L"Handler does not fit event '" + name + L"'");
        c->*member = *e;
    };
    return info;
}
