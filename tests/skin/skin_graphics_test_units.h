#pragma once
// Start-up and shut-down of the GDI+ unit around a test (the program runs them once
// at its start), and the path of a file in the build folder.
#include "Strings.h"
#include "acGPUtils.h"

#include <windows.h>

struct GdiplusUnit {
    GdiplusUnit() { acGPUtilsInitialization(); }
    ~GdiplusUnit() { acGPUtilsFinalization(); }
    GdiplusUnit(const GdiplusUnit&) = delete;
    GdiplusUnit& operator=(const GdiplusUnit&) = delete;
};

inline UnicodeString BuildFolderFile(const wchar_t* name)
{
    wchar_t dir[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"MARLINDO_BUILD", dir, MAX_PATH);
    return (n ? UnicodeString(dir) + L"\\" : UnicodeString()) + name;
}
