#include "Themes.h"

#include "Controls.h"
#include "Forms.h"
#include "Strings.h"

#include <windows.h>

#include <array>
#include <optional>
#include <utility>

namespace {

const wchar_t* const kWindowsStyle = L"Windows";
const wchar_t* const kSlateClassico = L"Slate Classico";

bool slateActive = false;

constexpr TColor Rgb(int r, int g, int b) { return static_cast<TColor>(r | (g << 8) | (b << 16)); }

// Slate Classico: light slate faces, near-white slate fields, ink-blue text, a muted steel
// selection. Only the system colours a form and its controls use are restyled.
std::optional<TColor> SlateColor(TColor color)
{
    static const std::array<std::pair<TColor, TColor>, 17> table{{
        {clBtnFace, Rgb(207, 213, 220)},
        {clWindow, Rgb(241, 243, 246)},
        {clWindowText, Rgb(31, 40, 51)},
        {clBtnText, Rgb(31, 40, 51)},
        {clWindowFrame, Rgb(92, 104, 118)},
        {clHighlight, Rgb(79, 101, 125)},
        {clHighlightText, Rgb(255, 255, 255)},
        {clBtnShadow, Rgb(140, 151, 164)},
        {clBtnHighlight, Rgb(236, 239, 243)},
        {cl3DDkShadow, Rgb(72, 82, 95)},
        {cl3DLight, Rgb(222, 227, 232)},
        {clGrayText, Rgb(125, 134, 145)},
        {clMenu, Rgb(207, 213, 220)},
        {clMenuText, Rgb(31, 40, 51)},
        {clInfoBk, Rgb(232, 236, 241)},
        {clInfoText, Rgb(31, 40, 51)},
        {clAppWorkSpace, Rgb(170, 179, 190)},
    }};
    for (const auto& [system, styled] : table)
        if (system == color) return styled;
    return std::nullopt;
}

void RestyleWindows()
{
    if (!Screen) return;
    for (int i = 0; i < Screen->FormCount(); ++i) {
        TCustomForm* form = Screen->Forms(i);
        TMessage message{CM_STYLECHANGED, 0, 0, 0};
        form->Perform(CM_STYLECHANGED, 0, 0);
        form->Broadcast(message);
        if (form->HandleAllocated())
            RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
}

} // namespace

bool TStyleManager::TrySetStyle(const UnicodeString& name, bool)
{
    bool slate;
    if (SameText(name, kSlateClassico))
        slate = true;
    else if (SameText(name, kWindowsStyle))
        slate = false;
    else
        return false;
    if (slate != slateActive) {
        slateActive = slate;
        RestyleWindows();
    }
    return true;
}

UnicodeString TStyleManager::ActiveStyleName() { return slateActive ? kSlateClassico : kWindowsStyle; }

bool TStyleManager::IsCustomStyleActive() { return slateActive; }

std::vector<UnicodeString> TStyleManager::StyleNames() { return {kWindowsStyle, kSlateClassico}; }

TColor TStyleManager::SystemColor(TColor color)
{
    if (!slateActive || !IsSystemColor(color)) return color;
    return SlateColor(color).value_or(color);
}

COLORREF StyledColorToGdi(TColor color) { return ColorToGdi(ColorToRGB(TStyleManager::SystemColor(color))); }

// ---- style services ----------------------------------------------------------------------------

namespace {

using HTHEME_ = void*;
struct UxTheme {
    HMODULE module = nullptr;
    HTHEME_(WINAPI* OpenThemeData)(HWND, LPCWSTR) = nullptr;
    HRESULT(WINAPI* CloseThemeData)(HTHEME_) = nullptr;
    HRESULT(WINAPI* DrawThemeBackground)(HTHEME_, HDC, int, int, const RECT*, const RECT*) = nullptr;
    HRESULT(WINAPI* GetThemeBackgroundContentRect)(HTHEME_, HDC, int, int, const RECT*, RECT*) = nullptr;
    BOOL(WINAPI* IsThemeActive)() = nullptr;
    BOOL(WINAPI* IsAppThemed)() = nullptr;

    UxTheme()
    {
        module = LoadLibraryW(L"uxtheme.dll");
        if (!module) return;
        Bind(OpenThemeData, "OpenThemeData");
        Bind(CloseThemeData, "CloseThemeData");
        Bind(DrawThemeBackground, "DrawThemeBackground");
        Bind(GetThemeBackgroundContentRect, "GetThemeBackgroundContentRect");
        Bind(IsThemeActive, "IsThemeActive");
        Bind(IsAppThemed, "IsAppThemed");
    }
    ~UxTheme()
    {
        if (module) FreeLibrary(module);
    }
    UxTheme(const UxTheme&) = delete;
    UxTheme& operator=(const UxTheme&) = delete;

    template <typename F>
    void Bind(F& f, const char* name)
    {
        f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
    bool Complete() const
    {
        return OpenThemeData && CloseThemeData && DrawThemeBackground && GetThemeBackgroundContentRect;
    }
};

const UxTheme& Ux()
{
    static const UxTheme ux;
    return ux;
}

std::optional<bool> g_enabledOverride;

// An open theme handle of one class, closed when it goes.
class ThemeHandle {
public:
    explicit ThemeHandle(const wchar_t* classList)
        : theme_(Ux().Complete() ? Ux().OpenThemeData(nullptr, classList) : nullptr)
    {
    }
    ~ThemeHandle()
    {
        if (theme_) Ux().CloseThemeData(theme_);
    }
    ThemeHandle(const ThemeHandle&) = delete;
    ThemeHandle& operator=(const ThemeHandle&) = delete;
    HTHEME_ Get() const { return theme_; }

private:
    HTHEME_ theme_;
};

} // namespace

bool TStyleServices::Enabled() const
{
    if (g_enabledOverride) return *g_enabledOverride;
    const UxTheme& ux = Ux();
    return ux.Complete() && ux.IsThemeActive && ux.IsAppThemed && ux.IsThemeActive() && ux.IsAppThemed();
}

TThemedElementDetails TStyleServices::GetElementDetails(TThemedButton element) const
{
    // BP_PUSHBUTTON (1) with the PBS_ states: normal 1, hot 2, pressed 3, disabled 4, defaulted 5;
    // BP_CHECKBOX (3) with the CBS_ states: unchecked 1 and 4, checked 5 and 8, mixed 9 and 12.
    struct Element {
        int part, state;
    };
    static constexpr Element elements[] = {{1, 1}, {1, 2}, {1, 3}, {1, 5}, {1, 4}, {3, 1},
                                           {3, 4}, {3, 5}, {3, 8}, {3, 9}, {3, 12}};
    const Element e = elements[element];
    return {L"BUTTON", e.part, e.state};
}

TThemedElementDetails TStyleServices::GetElementDetails(TThemedWindow element) const
{
    // WP_CLOSEBUTTON (18) with the CBS_ states normal 1, hot 2, pushed 3, disabled 4.
    return {L"WINDOW", 18, static_cast<int>(element) + 1};
}

TThemedElementDetails TStyleServices::GetElementDetails(TThemedEdit element) const
{
    // EP_EDITTEXT (1) with the ETS_ states normal 1, hot 2, selected 3, disabled 4, focused 5,
    // read-only 6.
    return {L"EDIT", 1, static_cast<int>(element) + 1};
}

bool TStyleServices::DrawElement(HDC dc, const TThemedElementDetails& details, const TRect& r) const
{
    ThemeHandle theme(details.ClassList);
    if (!theme.Get()) return false;
    const RECT rc = r;
    return SUCCEEDED(Ux().DrawThemeBackground(theme.Get(), dc, details.Part, details.State, &rc, nullptr));
}

TRect TStyleServices::ContentRect(HDC dc, const TThemedElementDetails& details, const TRect& bounds) const
{
    ThemeHandle theme(details.ClassList);
    const RECT rc = bounds;
    RECT content{};
    if (theme.Get() &&
        SUCCEEDED(Ux().GetThemeBackgroundContentRect(theme.Get(), dc, details.Part, details.State, &rc, &content)))
        return content;
    return bounds;
}

void TStyleServices::OverrideEnabled(std::optional<bool> value) { g_enabledOverride = value; }

TStyleServices& StyleServices()
{
    static TStyleServices services;
    return services;
}
