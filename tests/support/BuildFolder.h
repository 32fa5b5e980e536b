#pragma once
// The path of a file in the build folder (MARLINDO_BUILD), where tests leave pictures for a look.
#include "Strings.h"

#include <windows.h>

inline UnicodeString BuildFolderFile(const wchar_t* name)
{
    wchar_t dir[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"MARLINDO_BUILD", dir, MAX_PATH);
    return (n ? UnicodeString(dir) + L"\\" : UnicodeString()) + name;
}
