// The redirection of GetSysColor, GetSysColorBrush and CreatePen to the skin's colours, and the
// translation of system colours that the library's painters use.
#include "sSkinManagerSysColors.h"

#include "Forms.h"
#include "sGraphUtils.h"
#include "sSkinManager.h"
#include "sSkinManagerImports.h"

#include <array>

namespace {

using TGetSysColor = DWORD(WINAPI*)(int);
using TGetSysColorBrush = HBRUSH(WINAPI*)(int);
using TCreatePen = HPEN(WINAPI*)(int, int, COLORREF);

// One patch record per redirected function: the real entry and the redirected slots.
TacImportRedirect patchGetSysColor, patchGetSysColorBrush, patchCreatePen;
bool redirected = false;
// The skin answers only the thread that switched the redirection on: the skin's state belongs
// to the GUI thread, other threads get the system's colours.
DWORD guiThread = 0;
// The brushes of GetSysColorBrush 8, 13 and 14, made once per palette.
std::array<HBRUSH, 3> madeBrushes{};

template <class T>
T Entry(const wchar_t* module, const char* name)
{
    HMODULE m = GetModuleHandleW(module);
    if (!m) m = LoadLibraryW(module);
    return m ? reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

TGetSysColor SystemGetSysColor()
{
    static const TGetSysColor entry = Entry<TGetSysColor>(L"user32.dll", "GetSysColor");
    return entry;
}
TGetSysColorBrush SystemGetSysColorBrush()
{
    static const TGetSysColorBrush entry = Entry<TGetSysColorBrush>(L"user32.dll", "GetSysColorBrush");
    return entry;
}
TCreatePen SystemCreatePen()
{
    static const TCreatePen entry = Entry<TCreatePen>(L"gdi32.dll", "CreatePen");
    return entry;
}

// The default manager when the calling thread may read it.
TsSkinManager* SkinManagerForCall()
{
    // Without a loaded skin the palette holds nothing to answer with.
    TsSkinManager* m = redirected && GetCurrentThreadId() == guiThread ? DefaultManager : nullptr;
    return m && m->IsActive() ? m : nullptr;
}

TColor Shadow(const TsSkinManager& m) { return BlendColors(m.Palette[pcMainColor], clBlack, 205); }
TColor Light(const TsSkinManager& m) { return BlendColors(m.Palette[pcMainColor], clWhite, 205); }

bool ActiveFormVisible()
{
    TCustomForm* form = Screen ? Screen->ActiveForm() : nullptr;
    return form && form->HandleAllocated() && IsWindowVisible(form->Handle());
}

DWORD WINAPI SkinGetSysColor(int index)
{
    const TsSkinManager* m = SkinManagerForCall();
    if (m && ActiveFormVisible()) {
        switch (index) {
        case COLOR_WINDOW: return static_cast<DWORD>(m->Palette[pcEditBG]);
        case COLOR_WINDOWFRAME: return static_cast<DWORD>(m->Palette[pcBorder]);
        case COLOR_WINDOWTEXT: return static_cast<DWORD>(m->Palette[pcEditText]);
        case COLOR_INACTIVEBORDER: return static_cast<DWORD>(m->SkinCommonInfo.SysInactiveBorderColor);
        case COLOR_HIGHLIGHT: return static_cast<DWORD>(m->Palette[pcSelectionBG_Focused]);
        case COLOR_HIGHLIGHTTEXT: return static_cast<DWORD>(m->Palette[pcSelectionText_Focused]);
        case COLOR_BTNSHADOW:
        case COLOR_3DDKSHADOW: return static_cast<DWORD>(Shadow(*m));
        case COLOR_3DLIGHT: return static_cast<DWORD>(Light(*m));
        default: break;
        }
    }
    return RealGetSysColor(index);
}

HBRUSH WINAPI SkinGetSysColorBrush(int index)
{
    const TsSkinManager* m = SkinManagerForCall();
    if (m) {
        if (index == COLOR_WINDOW && m->Brushes[pcEditBG]) return m->Brushes[pcEditBG];
        // Callers never delete system brushes: each is made once and kept until the palette
        // changes or the redirection ends.
        auto made = [m](size_t slot, TacPaletteColors color) {
            if (!madeBrushes[slot]) madeBrushes[slot] = CreateSolidBrush(static_cast<COLORREF>(m->Palette[color]));
            return madeBrushes[slot];
        };
        HBRUSH brush = nullptr;
        switch (index) {
        case COLOR_WINDOWTEXT: brush = made(0, pcEditText); break;
        case COLOR_HIGHLIGHT: brush = made(1, pcSelectionBG_Focused); break;
        case COLOR_HIGHLIGHTTEXT: brush = made(2, pcSelectionText_Focused); break;
        default: break;
        }
        if (brush) return brush;
    }
    return RealGetSysColorBrush(index);
}

HPEN WINAPI SkinCreatePen(int style, int width, COLORREF color)
{
    if (const TsSkinManager* m = SkinManagerForCall()) {
        const TColor* palette = m->Palette.data();
        switch (color) {
        case COLOR_WINDOW: color = static_cast<COLORREF>(palette[pcEditBG]); break;
        case COLOR_WINDOWFRAME: color = static_cast<COLORREF>(palette[pcBorder]); break;
        case COLOR_INACTIVEBORDER: color = static_cast<COLORREF>(m->SkinCommonInfo.SysInactiveBorderColor); break;
        case COLOR_HIGHLIGHT: color = static_cast<COLORREF>(palette[pcSelectionBG_Focused]); break;
        case COLOR_HIGHLIGHTTEXT: color = static_cast<COLORREF>(palette[pcSelectionText_Focused]); break;
        case COLOR_BTNFACE: color = static_cast<COLORREF>(palette[pcMainColor]); break;
        case COLOR_BTNSHADOW:
        case COLOR_3DDKSHADOW: color = static_cast<COLORREF>(Shadow(*m)); break;
        case COLOR_3DLIGHT: color = static_cast<COLORREF>(Light(*m)); break;
        case 0xC0C0C0:
        case 0xF0F0F0: color = static_cast<COLORREF>(BlendColors(palette[pcEditText], palette[pcEditBG], 38)); break;
        default: break;
        }
    }
    return RealCreatePen(style, width, color);
}

} // namespace

DWORD RealGetSysColor(int index)
{
    auto real = patchGetSysColor.Installed() ? reinterpret_cast<TGetSysColor>(patchGetSysColor.Original())
                                             : SystemGetSysColor();
    return real ? real(index) : 0;
}

HBRUSH RealGetSysColorBrush(int index)
{
    auto real = patchGetSysColorBrush.Installed()
                    ? reinterpret_cast<TGetSysColorBrush>(patchGetSysColorBrush.Original())
                    : SystemGetSysColorBrush();
    return real ? real(index) : nullptr;
}

HPEN RealCreatePen(int style, int width, COLORREF color)
{
    auto real = patchCreatePen.Installed() ? reinterpret_cast<TCreatePen>(patchCreatePen.Original())
                                           : SystemCreatePen();
    return real ? real(style, width, color) : nullptr;
}

void ReleaseSysColorBrushes()
{
    for (HBRUSH& brush : madeBrushes) {
        if (brush) DeleteObject(brush);
        brush = nullptr;
    }
}

void SetSysColorsRedirected(bool on)
{
    if (!on && !redirected) return;
    if (on) {
        // Switched on again, the slots of modules loaded meanwhile are redirected as well.
        if (!redirected) guiThread = GetCurrentThreadId();
        redirected = true;
        patchGetSysColor.Install(reinterpret_cast<void*>(SystemGetSysColor()),
                                 reinterpret_cast<void*>(&SkinGetSysColor));
        patchGetSysColorBrush.Install(reinterpret_cast<void*>(SystemGetSysColorBrush()),
                                      reinterpret_cast<void*>(&SkinGetSysColorBrush));
        patchCreatePen.Install(reinterpret_cast<void*>(SystemCreatePen()), reinterpret_cast<void*>(&SkinCreatePen));
    } else {
        patchGetSysColor.Remove();
        patchGetSysColorBrush.Remove();
        patchCreatePen.Remove();
        redirected = false;
        ReleaseSysColorBrushes();
    }
}

bool SysColorsRedirected() { return redirected; }

// ---------------------------------------------------------------------------------------------
// Translation for the painters

namespace {

// Colour of state of a section of the 96-PPI skin data; fallback when the section is absent.
TColor SectionColor(TsSkinManager& m, TacSection section, int state, bool font, TColor fallback)
{
    const int index = m.SkinCommonInfo.Sections[section];
    if (index < 0 || !m.IsValidSkinIndex(index)) return fallback;
    const TsGenState& look = m.gd()[static_cast<size_t>(index)].Props[static_cast<size_t>(state)];
    return font ? look.FontColor.Color : look.Color;
}

} // namespace

TColor SysColorToSkin(TColor Color, TsSkinManager* Manager)
{
    TsSkinManager* m = Manager ? Manager : DefaultManager;
    if (!m || !m->IsActive()) return ColorToRGB(Color);
    const auto& p = m->Palette;
    const TColor main = p[pcMainColor];
    switch (Color) {
    case clScrollBar:
    case clBackground:
    case clMenu:
    case clAppWorkSpace:
    case clBtnFace:
    case clMenuBar: return main;
    case clActiveCaption:
    case clGradientActiveCaption: return SectionColor(*m, ssFormTitle, 1, false, main);
    case clInactiveCaption:
    case clGradientInactiveCaption: return SectionColor(*m, ssFormTitle, 0, false, main);
    case clCaptionText: return SectionColor(*m, ssFormTitle, 1, true, main);
    case clInactiveCaptionText: return SectionColor(*m, ssFormTitle, 0, true, main);
    case clWindow: return p[pcEditBG];
    case clWindowFrame:
    case clActiveBorder:
    case clInactiveBorder:
    case clBtnShadow:
    case cl3DDkShadow:
    case cl3DLight: return p[pcBorder];
    case clMenuText: return p[pcLabelText];
    case clWindowText: return p[pcEditText];
    case clHighlight: return p[pcSelectionBG_Focused];
    case clHighlightText: return p[pcSelectionText_Focused];
    case clGrayText: return BlendColors(main, p[pcLabelText], 127);
    case clBtnText: return SectionColor(*m, ssButton, 0, true, main);
    case clBtnHighlight: return SectionColor(*m, ssButton, 1, false, main);
    case clInfoText: return p[pcHintText];
    case clInfoBk: return p[pcHintBG];
    case clHotLight: return p[pcWebText];
    case clMenuHighlight: return SectionColor(*m, ssMenuItem, 1, false, ColorToRGB(Color));
    default: return ColorToRGB(Color);
    }
}
