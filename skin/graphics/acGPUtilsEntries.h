#pragma once
// The GDI+ flat functions the library draws with. GDI+ is not linked: the unit's start-up loads
// the library and binds each function by name; a slot stays empty when the library or that one
// export is missing, and every caller tests its slots before use.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <functional>
#include <span>
#include <string>
#include <string_view>

// The bound functions, in binding order. X(qualifier, name).
#define ACGP_ENTRY_TABLE(X)                                                                                    \
    X(Gdiplus::DllExports::, GdipDrawArc)                                                                      \
    X(Gdiplus::DllExports::, GdipFillPie)                                                                      \
    X(Gdiplus::DllExports::, GdipDrawLine)                                                                     \
    X(Gdiplus::DllExports::, GdipCreatePen1)                                                                   \
    X(Gdiplus::, GdiplusStartup)                                                                               \
    X(Gdiplus::, GdiplusShutdown)                                                                              \
    X(Gdiplus::DllExports::, GdipDrawEllipse)                                                                  \
    X(Gdiplus::DllExports::, GdipFillEllipse)                                                                  \
    X(Gdiplus::DllExports::, GdipFillRectangle)                                                                \
    X(Gdiplus::DllExports::, GdipCreateFromHDC)                                                                \
    X(Gdiplus::DllExports::, GdipCreateSolidFill)                                                              \
    X(Gdiplus::DllExports::, GdipSetSmoothingMode)                                                             \
    X(Gdiplus::DllExports::, GdipDrawImageRectRectI)                                                           \
    X(Gdiplus::DllExports::, GdipCreateLineBrush)                                                              \
    X(Gdiplus::DllExports::, GdipSetCompositingMode)                                                           \
    X(Gdiplus::DllExports::, GdipSetCompositingQuality)                                                        \
    X(Gdiplus::DllExports::, GdipDeleteGraphics)                                                               \
    X(Gdiplus::DllExports::, GdipDisposeImage)                                                                 \
    X(Gdiplus::DllExports::, GdipBitmapLockBits)                                                               \
    X(Gdiplus::DllExports::, GdipCreateBitmapFromScan0)                                                        \
    X(Gdiplus::DllExports::, GdipBitmapUnlockBits)                                                             \
    X(Gdiplus::DllExports::, GdipCreatePathGradient)                                                           \
    X(Gdiplus::DllExports::, GdipDeleteBrush)                                                                  \
    X(Gdiplus::DllExports::, GdipDeletePen)                                                                    \
    X(Gdiplus::DllExports::, GdipCreateEffect)                                                                 \
    X(Gdiplus::DllExports::, GdipSetEffectParameters)                                                          \
    X(Gdiplus::DllExports::, GdipBitmapCreateApplyEffect)                                                      \
    X(Gdiplus::DllExports::, GdipCreateBitmapFromHBITMAP)                                                      \
    X(Gdiplus::DllExports::, GdipCreateHBITMAPFromBitmap)                                                      \
    X(Gdiplus::DllExports::, GdipSetPenBrushFill)                                                              \
    X(Gdiplus::DllExports::, GdipSetPathGradientCenterColor)                                                   \
    X(Gdiplus::DllExports::, GdipSetPathGradientSurroundColorsWithCount)                                       \
    X(Gdiplus::DllExports::, GdipNewPrivateFontCollection)                                                     \
    X(Gdiplus::DllExports::, GdipPrivateAddFontFile)                                                           \
    X(Gdiplus::DllExports::, GdipGetFontCollectionFamilyList)                                                  \
    X(Gdiplus::DllExports::, GdipGetFamilyName)                                                                \
    X(Gdiplus::DllExports::, GdipDrawPolygon)                                                                  \
    X(Gdiplus::DllExports::, GdipFillPolygon)                                                                  \
    X(Gdiplus::DllExports::, GdipDrawImagePoints)                                                              \
    X(Gdiplus::DllExports::, GdipDrawBeziers)                                                                  \
    X(Gdiplus::DllExports::, GdipSetInterpolationMode)                                                         \
    X(Gdiplus::DllExports::, GdipCreateStringFormat)                                                           \
    X(Gdiplus::DllExports::, GdipDeleteStringFormat)                                                           \
    X(Gdiplus::DllExports::, GdipCreateFontFromDC)                                                             \
    X(Gdiplus::DllExports::, GdipDeleteFont)                                                                   \
    X(Gdiplus::DllExports::, GdipDrawString)                                                                   \
    X(Gdiplus::DllExports::, GdipSetStringFormatAlign)                                                         \
    X(Gdiplus::DllExports::, GdipSetStringFormatLineAlign)                                                     \
    X(Gdiplus::DllExports::, GdipSetTextRenderingHint)                                                         \
    X(Gdiplus::DllExports::, GdipMeasureString)                                                                \
    X(Gdiplus::DllExports::, GdipSetStringFormatFlags)                                                         \
    X(Gdiplus::DllExports::, GdipTranslateWorldTransform)                                                      \
    X(Gdiplus::DllExports::, GdipRotateWorldTransform)

// Functions that free what the table's functions make but that the table does not hold; bound
// beside it so that effects, font collections and font families are not leaked.
#define ACGP_RELEASE_TABLE(X)                                                                                  \
    X(Gdiplus::DllExports::, GdipDeleteEffect)                                                                 \
    X(Gdiplus::DllExports::, GdipDeletePrivateFontCollection)                                                  \
    X(Gdiplus::DllExports::, GdipDeleteFontFamily)

#define ACGP_DECLARE_SLOT(qualifier, name) decltype(&qualifier name) name = nullptr;

struct TacgpEntries {
    ACGP_ENTRY_TABLE(ACGP_DECLARE_SLOT)
};
struct TacgpReleaseEntries {
    ACGP_RELEASE_TABLE(ACGP_DECLARE_SLOT)
};

#undef ACGP_DECLARE_SLOT

// The bound table (every slot empty before the start-up and after the shut-down).
const TacgpEntries& acgpEntries();
const TacgpReleaseEntries& acgpReleaseEntries();
// The names of the table in binding order, and whether the slot of one of them is filled.
std::span<const std::string_view> acgpEntryNames();
bool acgpEntryBound(std::string_view name);
// The loaded library (null when it is missing) and whether GDI+ has been started.
HMODULE acgpLibrary();
bool acgpStarted();

// Where the start-up takes GDI+ from. Tests replace it to play a system without the library or
// without one of its exports.
struct TacgpLibrarySource {
    std::wstring FileName = L"gdiplus.dll";
    std::function<FARPROC(HMODULE, const char*)> GetProc; // empty: GetProcAddress
};
TacgpLibrarySource& acgpLibrarySource();
