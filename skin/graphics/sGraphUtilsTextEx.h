#pragma once
// Skinned text output: captions in a skin section's font colours with their one-pixel outlines,
// the dimmed look of disabled text, a control's own section with its glow, tone, hue and
// saturation, and the blurred glow behind a text in a 32-bit bitmap.
#include "Graphics.h"
#include "Strings.h"
#include "Types.h"

#include <windows.h>

#include <memory>

class TsCommonData;

// Text in the font colours of section skinIndex of the manager (null: the default manager) at
// 96 PPI, state 1 when hot: the outline colours left, top, right and bottom, each drawn one
// pixel off to its side, then the main colour; disabled text in the main colour blended toward
// the section's colour by DefBlendDisabled. Without a manager or a valid section the text is
// drawn plainly in the canvas colour (R updated by DT_CALCRECT); otherwise R is not changed.
void WriteTextEx(TCanvas* canvas, const UnicodeString& text, bool enabled, TRect& r, UINT flags, int skinIndex,
                 bool hot, TObject* skinManager = nullptr);
// Text of a control in its own section (or the section its parent names for the font), with
// the section's glow drawn into the control's cache first when drawGlow, and the control's
// colour tone, hue and saturation applied to every colour. R is not changed.
void WriteTextEx(TCanvas* canvas, const UnicodeString& text, bool enabled, TRect& r, UINT flags,
                 TsCommonData* skinData, bool hot, TObject* unused = nullptr, bool drawGlow = false);
void acWriteTextEx(TCanvas* canvas, const UnicodeString& text, bool enabled, TRect& r, UINT flags, int skinIndex,
                   bool hot, TObject* skinManager = nullptr);
void acWriteTextEx(TCanvas* canvas, const UnicodeString& text, bool enabled, TRect& r, UINT flags,
                   TsCommonData* skinData, bool hot, TObject* unused = nullptr, bool drawGlow = false);

// Side bits of acDrawGlowForText: the text is also drawn one pixel off to these sides.
enum : unsigned { acGlowLeft = 1, acGlowTop = 2, acGlowRight = 4, acGlowBottom = 8 };

// Blends the glow of text (drawn in R with flags, in dstBmp's canvas font) into the 32-bit
// dstBmp in color, raising its alpha. maskBmp holds the blurred 8-bit text mask: one of the
// right size is reused as it is, otherwise it is (re)made.
void acDrawGlowForText(TBitmap* dstBmp, const UnicodeString& text, const TRect& r, UINT flags, unsigned sides,
                       int blurSize, TColor color, std::unique_ptr<TBitmap>& maskBmp);
