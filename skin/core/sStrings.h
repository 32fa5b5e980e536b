#pragma once
// The library's own resource strings (texts of the skin selection). They live in the program's
// string table, so a translated table changes them without a new build.
#include "Strings.h"

// A text of the program's string table, named by its identifier.
struct TacResString {
    int Id;
    // The text; empty when the table has none.
    UnicodeString Text() const;
};

inline constexpr TacResString s_Root{65520};
inline constexpr TacResString s_DirWithSkins{65521};
inline constexpr TacResString s_SelectSkinTitle{65522};
inline constexpr TacResString s_SkinPreview{65523};

// Start-up and shut-down of the unit (they only count).
void sStringsInitialization();
void sStringsFinalization();
