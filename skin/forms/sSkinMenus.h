#pragma once
// Skinned menus: the object the skin manager owns to paint menus with the skin, and the
// manager's menu options. Menus are not skinned yet; the members the manager calls do nothing.
#include "Components.h"
#include "Graphics.h"

#include <windows.h>

class TPopupMenu;
class TsSkinManager;
class TMenuItem;
class TsSkinProvider;

// The skin provider of the application's MDI main form, or null (set by that provider).
extern TsSkinProvider* MDISkinProvider;
// What the menus keep for one shown menu (defined by the menu skinning).
struct TacMenuInfo;

class TsSkinableMenus : public TPersistent {
public:
    explicit TsSkinableMenus(TsSkinManager* owner) : FOwner(owner) {}
    UnicodeString ClassName() const override { return L"TsSkinableMenus"; }

    // Forgets the cached menu state (after a skin or scale change).
    void ResetCache() {}
    // Starts (or ends) the owner drawing of the menus of every form.
    void InitItems(bool active) { FActive = active; }
    // Repaints every menu.
    void UpdateMenus() {}
    // The record the menus keep for a shown menu window, or null when they know no such window
    // (they know none yet).
    TacMenuInfo* GetMenuInfo(TMenuItem*, TCanvas*, HWND) { return nullptr; }
    // Draws the skinned border of a menu window.
    void DrawWndBorder(HWND, TBitmap*) {}
    // Prepares a pop-up menu, before it pops up, to be drawn with the skin (Active) or
    // without. Menus are not skinned yet: it only remembers the last call.
    void HookPopupMenu(TPopupMenu* Menu, bool Active)
    {
        LastHookedMenu = Menu;
        LastHookActive = Active;
    }

    TsSkinManager* FOwner;
    bool FActive = false;
    TPopupMenu* LastHookedMenu = nullptr;
    bool LastHookActive = false;
};

// The manager's menu options.
class TacMenuSupport : public TPersistent {
public:
    UnicodeString ClassName() const override { return L"TacMenuSupport"; }

    // Re-applies the custom-font setting to the menus.
    void SetCustomFont(bool value) { CustomFont = value; }

    bool CustomFont = false;
    UnicodeString IcoLineSkin = L"ICOLINE"; // skin section of the menus' icon line
};
