#pragma once
// Visual styles. One built-in style, "Slate Classico": a calm slate-grey colour scheme for
// forms and the controls the layer paints or colours (through the WM_CTLCOLOR* answers). A
// style only changes what the system colours (clBtnFace, clWindow ...) stand for.
#include "Colors.h"
#include "Strings.h"
#include "Types.h"

#include <optional>

#include <vector>

class TStyleManager {
public:
    // Activates the named style (compared without regard to case). "Windows" returns to the
    // system colours. An unknown name changes nothing and returns false; no error box is shown
    // (start-up goes on with the system colours), whatever showErrorDialog says.
    static bool TrySetStyle(const UnicodeString& name, bool showErrorDialog = true);
    static UnicodeString ActiveStyleName();
    static bool IsCustomStyleActive();
    static std::vector<UnicodeString> StyleNames();

    // The colour a system colour stands for under the active style; other colours unchanged.
    static TColor SystemColor(TColor color);
};

// The GDI colour of a control colour under the active style.
COLORREF StyledColorToGdi(TColor color);

// Themed drawing of standard elements through uxtheme, bound at run time (a system without it,
// or with themes off, draws classic).
enum TThemedButton {
    tbPushButtonNormal, tbPushButtonHot, tbPushButtonPressed, tbPushButtonDefaulted, tbPushButtonDisabled,
    tbCheckBoxUncheckedNormal, tbCheckBoxUncheckedDisabled, tbCheckBoxCheckedNormal, tbCheckBoxCheckedDisabled,
    tbCheckBoxMixedNormal, tbCheckBoxMixedDisabled
};
// The close button of a window caption.
enum TThemedWindow { twCloseButtonNormal, twCloseButtonHot, twCloseButtonPushed, twCloseButtonDisabled };

// The text field of an edit.
enum TThemedEdit {
    teEditTextNormal, teEditTextHot, teEditTextSelected, teEditTextDisabled, teEditTextFocused, teEditTextReadOnly
};

struct TThemedElementDetails {
    const wchar_t* ClassList = L"";
    int Part = 0;
    int State = 0;
};

class TStyleServices {
public:
    // Themes are on for the system and this application.
    bool Enabled() const;
    TThemedElementDetails GetElementDetails(TThemedButton element) const;
    TThemedElementDetails GetElementDetails(TThemedWindow element) const;
    TThemedElementDetails GetElementDetails(TThemedEdit element) const;
    // False when nothing could be drawn.
    bool DrawElement(HDC dc, const TThemedElementDetails& details, const TRect& r) const;
    // The part of bounds that holds the element's content; bounds itself when unknown.
    TRect ContentRect(HDC dc, const TThemedElementDetails& details, const TRect& bounds) const;

    // Test seam: makes Enabled answer the given value; nullopt asks the system again.
    static void OverrideEnabled(std::optional<bool> value);
};

TStyleServices& StyleServices();
