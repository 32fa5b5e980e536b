#pragma once
// Background brushes of wrapped windows' classes. The first time the library changes a class's
// brush it records the original; while skinned the class has a solid brush that the record owns
// (never one of the manager's, which a skin change deletes), and giving the class back restores
// the original and deletes that brush.
#include "Colors.h"

#include <windows.h>

// Gives the window's class a solid brush of the colour.
void SetClassSkinBrush(HWND wnd, TColor color);
// Puts back the original brush of the window's class, if the library changed it.
void RestoreClassBrush(HWND wnd);
// Every class changed gets its original brush back.
void RestoreAllClassBrushes();
// Classes whose brush is changed now.
int ChangedClassBrushCount();
