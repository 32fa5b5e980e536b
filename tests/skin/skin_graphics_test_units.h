#pragma once
// Start-up and shut-down of the GDI+ and gradient units around a test (the program runs them once
// at its start), and the path of a file in the build folder.
#include "BuildFolder.h"
#include "Strings.h"
#include "acGPUtils.h"
#include "sGradient.h"

#include <windows.h>

struct GdiplusUnit {
    GdiplusUnit() { acGPUtilsInitialization(); }
    ~GdiplusUnit() { acGPUtilsFinalization(); }
    GdiplusUnit(const GdiplusUnit&) = delete;
    GdiplusUnit& operator=(const GdiplusUnit&) = delete;
};

struct GradientUnits {
    GdiplusUnit gdiplus;
    GradientUnits() { sGradientInitialization(); }
    ~GradientUnits() { sGradientFinalization(); }
    GradientUnits(const GradientUnits&) = delete;
    GradientUnits& operator=(const GradientUnits&) = delete;
};

