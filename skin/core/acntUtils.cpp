#include "acntUtils.h"

#include "Forms.h"
#include "SysUtils.h"
#include "acUnitCounter.h"
#include "sDialogs.h"
#include "sSkinProvider.h"
#include "sMessages.h"
#include "sVclUtils.h"

#include <lm.h>

#include <cwctype>
#include <string>

TSHGetFileInfoW acSHGetFileInfo = nullptr;
TSystemParametersInfoForDpi acSystemParametersInfoForDpi = nullptr;
TIsWow64Process acIsWow64Process = nullptr;
TIsDebuggerPresent acIsDebuggerPresent = nullptr;

namespace {

// Function pointers from GetProcAddress; through void* so the cast names no FARPROC signature.
template <class F>
F BindProc(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

DWORD SystemGetVersion() { return ::GetVersion(); }

bool SystemWorkstationVersion(DWORD& major, DWORD& minor)
{
    WKSTA_INFO_100* info = nullptr;
    if (NetWkstaGetInfo(nullptr, 100, reinterpret_cast<LPBYTE*>(&info)) != NERR_Success || !info) return false;
    major = info->wki100_ver_major;
    minor = info->wki100_ver_minor;
    NetApiBufferFree(info);
    return true;
}

TWinVerSources& WinVerSources()
{
    static TWinVerSources sources{&SystemGetVersion, &SystemWorkstationVersion};
    return sources;
}

DWORD winMajor = 0;
DWORD winMinor = 0;

// The run-time library's view of the Windows version (GetVersionEx, which follows the
// program's manifest), read once.
const OSVERSIONINFOW& RtlVersion()
{
    static const OSVERSIONINFOW info = [] {
        OSVERSIONINFOW v{};
        v.dwOSVersionInfoSize = sizeof(v);
        GetVersionExW(&v);
        return v;
    }();
    return info;
}

bool RtlVersionAtLeast(DWORD major, DWORD minor)
{
    const OSVERSIONINFOW& v = RtlVersion();
    return v.dwMajorVersion > major || (v.dwMajorVersion == major && v.dwMinorVersion >= minor);
}

void EnsureWinVer()
{
    if (winMajor == 0) InitWinVer();
}

bool ReadNonClientMetrics(int ppi, NONCLIENTMETRICSW& metrics)
{
    metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (acSystemParametersInfoForDpi && RtlVersionAtLeast(6, 3) &&
        acSystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, static_cast<UINT>(ppi)))
        return true;
    return SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0) != FALSE;
}

HMODULE shell32Module = nullptr;

// ---- words

template <class C>
bool InSet(C ch, std::basic_string_view<C> set)
{
    return set.find(ch) != std::basic_string_view<C>::npos;
}

template <class C>
int WordPositionOf(int n, std::basic_string_view<C> s, std::basic_string_view<C> delims)
{
    const int length = static_cast<int>(s.size());
    int count = 0;
    int i = 0; // 0-based scan position
    while (i < length && count != n) {
        while (i < length && InSet(s[i], delims)) ++i;
        if (i < length) ++count;
        if (count != n) {
            while (i < length && !InSet(s[i], delims)) ++i;
        } else {
            return i + 1;
        }
    }
    return 0;
}

template <class C>
std::basic_string<C> ExtractWordOf(int n, std::basic_string_view<C> s, std::basic_string_view<C> delims)
{
    const int start = WordPositionOf(n, s, delims);
    if (start == 0) return {};
    size_t end = static_cast<size_t>(start - 1);
    while (end < s.size() && !InSet(s[end], delims)) ++end;
    return std::basic_string<C>(s.substr(static_cast<size_t>(start - 1), end - static_cast<size_t>(start - 1)));
}

template <class C>
int WordCountOf(std::basic_string_view<C> s, std::basic_string_view<C> delims)
{
    int count = 0;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && InSet(s[i], delims)) ++i;
        if (i < s.size()) ++count;
        while (i < s.size() && !InSet(s[i], delims)) ++i;
    }
    return count;
}

// Converts each element of a path through a directory search.
UnicodeString ConvertPathElements(const UnicodeString& path, bool toLong)
{
    if (path.empty()) return path;
    std::vector<UnicodeString> elements;
    size_t start = 0;
    for (;;) {
        const size_t next = path.find(L'\\', start);
        elements.push_back(path.substr(start, next == UnicodeString::npos ? UnicodeString::npos : next - start));
        if (next == UnicodeString::npos) break;
        start = next + 1;
    }
    UnicodeString result = elements[0]; // drive ("C:") or empty for a rooted or UNC path
    size_t first = 1;
    if (result.empty() && elements.size() > 3 && elements[1].empty()) { // \\server\share
        result = L"\\\\" + elements[2] + L"\\" + elements[3];
        first = 4;
    }
    bool searching = true;
    for (size_t i = first; i < elements.size(); ++i) {
        const UnicodeString& element = elements[i];
        UnicodeString name = element;
        if (searching && !element.empty() && element != L"." && element != L"..") {
            WIN32_FIND_DATAW data;
            HANDLE find = FindFirstFileW((result + L"\\" + element).c_str(), &data);
            if (find != INVALID_HANDLE_VALUE) {
                name = toLong || data.cAlternateFileName[0] == 0 ? data.cFileName : data.cAlternateFileName;
                FindClose(find);
            } else {
                searching = false; // the rest does not exist: keep it as given
            }
        }
        result += L"\\" + name;
    }
    return result;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Windows version and system

void SetWinVerSources(const TWinVerSources* sources)
{
    WinVerSources() = sources ? *sources : TWinVerSources{&SystemGetVersion, &SystemWorkstationVersion};
}

void InitWinVer()
{
    const TWinVerSources& sources = WinVerSources();
    const DWORD version = sources.GetVersion ? sources.GetVersion() : 0;
    winMajor = LOBYTE(LOWORD(version));
    winMinor = HIBYTE(LOWORD(version));
    if (winMajor > 6 || (winMajor == 6 && winMinor > 1)) {
        DWORD major = 0;
        DWORD minor = 0;
        if (sources.WorkstationVersion && sources.WorkstationVersion(major, minor)) {
            winMajor = major;
            winMinor = minor;
        }
    }
}

int WinMajorVer()
{
    EnsureWinVer();
    return static_cast<int>(winMajor);
}

bool IsWinVistaUp()
{
    EnsureWinVer();
    return winMajor >= 6;
}

bool IsWin8Up()
{
    EnsureWinVer();
    return winMajor > 6 || (winMajor == 6 && winMinor > 1);
}

bool IsWin10Up()
{
    EnsureWinVer();
    return winMajor >= 10;
}

bool IsNTFamily() { return RtlVersionAtLeast(5, 1); }

bool IsWOW64Proc()
{
    BOOL wow64 = FALSE;
    return acIsWow64Process && acIsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

bool IsIDERunning() { return !acIsDebuggerPresent || acIsDebuggerPresent(); }

namespace {

TacAnimationAccess animationAccess;

} // namespace

void SetAnimationAccess(TacAnimationAccess access) { animationAccess = std::move(access); }

bool acGetAnimation()
{
    if (animationAccess.Get) return animationAccess.Get();
    ANIMATIONINFO info{sizeof(ANIMATIONINFO), 0};
    SystemParametersInfoW(SPI_GETANIMATION, sizeof(info), &info, 0);
    return info.iMinAnimate != 0;
}

void acSetAnimation(bool value)
{
    if (animationAccess.Set) {
        animationAccess.Set(value);
        return;
    }
    ANIMATIONINFO info{sizeof(ANIMATIONINFO), value ? 1 : 0};
    SystemParametersInfoW(SPI_SETANIMATION, sizeof(info), &info, 0);
}

int GetCaptionFontSize(int ppi)
{
    NONCLIENTMETRICSW metrics;
    if (!ReadNonClientMetrics(ppi, metrics)) return 0;
    return std::min<int>(-11, metrics.lfCaptionFont.lfHeight);
}

HFONT acGetTitleFont(int ppi)
{
    NONCLIENTMETRICSW metrics;
    if (!ReadNonClientMetrics(ppi, metrics)) return nullptr;
    return CreateFontIndirectW(&metrics.lfCaptionFont);
}

void InitSysProc()
{
    if (acSHGetFileInfo) return;
    if (!shell32Module) shell32Module = LoadLibraryW(L"shell32.dll");
    acSHGetFileInfo = BindProc<TSHGetFileInfoW>(shell32Module, "SHGetFileInfoW");
}

void DoneSysProc()
{
    acSHGetFileInfo = nullptr;
    if (shell32Module) {
        FreeLibrary(shell32Module);
        shell32Module = nullptr;
    }
}

namespace {
TacUnitCounter unitCounter;
HMODULE kernel32Module = nullptr;
HMODULE user32Module = nullptr;

void FreeLoadedLibrary(HMODULE& module)
{
    if (module) FreeLibrary(module);
    module = nullptr;
}
} // namespace

void acntUtilsInitialization()
{
    if (!unitCounter.StartUp()) return;
    InitWinVer();
    if (!kernel32Module) kernel32Module = LoadLibraryW(L"kernel32.dll");
    if (!acIsDebuggerPresent) acIsDebuggerPresent = BindProc<TIsDebuggerPresent>(kernel32Module, "IsDebuggerPresent");
    acIsWow64Process = BindProc<TIsWow64Process>(kernel32Module, "IsWow64Process");
    if (IsWOW64Proc() && !AeroIsEnabled()) x64woAero = true;
    InitSysProc();
    user32Module = LoadLibraryW(L"user32.dll");
    acSystemParametersInfoForDpi = BindProc<TSystemParametersInfoForDpi>(user32Module, "SystemParametersInfoForDpi");
}

void acntUtilsFinalization()
{
    if (!unitCounter.ShutDown()) return;
    // The entries die with their libraries.
    acIsDebuggerPresent = nullptr;
    acIsWow64Process = nullptr;
    acSystemParametersInfoForDpi = nullptr;
    FreeLoadedLibrary(kernel32Module);
    DoneSysProc();
    FreeLoadedLibrary(user32Module);
}

// ---------------------------------------------------------------------------------------------
// Scaling

int ScaleInteger(int value, int scaleIndex)
{
    switch (scaleIndex) {
    case 1: return value + value / 4;
    case 2: return value + value / 2;
    case 3: return value * 2;
    default: return value;
    }
}

int ScalePPI(int value, int ppi) { return value * ppi / 96; }

int PPIToIndex(int ppi)
{
    if (ppi < 111) return 0;
    if (ppi <= 134) return 1;
    if (ppi <= 170) return 2;
    return 3;
}

TRect PaddingToRect(const TacPadding* padding, int ppi)
{
    if (!padding) return {};
    return {padding->Left() * ppi / 96, padding->Top() * ppi / 96, padding->Right() * ppi / 96,
            padding->Bottom() * ppi / 96};
}

int SumTrans(int value, int transparency)
{
    return static_cast<int>(Round(static_cast<long double>(value) / 100 * (100 - transparency) + transparency));
}

bool Between(int value, int a, int b, bool anyOrder)
{
    if (anyOrder && b <= a) std::swap(a, b);
    return a <= value && value <= b;
}

// ---------------------------------------------------------------------------------------------
// Rectangles, sizes and points

TRect MkRect(const TBitmap* bitmap) { return bitmap ? TRect(0, 0, bitmap->Width(), bitmap->Height()) : TRect(); }

TRect MkRect(const TControl* control)
{
    return control ? TRect(0, 0, control->Width(), control->Height()) : TRect();
}

TSize MkSize(const TBitmap* bitmap) { return bitmap ? TSize(bitmap->Width(), bitmap->Height()) : TSize(); }

TPoint MkPoint(const TControl* control) { return control ? TPoint(control->Left(), control->Top()) : TPoint(); }

bool RectIsVisible(const TRect& clip, const TRect& r)
{
    return !r.IsEmpty() && r.Left < clip.Right && r.Right > clip.Left && r.Top < clip.Bottom && r.Bottom > clip.Top;
}

bool RectInRect(const TRect& outer, const TRect& inner, bool full)
{
    const TRect o(outer.Left, outer.Top, outer.Right + 1, outer.Bottom + 1);
    if (full) return o.Contains(inner.TopLeft()) && o.Contains(inner.BottomRight());
    return inner.Left < o.Right && inner.Right > o.Left && inner.Top < o.Bottom && inner.Bottom > o.Top;
}

TRect RotateRect(const TRect& r, bool transpose, int height)
{
    if (transpose) return {r.Top, r.Left, r.Bottom, r.Right};
    return {r.Top, height - r.Right, r.Bottom, height - r.Left};
}

TRect RectsAnd(const TRect& a, const TRect& b)
{
    return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
}

TRect SumRects(const TRect& a, const TRect& b)
{
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
            std::max(a.Bottom, b.Bottom)};
}

void AddPadding(TRect& r, const TRect& padding)
{
    r.Left += padding.Left;
    r.Top += padding.Top;
    r.Right -= padding.Right;
    r.Bottom -= padding.Bottom;
}

void ReflectRect(TRect& r, int width, int height, bool horizontal)
{
    if (horizontal) r = {width - r.Right, r.Top, width - r.Left, r.Bottom};
    else r = {r.Left, height - r.Bottom, r.Right, height - r.Top};
}

void ReflectRect(TRect& r, const TRect& bounds, bool horizontal)
{
    if (horizontal)
        r = {bounds.Left + bounds.Right - r.Right, r.Top, bounds.Right - (r.Left - bounds.Left), r.Bottom};
    else
        r = {r.Left, bounds.Top + bounds.Bottom - r.Bottom, r.Right, bounds.Bottom - (r.Top - bounds.Top)};
}

// ---------------------------------------------------------------------------------------------
// Records and messages

TCacheInfo MakeCacheInfo(TBitmap* bmp, int x, int y) { return {bmp, x, y, sFuchsia, TRect(), true}; }

TMessage MakeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT result)
{
    TMessage message;
    message.Msg = msg;
    message.WParam = wParam;
    message.LParam = lParam;
    message.Result = result;
    return message;
}

void InitBlendData(BLENDFUNCTION& blend, std::uint8_t alpha)
{
    blend.BlendOp = AC_SRC_OVER;
    blend.BlendFlags = 0;
    blend.SourceConstantAlpha = alpha;
    blend.AlphaFormat = AC_SRC_ALPHA;
}

void AddObjLink(TObject* obj, TControl* control)
{
    TrySendMessage(control, SM_ALPHACMD, MakeAlphaCmd(AC_OBJLINK, 1), reinterpret_cast<LPARAM>(obj));
}

void DelObjLink(TObject* obj, TControl* control)
{
    TrySendMessage(control, SM_ALPHACMD, MakeAlphaCmd(AC_OBJLINK, 0), reinterpret_cast<LPARAM>(obj));
}

void DelObjLink(TObject* obj, const std::vector<TControl*>& list)
{
    for (TControl* control : list) DelObjLink(obj, control);
}

void DelLinkFromList(TObject* obj, const std::vector<TControl*>& list) { DelObjLink(obj, list); }

void AddObjToList(TObject* obj, std::vector<TObject*>& list)
{
    if (std::find(list.begin(), list.end(), obj) == list.end()) list.push_back(obj);
}

// ---------------------------------------------------------------------------------------------
// Words and strings

bool acCharIn(wchar_t ch, std::wstring_view set) { return InSet(ch, set); }
int acWordPosition(int n, std::wstring_view s, std::wstring_view delims) { return WordPositionOf(n, s, delims); }
int WordPosition(int n, std::string_view s, std::string_view delims) { return WordPositionOf(n, s, delims); }
UnicodeString acExtractWord(int n, std::wstring_view s, std::wstring_view delims)
{
    return ExtractWordOf(n, s, delims);
}
AnsiString ExtractWord(int n, std::string_view s, std::string_view delims) { return ExtractWordOf(n, s, delims); }
int acWordCount(std::wstring_view s, std::wstring_view delims) { return WordCountOf(s, delims); }
int WordCount(std::string_view s, std::string_view delims) { return WordCountOf(s, delims); }

int GetWordNumber(std::wstring_view word, std::wstring_view s, std::wstring_view delims)
{
    const int count = WordCountOf(s, delims);
    for (int n = 1; n <= count; ++n)
        if (ExtractWordOf(n, s, delims) == word) return n;
    return 0;
}

AnsiString ExtractSubStr(std::string_view s, int& pos, std::string_view delims)
{
    const int length = static_cast<int>(s.size());
    if (pos < 1) pos = 1;
    int i = pos;
    while (i <= length && !InSet(s[static_cast<size_t>(i - 1)], delims)) ++i;
    AnsiString result(pos <= length ? s.substr(static_cast<size_t>(pos - 1), static_cast<size_t>(i - pos)) : "");
    if (i <= length && InSet(s[static_cast<size_t>(i - 1)], delims)) ++i;
    pos = i;
    return result;
}

bool IsEmptyStr(std::string_view s, std::string_view chars)
{
    for (char c : s)
        if (!InSet(c, chars)) return false;
    return true;
}

AnsiString MakeStr(char ch, int n) { return n > 0 ? AnsiString(static_cast<size_t>(n), ch) : AnsiString(); }

void acFillString(UnicodeString& s, int n, wchar_t ch) { s.assign(n > 0 ? static_cast<size_t>(n) : 0, ch); }

AnsiString AddChar(char ch, const AnsiString& s, int n)
{
    const int length = static_cast<int>(s.size());
    return length < n ? MakeStr(ch, n - length) + s : s;
}

UnicodeString DelRSpace(const UnicodeString& s)
{
    const size_t last = s.find_last_not_of(L' ');
    return last == UnicodeString::npos ? UnicodeString() : s.substr(0, last + 1);
}

UnicodeString DelBSpace(const UnicodeString& s)
{
    const size_t first = s.find_first_not_of(L' ');
    return first == UnicodeString::npos ? UnicodeString() : s.substr(first);
}

UnicodeString DelESpace(const UnicodeString& s) { return DelBSpace(DelRSpace(s)); }

UnicodeString DelChars(const UnicodeString& s, wchar_t ch)
{
    UnicodeString result;
    result.reserve(s.size());
    for (wchar_t c : s)
        if (c != ch) result += c;
    return result;
}

UnicodeString ReplaceStr(const UnicodeString& s, std::wstring_view oldPattern, std::wstring_view newPattern)
{
    if (oldPattern.empty()) return s;
    UnicodeString result;
    size_t from = 0;
    for (;;) {
        const size_t at = s.find(oldPattern, from);
        if (at == UnicodeString::npos) break;
        result.append(s, from, at - from);
        result.append(newPattern);
        from = at + oldPattern.size();
    }
    result.append(s, from, UnicodeString::npos);
    return result;
}

bool acSameText(std::wstring_view a, std::wstring_view b) { return SameText(a, b); }

int HexToInt(std::string_view s)
{
    AnsiString text = UpperCase(AnsiString(s));
    if (!text.empty() && text.back() == 'H') text.pop_back();
    std::uint64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else break;
        value = value * 16 + static_cast<std::uint64_t>(digit);
    }
    return static_cast<int>(static_cast<std::uint32_t>(value));
}

bool IsValidFloat(const UnicodeString& s, double& value)
{
    UnicodeString allowed = L"0123456789+-Ee";
    allowed += FormatSettings.DecimalSeparator;
    for (wchar_t c : s)
        if (!InSet(c, std::wstring_view(allowed))) return false;
    return TryStrToFloat(s.substr(0, 127), value, FormatSettings);
}

UnicodeString FormatFloatStr(const UnicodeString& s, bool thousandSep)
{
    size_t start = 0;
    UnicodeString sign;
    if (!s.empty() && (s[0] == L'-' || s[0] == L'+')) {
        sign = s.substr(0, 1);
        start = 1;
    }
    size_t end = std::min(s.find(FormatSettings.DecimalSeparator, start), s.find(L'E', start));
    if (end == UnicodeString::npos) end = s.size();
    UnicodeString integerPart;
    int digits = 0;
    for (size_t i = end; i-- > start;) {
        if (thousandSep && digits > 0 && digits % 3 == 0) integerPart.insert(0, 1, FormatSettings.ThousandSeparator);
        integerPart.insert(0, 1, s[i]);
        ++digits;
    }
    return sign + integerPart + s.substr(end);
}

// ---------------------------------------------------------------------------------------------
// INI text over parsed sections

void GetIniSections(const TStrings& lines, TStringList& sections)
{
    sections.Clear();
    sections.SetOwnsObjects(true);
    sections.SetCaseSensitive(true);
    TStringList* current = nullptr;
    for (int i = 0; i < lines.Count(); ++i) {
        const UnicodeString line = lines.Strings(i);
        if (line.empty() || line[0] == L';') continue;
        if (line.size() >= 2 && line.front() == L'[' && line.back() == L']') {
            auto list = std::make_unique<TStringList>();
            current = list.get();
            sections.AddObject(line.substr(1, line.size() - 2), list.release());
        } else if (current) {
            current->Add(line);
        }
    }
}

UnicodeString ReadIniString(const TStrings&, const TStringList& sections, const UnicodeString& section,
                            const UnicodeString& key, const UnicodeString& defaultValue)
{
    const int index = sections.IndexOf(section);
    if (index < 0) return defaultValue;
    const auto* list = dynamic_cast<const TStringList*>(sections.Objects(index));
    if (!list) return defaultValue;
    for (int i = 0; i < list->Count(); ++i) {
        const UnicodeString line = list->Strings(i);
        const size_t equals = line.find(L'=');
        if (equals != UnicodeString::npos && line.compare(0, equals, key) == 0) return line.substr(equals + 1);
    }
    return defaultValue;
}

int ReadIniInteger(const TStrings& lines, const TStringList& sections, const UnicodeString& section,
                   const UnicodeString& key, int defaultValue)
{
    const UnicodeString text = ReadIniString(lines, sections, section, key, UnicodeString());
    TIntegerText parts;
    long long value = 0;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        if (TryParseIntegerText(L"$" + text.substr(2), parts) && parts.Hex && TryIntegerValue(parts, 32, value))
            return static_cast<int>(value);
        return defaultValue;
    }
    if (TryParseIntegerText(text, parts) && !parts.Hex && TryIntegerValue(parts, 32, value))
        return static_cast<int>(value);
    return defaultValue;
}

int ReadRegInt(HKEY root, const UnicodeString& key, const UnicodeString& name)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return 0;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    const LONG rc = RegQueryValueExW(handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(handle);
    return rc == ERROR_SUCCESS && type == REG_DWORD ? static_cast<int>(value) : 0;
}

// ---------------------------------------------------------------------------------------------
// Run-time properties by name

namespace {

std::vector<UnicodeString> SetElements(const UnicodeString& text)
{
    std::vector<UnicodeString> elements;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = text.find(L',', start);
        const UnicodeString element = Trim(text.substr(start, comma == UnicodeString::npos ? UnicodeString::npos
                                                                                           : comma - start));
        if (!element.empty()) elements.push_back(element);
        if (comma == UnicodeString::npos) break;
        start = comma + 1;
    }
    return elements;
}

bool ReadSetText(TObject* obj, const UnicodeString& propName, UnicodeString& text)
{
    const TPropInfo* info = obj ? GetPropInfo(obj, propName) : nullptr;
    if (!info || info->Kind != pkSet) return false;
    text = GetPropValue(obj, propName);
    return true;
}

} // namespace

bool CheckSetProp(TObject* obj, const UnicodeString& propName, const UnicodeString& element)
{
    UnicodeString text;
    if (!ReadSetText(obj, propName, text)) return false;
    for (const UnicodeString& e : SetElements(text))
        if (SameText(e, element)) return true;
    return false;
}

void SetSetPropValue(TObject* obj, const UnicodeString& propName, const UnicodeString& element, bool include)
{
    UnicodeString text;
    if (!ReadSetText(obj, propName, text)) return;
    const bool present = CheckSetProp(obj, propName, element);
    if (include) {
        if (present) return;
        text = element + L"," + text;
    } else {
        if (!present) return;
        UnicodeString rest;
        for (const UnicodeString& e : SetElements(text))
            if (!SameText(e, element)) rest += e + L",";
        text = rest;
    }
    SetPropValue(obj, propName, text);
}

// ---------------------------------------------------------------------------------------------
// Files and directories

UnicodeString NormalDir(const UnicodeString& dir)
{
    if (dir.empty() || dir.back() == L'\\' || dir.back() == L'/') return dir;
    return dir.size() == 1 ? dir + L":\\" : dir + L"\\";
}

bool acDirExists(const UnicodeString& dir)
{
    if (dir.empty()) return false;
    // A missing floppy or card reader must not bring up a system error box.
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    bool exists;
    UnicodeString path = dir;
    if (path.size() == 2 && path[1] == L':') path += L'\\';
    if (path.size() == 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) {
        HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        exists = h != INVALID_HANDLE_VALUE;
        if (exists) CloseHandle(h);
    } else {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        exists = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    SetErrorMode(oldMode);
    return exists;
}

bool ValidFileName(const UnicodeString& name)
{
    if (name.empty() || name.find_first_of(L"<>\"|*?/") != UnicodeString::npos) return false;
    return ExtractFileName(name).find(L'\\') == UnicodeString::npos;
}

UnicodeString ShortToLongFileName(const UnicodeString& shortName) { return ConvertPathElements(shortName, true); }
UnicodeString LongToShortFileName(const UnicodeString& longName) { return ConvertPathElements(longName, false); }
UnicodeString ShortToLongPath(const UnicodeString& shortPath) { return ConvertPathElements(shortPath, true); }
UnicodeString LongToShortPath(const UnicodeString& longPath) { return ConvertPathElements(longPath, false); }

bool acCreateDir(const UnicodeString& dir) { return CreateDirectoryW(dir.c_str(), nullptr) != FALSE; }
bool acRemoveDir(const UnicodeString& dir) { return RemoveDirectoryW(dir.c_str()) != FALSE; }
bool acSetCurrentDir(const UnicodeString& dir) { return SetCurrentDirectoryW(dir.c_str()) != FALSE; }
bool acDeleteFile(const UnicodeString& fileName) { return DeleteFileW(fileName.c_str()) != FALSE; }

bool acCopyFile(const UnicodeString& src, const UnicodeString& dst, bool failIfExists)
{
    return CopyFileW(src.c_str(), dst.c_str(), failIfExists) != FALSE;
}

bool acFileSetAttr(const UnicodeString& fileName, DWORD attr)
{
    return SetFileAttributesW(fileName.c_str(), attr) != FALSE;
}

int acFindFirst(const UnicodeString& mask, int attr, TSearchRec& searchRec) { return FindFirst(mask, attr, searchRec); }
int acFindNext(TSearchRec& searchRec) { return FindNext(searchRec); }
void acFindClose(TSearchRec& searchRec) { FindClose(searchRec); }

HANDLE acFindFirstFile(const UnicodeString& mask, WIN32_FIND_DATAW& data)
{
    return FindFirstFileW(mask.c_str(), &data);
}

bool acFindNextFile(HANDLE find, WIN32_FIND_DATAW& data) { return FindNextFileW(find, &data) != FALSE; }

bool ClearDir(const UnicodeString& dir, bool deleteDir)
{
    const UnicodeString base = NormalDir(dir);
    bool ok = true;
    TSearchRec rec;
    int rc = FindFirst(base + L"*.*", faAnyFile, rec);
    if (rc == 0) {
        do {
            if (rec.Name.empty() || rec.Name[0] == L'.') continue;
            const UnicodeString path = base + rec.Name;
            if (rec.Attr & faDirectory) {
                // The recursive call removes the sub-directory itself when deleteDir is set; its
                // entry is no file to delete.
                if (!ClearDir(path, deleteDir)) ok = false;
                continue;
            }
            if ((rec.Attr & faReadOnly) && !SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_ARCHIVE)) ok = false;
            if (!DeleteFileW(path.c_str())) ok = false;
        } while ((rc = FindNext(rec)) == 0);
        FindClose(rec);
    }
    if (rc != ERROR_NO_MORE_FILES) ok = false;
    if (ok && deleteDir && !(dir.size() == 2 && dir[1] == L':')) {
        UnicodeString target = dir;
        while (target.size() > 3 && (target.back() == L'\\' || target.back() == L'/')) target.pop_back();
        if (!RemoveDirectoryW(target.c_str())) ok = false;
    }
    return ok;
}

UnicodeString GetAppPath() { return ExtractFilePath(ParamStr(0)); }

std::unique_ptr<TIcon> GetIconForFile(const UnicodeString& fileName, bool small)
{
    if (!acSHGetFileInfo || !FileExists(fileName)) return nullptr;
    SHFILEINFOW info{};
    const UINT flags = SHGFI_ICON | (small ? SHGFI_SMALLICON : SHGFI_LARGEICON);
    if (!acSHGetFileInfo(fileName.c_str(), 0, &info, sizeof(info), flags) || !info.hIcon) return nullptr;
    auto icon = std::make_unique<TIcon>();
    icon->SetHandle(info.hIcon);
    return icon;
}

// ---------------------------------------------------------------------------------------------
// Message boxes and waiting

void ShowWarning(const UnicodeString& text) { sMessageDlg(text, mtWarning, TMsgDlgButtons{mbOK}, 0); }
void ShowError(const UnicodeString& text) { sMessageDlg(text, mtError, TMsgDlgButtons{mbOK}, 0); }
bool CustomRequest(const UnicodeString& text) { return sMessageDlg(text, mtConfirmation, mbYesNo, 0) == mrYes; }
void Alert() { ShowWarning(L"Alert"); }
void Alert(const UnicodeString& text) { ShowWarning(text); }
void Alert(int number) { ShowWarning(IntToStr(number)); }

void Delay(DWORD ms)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (Application) Application->ProcessMessages();
        // Unsigned difference: a wrap of the tick counter changes nothing.
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
    }
}

void WaitTicks(DWORD start, DWORD count)
{
    while (GetTickCount() - start < count) Sleep(0);
}
