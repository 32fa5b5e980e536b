#pragma once
// The library's command message: one private window message whose command code travels in the
// high word of WParam.
#include <windows.h>

inline constexpr UINT SM_ALPHACMD = 0xA100;

// Command codes.
inline constexpr WORD AC_OBJLINK = 55; // low word 1 = link, 0 = unlink; LParam = the object

// WParam of a command: the code in the high word, a value in the low word.
constexpr WPARAM MakeAlphaCmd(WORD command, WORD value = 0)
{
    return static_cast<WPARAM>(static_cast<DWORD>(value) | static_cast<DWORD>(command) << 16);
}
