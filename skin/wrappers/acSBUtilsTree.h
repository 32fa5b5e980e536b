#pragma once
// Tree wrappers: a tree view ("SysTreeView32", framework or foreign) gets the skin's background
// and text colours through its own messages and fills its background itself; a virtual tree gets
// its colour properties, its header painted by the wrapper through the tree's header events, and
// everything given back when the skin goes.
#include "acSBUtilsEdit.h"

#include "Graphics.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class TacTreeViewWnd : public TacEditWnd {
public:
    UnicodeString ClassName() const override { return L"TacTreeViewWnd"; }
    void RestoreStdParams() override;
    void SetSkinParams() override;
    void acWndProc(TMessage& Message) override;

    // The colour the wrapper fills the background with.
    TColor BackgroundColor();

    bool SkipBG = false; // erasing is left to the edit wrapper
};

// What a virtual tree gives its header-drawing events.
enum THeaderPaintElement { hpeBackground, hpeDropMark, hpeHeaderGlyph, hpeSortGlyph, hpeText };
using THeaderPaintElements = TSet<THeaderPaintElement>;

struct THeaderPaintInfo {
    TCanvas* TargetCanvas = nullptr;
    TPersistent* Column = nullptr; // null: the area after the last column
    TRect PaintRectangle;
    bool IsHoverIndex = false;
    bool IsDownIndex = false;
    bool ShowSortGlyph = false;
};

using TVTHeaderPaintEvent = std::function<void(TObject* Sender, THeaderPaintInfo& PaintInfo,
                                               const THeaderPaintElements& Elements)>;
using TVTHeaderPaintQueryElementsEvent =
    std::function<void(TObject* Sender, THeaderPaintInfo& PaintInfo, THeaderPaintElements& Elements)>;

class TacVirtualTreeViewWnd : public TacEditWnd {
public:
    UnicodeString ClassName() const override { return L"TacVirtualTreeViewWnd"; }
    void InitSkinData() override;
    void SaveStdParams() override;
    void RestoreStdParams() override;
    void SetSkinParams() override;
    void acWndProc(TMessage& Message) override;
    bool IsVirtualTreeWnd() const override { return true; }
    bool KeepsVisualStyle() const override { return true; }

    void HeaderDrawQueryElements(TObject* Sender, THeaderPaintInfo& PaintInfo, THeaderPaintElements& Elements);
    void AdvancedHeaderDraw(TObject* Sender, THeaderPaintInfo& PaintInfo, const THeaderPaintElements& Elements);

    bool OwnerDraw = false; // "Header"."Options" held "hoOwnerDraw"

private:
    std::vector<std::optional<int64_t>> saved_;
    // The header's height while it is shown, else 0.
    int HeaderHeight();
};
