#pragma once
// One way for skinned buttons, speed buttons, bit buttons and tool bars to draw a glyph (from an
// image list or a glyph bitmap, in a state, greyed or blended), the sizes of image-list images
// as skinned controls draw them, the window classes the skinning leaves alone, and the hooks
// for an add-on that skins controls of another component suite (nil unless one sets them).
#include "ComCtrls.h"
#include "Graphics.h"
#include "sConst.h"

#include <memory>

class TControl;
class TCustomImageList;
class TStringList;
class TacSkinData;

// The request of one glyph drawing.
struct TacDrawGlyphData {
    int Blend = 0;        // amount of blending (percent)
    int SkinIndex = -1;   // section of the control
    int NumGlyphs = 1;    // frames in the glyph bitmap
    int ImageIndex = -1;
    int CurrentState = 0; // 0 normal, 1 hot, 2 pressed
    bool Down = false;
    bool Grayed = false;
    bool Enabled = true;
    bool Reflected = false;
    TBitmap* Glyph = nullptr;
    TBitmap* DstBmp = nullptr; // null: drawn on Canvas
    TRect ImgRect;
    TCanvas* Canvas = nullptr;
    TColor BGColor = clNone;
    TCustomImageList* Images = nullptr;
    int PPI = 96;
    TacSkinData* CommonSkinData = nullptr;
    TsDisabledGlyphKind DisabledGlyphKind;
};

// Form class names the skinning leaves alone (sorted); exists between start-up and shut-down.
extern std::unique_ptr<TStringList> ThirdPartySkipForms;

// Draws one glyph.
void acDrawGlyphEx(const TacDrawGlyphData& data);
// Draws the glyph of a skinned button, bit button or speed button; other controls are ignored.
void DrawBtnGlyph(TControl* control, TCanvas* canvas, TColor bgColor);
// Draws a tool button's image into bmp (the button's picture) in the skin's colours.
void CopyToolBtnGlyph(TToolBar* toolBar, TToolButton* button, TCustomDrawState state, TCustomDrawStage stage,
                      TBitmap* bmp);

// True for a control whose children the add-on reaches itself (broadcasts stop there).
using TacCheckDevEx = bool (*)(TControl* control);
extern TacCheckDevEx CheckDevEx;
// Told when a skin is applied (true) or removed (false).
using TacInitDevEx = void (*)(bool active);
extern TacInitDevEx InitDevEx;
// Refreshes the add-on's controls after a new skin.
using TacRefreshDevEx = void (*)();
extern TacRefreshDevEx RefreshDevEx;

// The list's image count; 0 for nil.
int GetImageCount(TCustomImageList* images);
// Size of an image of the list at that PPI: the list's stored size (a glyph item's own size in
// a glyph list, a view's size scaled by the glyph item it shows) x ppi div 96; 0 for nil.
int GetImageWidth(TCustomImageList* images, int index, int ppi);
int GetImageHeight(TCustomImageList* images, int index, int ppi);

// Start-up fills ThirdPartySkipForms; shut-down frees it.
void sThirdPartyInitialization();
void sThirdPartyFinalization();
