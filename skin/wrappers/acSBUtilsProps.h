#pragma once
// Published properties of a wrapped control reached by a dotted path ("ControlLook.FixedFont.Color"):
// the nested objects are walked by name, and a path that does not lead to a property leaves the
// control alone. Besides ordinal values, the elements of a set are switched by name and an event is
// set or cleared (an event cannot be read back).
#include "Objects.h"
#include "Strings.h"
#include "Graphics.h"
#include "Types.h"

#include <any>
#include <cstdint>
#include <optional>

struct TPropInfo;

// The object holding the last name of Path and that property's information; null when a step is
// missing or is not an object.
TObject* ResolvePropPath(TObject* Obj, const UnicodeString& Path, const TPropInfo*& Info);
bool HasPropPath(TObject* Obj, const UnicodeString& Path);

// Ordinal values (integers, colours, sets as bit masks); nothing when the path leads nowhere.
std::optional<int64_t> GetOrdPath(TObject* Obj, const UnicodeString& Path);
void SetIntPathIfExists(TObject* Obj, const UnicodeString& Path, int64_t Value);
int64_t GetIntPathIfExists(TObject* Obj, const UnicodeString& Path);
// The colour as RGB (system colours resolved), 0 when missing.
TColor GetColorPathIfExists(TObject* Obj, const UnicodeString& Path);

// Whether the set at Path holds the element of that name.
bool SetPathHasElement(TObject* Obj, const UnicodeString& Path, const UnicodeString& Element);
// Adds or removes the element; false when the path, the set or the element is unknown.
bool SetPathElement(TObject* Obj, const UnicodeString& Path, const UnicodeString& Element, bool Include);

// Sets the event at Path to Handler (an empty value clears it); false when there is no such event
// or the handler does not fit it.
bool SetEventPathIfExists(TObject* Obj, const UnicodeString& Path, const std::any& Handler);
