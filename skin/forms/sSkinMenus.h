#pragma once
// Skinned menus: the object the skin manager owns that makes main menus, pop-up menus and the
// skinned system menu owner-drawn by the current skin (hooking, measuring, the prepared
// background of a menu window and its shape), and the manager's menu options.
#include "Components.h"
#include "Graphics.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "acntTypes.h"

#include <windows.h>

#include <memory>
#include <vector>

class TCustomForm;
class TMainMenu;
class TPopupMenu;
class TsSkinManager;
class TsSkinProvider;
class TacSkinData;

// The skin provider of the application's MDI main form, or null (set by that provider).
extern TsSkinProvider* MDISkinProvider;
// Set the first time any item is measured: the system draws menus through the library now.
extern bool acCanHookMenu;

enum TsMenuItemType { smCaption, smDivider, smNormal, smTopLine };

using TsMenuManagerDrawItemEvent =
    std::function<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, TOwnerDrawState State, TsMenuItemType ItemType)>;

// What the menus keep for one menu: keyed by its first item, with the prepared 32-bit
// background of the whole menu window.
struct TacMenuInfo {
    TMenuItem* FirstItem = nullptr;
    std::unique_ptr<TBitmap> Bmp;
    HWND Wnd = nullptr; // null while measured without a window
    bool HaveExtraLine = false;
    bool ItemsIterated = false; // the break columns' background is complete
};
using PacMenuInfo = TacMenuInfo*;

class TsSkinableMenus : public TPersistent {
public:
    explicit TsSkinableMenus(TsSkinManager* owner);
    ~TsSkinableMenus() override;
    UnicodeString ClassName() const override { return L"TsSkinableMenus"; }

    int Margin() const;
    void SetMargin(int value) { FMargin = value; }
    int Spacing() const;
    void SetSpacing(int value) { FSpacing = value; }
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int value) { FBevelWidth = value; }
    int BorderWidth() const;
    void SetBorderWidth(int value) { FBorderWidth = value; }
    int RealBorderWidth() const { return FBorderWidth; }
    int SkinBorderWidth() const { return FSkinBorderWidth; }
    void SetSkinBorderWidth(int value) { FSkinBorderWidth = value; }
    // The custom menu font when there is one, else the screen's menu font.
    TFont* CaptionFont() const;
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value) { FAlignment = value; }

    // Hooks (true) or unhooks every menu of the application when the state changes.
    void SetActive(bool value);
    bool Active() const { return FActive; }
    // SetActive with the manager's IsActive.
    void UpdateMenus();
    // Hooks or unhooks every menu owned by the application's components, at any depth.
    void InitItems(bool A);
    // The handlers of the sub-items (not of top-line items), recursively.
    void HookItem(TMenuItem* Item, bool A);
    // The handlers of one item about to open: line handlers for a top-line item.
    void InitItem(TMenuItem* Item, bool A);
    // Called by pop-up owners before a menu shows: owner drawing with the skin or without.
    void HookPopupMenu(TPopupMenu* Menu, bool A);
    void InitMenuLine(TMainMenu* Menu, bool A);

    // Owner-draw handlers the library assigns.
    void sMeasureItem(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height);
    void sMeasureLineItem(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height);
    void sAdvancedDrawItem(TObject* Sender, TCanvas* ACanvas, TRect ARect, TOwnerDrawState State);
    void sAdvancedDrawLineItem(TObject* Sender, TCanvas* ACanvas, TRect ARect, TOwnerDrawState State);

    // The record of Item's menu, made when missing; with a canvas its background is prepared.
    // With Item null only a record of that window is looked up (null when none).
    TacMenuInfo* GetMenuInfo(TMenuItem* Item, TCanvas* Canvas, HWND Wnd);
    // Cuts the skin's corners out of a pop-up menu window and copies the frame of Bmp (the
    // window's record's background when null) into it.
    void DrawWndBorder(HWND Wnd, TBitmap* Bmp);

    int GetItemHeight(TCanvas* Canvas, TMenuItem* Item);
    int GetItemWidth(TCanvas* Canvas, TMenuItem* Item, const TacMenuInfo* Info);
    int ParentHeight(TCanvas* Canvas, TMenuItem* Item);
    int ParentWidth(TCanvas* Canvas, TMenuItem* Item);
    TSize GlyphSize(TMenuItem* Item, bool ForImages) const;
    int ExtraWidth(const TacMenuInfo* Info) const;
    static bool IsDivText(const UnicodeString& Text);
    static bool IsTopLine(const TMenuItem* Item);
    static TsMenuItemType ItemType(const TMenuItem* Item);
    bool NoBorder() const;
    void ItemRect(TMenuItem* Item, TRect& R) const;
    int CursorMarginH() const { return RealBorderWidth(); }
    int CursorMarginV() const { return 0; }
    bool LastItem() const { return false; }
    void UpdateFont(TCanvas* Canvas, TMenuItem* Item, bool UseCaptionFont, bool Bold);
    bool ChildIconPresent() const;
    static TMenuItem* GetFirstItem(TMenuItem* Item);
    // Frees every prepared background and forgets the records.
    void ClearCache();
    // After a skin or scale change: the cache and the skin data the menus keep.
    void ResetCache();
    // The records (for the window hook and tests).
    const std::vector<std::unique_ptr<TacMenuInfo>>& MenuInfos() const { return FInfos; }

    TsMenuManagerDrawItemEvent OnDrawItem;

    int FMargin = 2;
    int FSpacing = 8;
    int FBevelWidth = 0;
    int FBorderWidth = 3;
    int FSkinBorderWidth = -1;
    TCustomForm* Form = nullptr;
    int PPI = 96;
    TsMenuItemType it = smNormal;
    std::unique_ptr<TFont> FCaptionFont;
    TAlignment FAlignment = taLeftJustify;
    TRects ArOR;
    TacSkinData* sd = nullptr;
    bool Pressed = false;
    bool FActive = false;
    bool BorderDrawing = false;
    TsSkinManager* FOwner;
    TsSkinProvider* MenuProvider = nullptr;

private:
    friend struct TsSkinableMenusAccess;
    bool ActiveManager() const;
    void RefreshForm(TMenuItem* Item);
    void AskExtraLine(TacMenuInfo& Info, TMenuItem* FirstItem);
    void PrepareMenuBG(TacMenuInfo& Info, TMenuItem* FirstItem, int Width, int Height, HWND Wnd);
    UnicodeString MeasuredText(TMenuItem* Item) const;
    TSize TextSize(TCanvas* Canvas, const UnicodeString& Text);
    void PaintDivider(TCanvas* Canvas, const TRect& R, TMenuItem* Item, TBitmap* MenuBmp, TacMenuInfo* Info);
    void PaintCaption(TCanvas* Canvas, const TRect& R, TMenuItem* Item, TBitmap* MenuBmp, TacMenuInfo* Info);

    std::vector<std::unique_ptr<TacMenuInfo>> FInfos;
    // The extra line of the menu being prepared (what OnGetMenuExtraLineData answered).
    UnicodeString ExtraLineSection = L"EXTRALINE";
    UnicodeString ExtraLineCaption = L"Use OnGetExtraLineData event";
    std::unique_ptr<TBitmap> ExtraLineGlyph;
    int IcoLineWidth = 0; // icon-column width of the menu being prepared
};

// The manager's menu options.
class TacMenuSupport : public TPersistent {
public:
    TacMenuSupport();
    ~TacMenuSupport() override;
    UnicodeString ClassName() const override { return L"TacMenuSupport"; }

    // Maintains the global custom menu font.
    void SetCustomFont(bool value);
    TFont* Font() const { return FFont.get(); }
    void SetFont(const TFont* value);
    TFont* ExtraLineFont() const { return FExtraLineFont.get(); }
    void SetExtraLineFont(const TFont* value) { FExtraLineFont->Assign(value); }

    bool CustomFont = false;
    bool UseExtraLine = false;
    std::uint8_t AlphaBlend = 255;
    int ExtraLineWidth = 32;
    UnicodeString IcoLineSkin = L"ICOLINE"; // skin section of the menus' icon column

private:
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TFont> FExtraLineFont;
};

// The system's default locale reads right to left.
bool RightToLeftLocale();
// The custom menu font when one is in use, else null.
TFont* CustomMenuFont();
