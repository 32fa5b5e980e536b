#include "sConstCaptions.h"

#include "acUnitCounter.h"
#include "sConst.h"
#include "sStrings.h"

#include <array>
#include <cwchar>
#include <memory>

namespace {

TacUnitCounter counter;

// The program's own texts of the captions (English), in its string table.
constexpr TacResString s_Create{58910};
constexpr TacResString s_SelectDir{58911};
constexpr TacResString s_InvalidDate{58923};
constexpr TacResString s_AvailSkins{58924};
constexpr TacResString s_InternalSkin{58925};
constexpr TacResString s_FrameAdapterError1{58926};
constexpr TacResString s_Font{58934};
constexpr TacResString s_FontColor{58935};
constexpr TacResString s_ColorDlgAdd{58950};
constexpr TacResString s_ColorDlgDefine{58951};
constexpr TacResString s_ColorDlgAddPal{58952};
constexpr TacResString s_ColorDlgTitle{58953};
constexpr TacResString s_ColorDlgRed{58954};
constexpr TacResString s_ColorDlgGreen{58955};
constexpr TacResString s_ColorDlgBlue{58956};
constexpr TacResString s_ColorDlgDecimal{58957};
constexpr TacResString s_ColorDlgHex{58958};
constexpr TacResString s_FileOpen{58970};
constexpr TacResString s_CloseStr{58976};
constexpr TacResString s_MaximizeStr{58977};
constexpr TacResString s_MinimizeStr{58978};
constexpr TacResString s_SizeStr{58979};
constexpr TacResString s_MoveStr{58980};
constexpr TacResString s_RestoreStr{58981};
constexpr TacResString s_MsgDlgHelp{58990};
constexpr TacResString s_MsgDlgCancel{58991};
constexpr TacResString s_MsgDlgOK{58992};

// A caption read from a system library: its string, with the suffix, or the own text without it.
struct TLibraryCaption {
    UnicodeString* Caption;
    const wchar_t* Library;
    UINT Id;
    const wchar_t* Suffix;
    TacResString Fallback;
};

// The captions of one library follow each other: each library is loaded once.
const std::array<TLibraryCaption, 23> kLibraryCaptions{{
    {&acs_MsgDlgOK, L"user32.dll", 800, L"", s_MsgDlgOK},
    {&acs_MsgDlgCancel, L"user32.dll", 801, L"", s_MsgDlgCancel},
    {&acs_MsgDlgHelp, L"user32.dll", 808, L"", s_MsgDlgHelp},
    {&acs_CloseStr, L"user32.dll", 905, L"", s_CloseStr},
    {&acs_ColorDlgAdd, L"colorui.dll", 1810, L"", s_ColorDlgAdd},
    {&acs_ColorDlgDefine, L"shell32.dll", 4151, L"", s_ColorDlgDefine},
    {&acs_ColorDlgAddPal, L"shell32.dll", 31153, L":", s_ColorDlgAddPal},
    {&acs_ColorDlgDecimal, L"shell32.dll", 16514, L" - ", s_ColorDlgDecimal},
    {&acs_Root, L"shell32.dll", 33015, L":", s_Root},
    {&acs_Create, L"shell32.dll", 4151, L"", s_Create},
    {&acs_RestoreStr, L"comctl32.dll", 33056, L"", s_RestoreStr},
    {&acs_SizeStr, L"comctl32.dll", 32768, L"", s_SizeStr},
    {&acs_MoveStr, L"comctl32.dll", 32784, L"", s_MoveStr},
    {&acs_MaximizeStr, L"comctl32.dll", 32816, L"", s_MaximizeStr},
    {&acs_MinimizeStr, L"comctl32.dll", 32800, L"", s_MinimizeStr},
    {&acs_FileOpen, L"comdlg32.dll", 436, L"", s_FileOpen},
    {&acs_SelectDir, L"comdlg32.dll", 439, L"", s_SelectDir},
    {&acs_ColorDlgRed, L"comdlg32.dll", 1049, L":", s_ColorDlgRed},
    {&acs_ColorDlgGreen, L"comdlg32.dll", 1042, L":", s_ColorDlgGreen},
    {&acs_ColorDlgBlue, L"comdlg32.dll", 1052, L":", s_ColorDlgBlue},
    {&acs_ColorDlgTitle, L"compstui.dll", 64744, L"", s_ColorDlgTitle},
    {&acs_Font, L"inetres.dll", 1175, L"", s_Font},
    {&acs_FontColor, L"inetres.dll", 5273, L":", s_FontColor},
}};

const std::array<UnicodeString*, 32> kAllCaptions{
    &acs_MsgDlgOK,       &acs_MsgDlgCancel,    &acs_MsgDlgHelp,      &acs_RestoreStr,         &acs_MoveStr,
    &acs_SizeStr,        &acs_MinimizeStr,     &acs_MaximizeStr,     &acs_CloseStr,           &acs_Calculator,
    &acs_FileOpen,       &acs_AvailSkins,      &acs_InternalSkin,    &acs_InvalidDate,        &acs_ColorDlgAdd,
    &acs_ColorDlgDefine, &acs_ColorDlgAddPal,  &acs_ColorDlgTitle,   &acs_ColorDlgRed,        &acs_ColorDlgGreen,
    &acs_ColorDlgBlue,   &acs_ColorDlgDecimal, &acs_ColorDlgHex,     &acs_FrameAdapterError1, &acs_Font,
    &acs_FontColor,      &acs_Root,            &acs_SelectDir,       &acs_Create,             &acs_DirWithSkins,
    &acs_SelectSkinTitle, &acs_SkinPreview};

TacStringReader SystemLibrary(const UnicodeString& name)
{
    HMODULE module = LoadLibraryW(name.c_str());
    if (!module) return {};
    std::shared_ptr<HINSTANCE__> owner(module, [](HMODULE m) { FreeLibrary(m); });
    return [owner](UINT id) {
        // A zero buffer size asks for a pointer to the resource text itself (not terminated).
        const wchar_t* text = nullptr;
        const int length = LoadStringW(owner.get(), id, reinterpret_cast<LPWSTR>(&text), 0);
        return length > 0 && text ? UnicodeString(text, static_cast<size_t>(length)) : UnicodeString();
    };
}

TacStringLibraries& CaptionLibraries()
{
    static TacStringLibraries libraries = &SystemLibrary;
    return libraries;
}

} // namespace

void SetCaptionLibraries(TacStringLibraries libraries)
{
    CaptionLibraries() = libraries ? std::move(libraries) : TacStringLibraries(&SystemLibrary);
}

void InitSysVariables()
{
    if (acScrollBtnLength < 0) acScrollBtnLength = GetSystemMetrics(SM_CXHSCROLL);
}

void LoadCaptions()
{
    for (size_t first = 0; first < kLibraryCaptions.size();) {
        const wchar_t* library = kLibraryCaptions[first].Library;
        size_t end = first + 1;
        while (end < kLibraryCaptions.size() && std::wcscmp(kLibraryCaptions[end].Library, library) == 0) ++end;
        if (const TacStringReader reader = CaptionLibraries()(library)) {
            for (size_t i = first; i < end; ++i) {
                const TLibraryCaption& c = kLibraryCaptions[i];
                const UnicodeString text = reader(c.Id);
                *c.Caption = text.empty() ? c.Fallback.Text() : text + c.Suffix;
            }
        }
        first = end;
    }
    acs_Calculator = L"Calculator";
    acs_ColorDlgHex = s_ColorDlgHex.Text();
    acs_InvalidDate = s_InvalidDate.Text();
    if (acs_InvalidDate.empty()) acs_InvalidDate = L"Invalid date";
    acs_AvailSkins = s_AvailSkins.Text();
    acs_InternalSkin = s_InternalSkin.Text();
    acs_DirWithSkins = s_DirWithSkins.Text();
    acs_SelectSkinTitle = s_SelectSkinTitle.Text();
    acs_SkinPreview = s_SkinPreview.Text();
    acs_FrameAdapterError1 = s_FrameAdapterError1.Text();
}

void ClearCaptions()
{
    for (UnicodeString* caption : kAllCaptions) caption->clear();
}

void sConstInitialization()
{
    if (!counter.StartUp()) return;
    InitSysVariables();
    LoadCaptions();
}

void sConstFinalization()
{
    if (counter.ShutDown()) ClearCaptions();
}
