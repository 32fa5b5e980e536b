#pragma once
// The skin library's toolbox of free routines: Windows-version probes, scale arithmetic,
// rectangle, size and string routines, an INI reader over parsed sections, registry and file
// routines, run-time property access by name, object links and the library's message boxes.
// The only state is the Windows version pair and the entry points bound at start-up.
#include "Controls.h"
#include "Dialogs.h"
#include "Files.h"
#include "Graphics.h"
#include "StringList.h"
#include "Strings.h"
#include "TypInfo.h"
#include "Types.h"
#include "acntTypes.h"
#include "sConst.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Entry points bound at start-up (null until bound; every user tests them)

using TSHGetFileInfoW = DWORD_PTR(WINAPI*)(LPCWSTR, DWORD, SHFILEINFOW*, UINT, UINT);
using TSystemParametersInfoForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
using TIsWow64Process = BOOL(WINAPI*)(HANDLE, PBOOL);
using TIsDebuggerPresent = BOOL(WINAPI*)();

extern TSHGetFileInfoW acSHGetFileInfo;
extern TSystemParametersInfoForDpi acSystemParametersInfoForDpi;
extern TIsWow64Process acIsWow64Process;
extern TIsDebuggerPresent acIsDebuggerPresent;

// ---------------------------------------------------------------------------------------------
// Windows version and system

// Where InitWinVer reads the version: GetVersion's word, and the workstation information's
// version (false when that call fails). Replaceable so the Windows 8+ rule can be tested.
struct TWinVerSources {
    DWORD (*GetVersion)() = nullptr;
    bool (*WorkstationVersion)(DWORD& major, DWORD& minor) = nullptr;
};
// Null restores the system's sources.
void SetWinVerSources(const TWinVerSources* sources);

// Fills the version pair: GetVersion's, replaced by the workstation information's on Windows 8
// and later (where GetVersion says 6.2 whatever the real version).
void InitWinVer();
int WinMajorVer(); // runs InitWinVer first while the pair is still 0
bool IsWinVistaUp();
bool IsWin8Up();
bool IsWin10Up();
// The run-time library's view of Windows (GetVersionEx) is 5.1 or later.
bool IsNTFamily();
bool IsWOW64Proc();
// True also when IsDebuggerPresent is not bound.
bool IsIDERunning();
// The system's minimize and restore animation switch. Setting it changes it for the session only
// (the user's profile keeps its value).
bool acGetAnimation();
void acSetAnimation(bool value);
// Test seam: while set, the two calls above read and write through these instead of the system
// (so no test changes the machine's setting); empty functions restore the system.
struct TacAnimationAccess {
    std::function<bool()> Get;
    std::function<void(bool)> Set;
};
void SetAnimationAccess(TacAnimationAccess access);
// Min(-11, the caption font height of the non-client metrics for ppi); 0 when unreadable.
int GetCaptionFontSize(int ppi);
// A new caption font for ppi (the caller deletes it); null on failure.
HFONT acGetTitleFont(int ppi);
// Loads shell32 once and binds SHGetFileInfoW into acSHGetFileInfo.
void InitSysProc();
// Unbinds acSHGetFileInfo and frees shell32 when InitSysProc loaded it.
void DoneSysProc();
// Start-up: the version pair, the entry points of kernel32, shell32 and user32, and
// x64woAero. The shut-down unbinds the entries and frees the libraries the start-up loaded.
void acntUtilsInitialization();
void acntUtilsFinalization();

// ---------------------------------------------------------------------------------------------
// Scaling

// Value at scale level 0..3 (100, 125, 150, 200 %); division truncates toward zero.
int ScaleInteger(int value, int scaleIndex);
int ScalePPI(int value, int ppi);
int PPIToIndex(int ppi);
TRect PaddingToRect(const TacPadding* padding, int ppi);
int SumTrans(int value, int transparency);

// ---------------------------------------------------------------------------------------------
// Integers and choices

template <class T>
T iff(bool condition, T a, T b)
{
    return condition ? a : b;
}
inline int Maxi(int a, int b) { return a > b ? a : b; }
inline int Mini(int a, int b) { return a < b ? a : b; }
// The lower bound is checked first.
inline int LimitIt(int value, int min, int max) { return value < min ? min : value > max ? max : value; }
inline void ChangeI(int& a, int& b) { std::swap(a, b); }
bool Between(int value, int a, int b, bool anyOrder = false);
inline bool IsValidIndex(int index, int count, int min = 0) { return index >= min && index < count; }

// ---------------------------------------------------------------------------------------------
// Rectangles, sizes and points

constexpr TRect MkRect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }
// (0, 0, Width, Height).
TRect MkRect(const TBitmap* bitmap);
TRect MkRect(const TControl* control);
constexpr TRect MkRect(const TSize& size) { return {0, 0, size.cx, size.cy}; }
// Width and height first: (left, top, left + width, top + height).
constexpr TRect MkRectWH(int width, int height, int left = 0, int top = 0)
{
    return {left, top, left + width, top + height};
}
TSize MkSize(const TBitmap* bitmap);
constexpr TSize MkSize(const TRect& rect) { return {rect.Right - rect.Left, rect.Bottom - rect.Top}; }
constexpr TSize MkSize(int cx, int cy) { return {cx, cy}; }
constexpr TPoint MkPoint(int x, int y) { return {x, y}; }
TPoint MkPoint(const TControl* control);
// Without canBeNegative a negative extent is 0.
constexpr int WidthOf(const TRect& r, bool canBeNegative = false)
{
    const int w = r.Right - r.Left;
    return canBeNegative || w > 0 ? w : 0;
}
constexpr int HeightOf(const TRect& r, bool canBeNegative = false)
{
    const int h = r.Bottom - r.Top;
    return canBeNegative || h > 0 ? h : 0;
}
constexpr TRect OffsRect(const TRect& r, int d) { return {r.Left + d, r.Top + d, r.Right + d, r.Bottom + d}; }
constexpr TRect OffsRect(const TRect& r, int dx, int dy)
{
    return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}
bool RectIsVisible(const TRect& clip, const TRect& r);
// Outer's right and bottom edges count as inside. full: both corners of inner lie in outer;
// otherwise inner overlaps outer.
bool RectInRect(const TRect& outer, const TRect& inner, bool full = true);
// transpose: (Top, Left, Bottom, Right); else a quarter turn inside a box of that height.
TRect RotateRect(const TRect& r, bool transpose, int height);
// May come out empty or inverted.
TRect RectsAnd(const TRect& a, const TRect& b);
TRect SumRects(const TRect& a, const TRect& b);
void AddPadding(TRect& r, const TRect& padding);
void ReflectRect(TRect& r, int width, int height, bool horizontal);
void ReflectRect(TRect& r, const TRect& bounds, bool horizontal);

// ---------------------------------------------------------------------------------------------
// Records and messages

TCacheInfo MakeCacheInfo(TBitmap* bmp, int x = 0, int y = 0);
TMessage MakeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT result);
void InitBlendData(BLENDFUNCTION& blend, std::uint8_t alpha);
// Link or unlink an object and a control (library command AC_OBJLINK).
void AddObjLink(TObject* obj, TControl* control);
void DelObjLink(TObject* obj, TControl* control);
// Unlinks obj from every control of the list.
void DelObjLink(TObject* obj, const std::vector<TControl*>& list);
void DelLinkFromList(TObject* obj, const std::vector<TControl*>& list);
void AddObjToList(TObject* obj, std::vector<TObject*>& list);

// ---------------------------------------------------------------------------------------------
// Words and strings. A word is a maximal run of characters not in the delimiter set;
// positions and word numbers are 1-based. The 8-bit forms carry the plain names.

bool acCharIn(wchar_t ch, std::wstring_view set);
int acWordPosition(int n, std::wstring_view s, std::wstring_view delims);
int WordPosition(int n, std::string_view s, std::string_view delims);
UnicodeString acExtractWord(int n, std::wstring_view s, std::wstring_view delims);
AnsiString ExtractWord(int n, std::string_view s, std::string_view delims);
int acWordCount(std::wstring_view s, std::wstring_view delims);
int WordCount(std::string_view s, std::string_view delims);
// The number of the word in s, 0 when absent.
int GetWordNumber(std::wstring_view word, std::wstring_view s, std::wstring_view delims);
// The text from pos to the next delimiter; pos moves behind that delimiter.
AnsiString ExtractSubStr(std::string_view s, int& pos, std::string_view delims);
// s holds only characters of chars.
bool IsEmptyStr(std::string_view s, std::string_view chars);
AnsiString MakeStr(char ch, int n);
void acFillString(UnicodeString& s, int n, wchar_t ch);
// s padded on the left with ch to length n.
AnsiString AddChar(char ch, const AnsiString& s, int n);
UnicodeString DelRSpace(const UnicodeString& s);
UnicodeString DelBSpace(const UnicodeString& s);
UnicodeString DelESpace(const UnicodeString& s);
UnicodeString DelChars(const UnicodeString& s, wchar_t ch);
// Every occurrence replaced; the scan goes on behind each replacement.
UnicodeString ReplaceStr(const UnicodeString& s, std::wstring_view oldPattern, std::wstring_view newPattern);
bool acSameText(std::wstring_view a, std::wstring_view b);
// Upper-cases, drops one trailing "H", reads hex digits up to the first other character.
int HexToInt(std::string_view s);
// Only number characters and the locale's decimal separator, and the text converts.
bool IsValidFloat(const UnicodeString& s, double& value);
// Rebuilds the integer part, with the locale's thousands separator when thousandSep is set.
UnicodeString FormatFloatStr(const UnicodeString& s, bool thousandSep);

// ---------------------------------------------------------------------------------------------
// INI text over parsed sections

// sections gets one owned TStringList per "[name]" line of lines, holding the section's lines;
// empty lines, ";" comments and lines before the first section are dropped.
void GetIniSections(const TStrings& lines, TStringList& sections);
// The text behind "key=" of the first such line of the section, else defaultValue.
UnicodeString ReadIniString(const TStrings& lines, const TStringList& sections, const UnicodeString& section,
                            const UnicodeString& key, const UnicodeString& defaultValue);
// "0x..." (longer than 2 characters) is hexadecimal, anything else decimal.
int ReadIniInteger(const TStrings& lines, const TStringList& sections, const UnicodeString& section,
                   const UnicodeString& key, int defaultValue);
// 0 when the key or value is missing or the key cannot be opened for reading.
int ReadRegInt(HKEY root, const UnicodeString& key, const UnicodeString& name);

// ---------------------------------------------------------------------------------------------
// Run-time properties by name (HasProperty, GetObjProp, GetIntProp, SetIntProp: TypInfo.h)

// The set property's text form holds element.
bool CheckSetProp(TObject* obj, const UnicodeString& propName, const UnicodeString& element);
void SetSetPropValue(TObject* obj, const UnicodeString& propName, const UnicodeString& element, bool include);

// ---------------------------------------------------------------------------------------------
// Files and directories

// With a trailing "\" ("C" becomes "C:\"); unchanged when empty or ending in "\" or "/".
UnicodeString NormalDir(const UnicodeString& dir);
bool acDirExists(const UnicodeString& dir);
bool ValidFileName(const UnicodeString& name);
UnicodeString ShortToLongFileName(const UnicodeString& shortName);
UnicodeString LongToShortFileName(const UnicodeString& longName);
UnicodeString ShortToLongPath(const UnicodeString& shortPath);
UnicodeString LongToShortPath(const UnicodeString& longPath);
bool acCreateDir(const UnicodeString& dir);
bool acRemoveDir(const UnicodeString& dir);
bool acSetCurrentDir(const UnicodeString& dir);
bool acDeleteFile(const UnicodeString& fileName);
bool acCopyFile(const UnicodeString& src, const UnicodeString& dst, bool failIfExists);
bool acFileSetAttr(const UnicodeString& fileName, DWORD attr);
// 0 when an entry was found.
int acFindFirst(const UnicodeString& mask, int attr, TSearchRec& searchRec);
int acFindNext(TSearchRec& searchRec);
void acFindClose(TSearchRec& searchRec);
HANDLE acFindFirstFile(const UnicodeString& mask, WIN32_FIND_DATAW& data);
bool acFindNextFile(HANDLE find, WIN32_FIND_DATAW& data);
// Empties dir recursively and, with deleteDir, removes it (and its sub-directories); true when
// every step succeeded.
bool ClearDir(const UnicodeString& dir, bool deleteDir);
// The executable's directory with a trailing backslash.
UnicodeString GetAppPath();
// The shell icon of an existing file; null when the file is missing or the shell entry point
// is not bound.
std::unique_ptr<TIcon> GetIconForFile(const UnicodeString& fileName, bool small);

// ---------------------------------------------------------------------------------------------
// Message boxes and waiting

void ShowWarning(const UnicodeString& text);
void ShowError(const UnicodeString& text);
// Yes and No; true on Yes.
bool CustomRequest(const UnicodeString& text);
void Alert();
void Alert(const UnicodeString& text);
void Alert(int number);
// Handles the application's messages until ms milliseconds have passed.
void Delay(DWORD ms);
// Yields the processor until count ticks have passed since start.
void WaitTicks(DWORD start, DWORD count);
