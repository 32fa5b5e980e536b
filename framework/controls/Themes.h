#pragma once
// Visual styles. One built-in style, "Slate Classico": a calm slate-grey colour scheme for
// forms and the controls the layer paints or colours (through the WM_CTLCOLOR* answers). A
// style only changes what the system colours (clBtnFace, clWindow ...) stand for.
#include "Colors.h"
#include "Strings.h"

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
