#pragma once
// The pixel and alpha routines every skin painter stands on. A pixel is a 32-bit word with
// bytes B, G, R, A; a colour (TColor) has red in byte 0, so a colour becomes a pixel by
// exchanging bytes 0 and 2. Work bitmaps hold straight alpha; UpdateAlpha premultiplies right
// before a bitmap goes to a layered window. 0x00FF00FF is the key colour, 0x00FFFFFF
// (transparent white) counts as fully transparent. On them stand the nine-slice painters of skin
// images, skin glyphs, sections painted with their alpha for layered output, the restoring of a
// control cache's transparent corners, and text written into 32-bit bitmaps.
#include "Controls.h"
#include "Graphics.h"
#include "Types.h"
#include "sConst.h"
#include "sMaskData.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class TsSkinManager;

// Bytes 0 and 2 exchanged, byte 3 kept: a colour as a pixel and back.
constexpr std::int32_t SwapRedBlue(std::int32_t color)
{
    const auto v = static_cast<std::uint32_t>(color);
    return static_cast<std::int32_t>((v & 0xFF00FF00u) | (v & 0xFFu) << 16 | (v >> 16 & 0xFFu));
}
// The same result: byte reversal of the word, then rotation right by 8 bits.
constexpr std::int32_t SwapColor(std::int32_t color)
{
    const auto v = static_cast<std::uint32_t>(color);
    const std::uint32_t reversed = (v >> 24) | (v >> 8 & 0xFF00u) | (v << 8 & 0xFF0000u) | (v << 24);
    return static_cast<std::int32_t>(reversed >> 8 | reversed << 24);
}
// The four bytes reversed (big-endian fields).
constexpr std::uint32_t SwapLong(std::uint32_t value)
{
    return (value >> 24) | (value >> 8 & 0xFF00u) | (value << 8 & 0xFF0000u) | (value << 24);
}
// Reverses the bytes of every word in place.
void SwapLong(std::span<std::uint32_t> values);
// Stores value into the first count words of dest (at most dest's size; nothing for count <= 0).
void FillLongword(std::span<std::uint32_t> dest, int count, std::uint32_t value);

// The word at (x, y); 0 outside the bitmap.
TsColor GetAPixel(TBitmap* bmp, int x, int y);
// Stores the word unchanged (the TColor form does not swap red and blue); nothing outside.
void SetAPixel(TBitmap* bmp, int x, int y, TsColor value);
void SetAPixel(TBitmap* bmp, int x, int y, TColor value);

// R clipped to the bitmap, filled with the colour as a pixel whose alpha is `alpha`.
void FillRect32(TBitmap* bmp, const TRect& r, TColor color, std::uint8_t alpha);
// R minus the inner rectangle excl, as four bands.
void FillRect32Excl(TBitmap* bmp, const TRect& r, const TRect& excl, TColor color, std::uint8_t alpha);
// Sets the alpha byte of R's pixels outside the excluded rectangles: all of them for clNone,
// else only those whose word differs from color as passed.
void FillAlphaRect(TBitmap* bmp, TRect r, std::uint8_t alpha, TColor color, const std::vector<TRect>& excl = {});
// Mixes color into R's RGB; blend is the weight of the existing pixel. R's right and bottom are
// inclusive after clamping to the last column and row.
void BlendColorRect(TBitmap* bmp, TRect r, std::uint8_t blend, TColor color);

// Premultiplies RGB by alpha (transparent white becomes 0). Without desktop composition a
// near-white pixel is limited to 244 per channel.
void UpdateAlpha(TBitmap* bmp);
void UpdateAlpha(TBitmap* bmp, const TRect& r);
void UpdateTransPixels(TBitmap* bmp);
// A bitmap without any alpha gets alpha 255 wherever it differs from its bottom-left colour.
void CheckEmptyAChannel(TBitmap* bmp);

// Lets the parent's background (src at offset) show through the key pixels of dst's R.
// maskIndex -1: key pixels of dst itself; otherwise the transparent pixels of that mask of the
// skin data (a TacSkinData), at the corner the hit-test code names (14, 16, 17, else top-left).
void FillTransPixels32(TBitmap* dst, TBitmap* src, const TRect& r, TPoint offset, int maskIndex, TObject* skinData,
                       int corner);
// The same with a manager's common skin data at 96 PPI (null: the default manager).
void FillTransPixels32(TBitmap* dst, TBitmap* src, const TRect& r, TPoint offset, int maskIndex,
                       TsSkinManager* manager, int corner);

// Zeroes the pixels of bmp1 whose RGB equals bmp2's (same size only).
void DiffBmp32(TBitmap* bmp1, TBitmap* bmp2);
// A new icon (the caller destroys it) from a 32-bit bitmap; its mask is 255 - alpha.
HICON MakeIcon32(TBitmap* bmp, bool unused = false);
// Makes or reuses the round mouse-light mask of the given colour.
void PrepareLightMask(std::unique_ptr<TBitmap>& bmp, int radius, int unused, TColor color);
// Greys and/or blends an image (with the cache behind it, or a colour) to look disabled.
void BmpDisabledKind(TBitmap* bmp, TsDisabledKind disabledKind, TControl* control, const TCacheInfo& ci,
                     TPoint offset);

// ---------------------------------------------------------------------------------------------
// Nine-slice painting of skin images. An image (TsMaskData) lies in its own bitmap or at R of
// its manager's master bitmap: its states side by side, each Width x Height, and with a MaskType
// other than 0 a grey mask Height rows below the picture. In the 32-bit copiers the mask's red
// byte is the weight of the existing pixel (0 shows the picture, 255 keeps the destination); the
// GDI-side ones weigh each channel by the mask's own channel. Key pixels (0x00FF00FF) take the
// parent's background from ci. Every read and write stays inside its bitmap.

// The image's state (at most its last) over R: corners at their size, sides and centre tiled or
// stretched (DrawMode bit 0), the centre only with DrawMode bit 2, nothing for state 0 with bit 1.
// Corners take the parent's background into their key pixels when updateCorners is set and the
// image marks transparent corners (Cfg bit 0 or 1).
void DrawSkinRect(TBitmap* bmp, const TRect& r, const TCacheInfo& ci, const TsMaskData& maskData, int state,
                  bool updateCorners);
// The same composed wholly in 32 bits; the corners always take the background.
void DrawSkinRect32(TBitmap* bmp, const TRect& r, const TCacheInfo& ci, const TsMaskData& maskData, int state);
// As DrawSkinRect32 with each border drawn at most as thick as limits gives for its side (outer
// part), and the picture laid at opacity (0-255).
void DrawSkinRect32Ex(TBitmap* bmp, const TRect& r, const TCacheInfo& ci, const TsMaskData& maskData, int state,
                      const TRect& limits, int opacity);
// A small image of the master bitmap cut in thirds: corners a third of a state, sides and centre
// tiled with the middle third (stretched without a mask and with DrawMode bit 0).
void DrawSmallSkinRect(TBitmap* bmp, const TRect& r, const TCacheInfo& ci, const TsMaskData& maskData, int state);

// One piece of srcRect (mask half the height of maskData.R below it) into dstRect, unscaled.
void CopyByMask32(TRect dstRect, TRect srcRect, TBitmap* dstBmp, TBitmap* srcBmp, const TCacheInfo& ci,
                  const TsMaskData& maskData);
// The same with the picture laid at opacity (0-255).
void CopyByMask32Ex(TRect dstRect, TRect srcRect, TBitmap* dstBmp, TBitmap* srcBmp, const TCacheInfo& ci,
                    const TsMaskData& maskData, int opacity);
// A piece (its mask maskOffset rows below; 0: no mask, a plain stretch) stretched over the
// destination rectangle; centre marks the centre piece of a nine-slice image.
void StretchBltMask32(int dstX, int dstY, int dstW, int dstH, int srcX, int srcY, int srcW, int srcH, TBitmap* dstBmp,
                      TBitmap* srcBmp, int maskOffset, bool centre);
void StretchBltMask32Ex(int dstX, int dstY, int dstW, int dstH, int srcX, int srcY, int srcW, int srcH,
                        TBitmap* dstBmp, TBitmap* srcBmp, int maskOffset, bool centre, int opacity);
// GDI side: each channel weighed by the mask's own channel, the result opaque.
void StretchBltMask(int dstX, int dstY, int dstW, int dstH, int srcX, int srcY, int srcW, int srcH, TBitmap* dstBmp,
                    TBitmap* srcBmp, int maskOffset, bool centre);
// srcRect of the image's bitmap (its own, else the manager's master bitmap) into dstRect, each
// channel weighed by the mask's own channel; key pixels take ci's fill colour or cache pixel.
void CopyMasterRect(TRect dstRect, TRect srcRect, TBitmap* dst, const TCacheInfo& ci, const TsMaskData& maskData);

// ---------------------------------------------------------------------------------------------
// Glyphs, 32-bit items, corners and text of a control's cached image

class TsCommonData;
class TacSkinData;

// One state of a glyph image (at most its last) with its top-left corner at P; rows and columns
// left of or above the bitmap are left out. Mode 1 draws normally, any other value faded. An
// image with its own bitmap is composed from it; one in the master bitmap needs its manager:
// key-colour pictures take ci's background (Mode 1) or are blended at 127, pictures with alpha
// are painted at 255 or 127, masked ones go through their mask.
void DrawSkinGlyph(TBitmap* Bmp, TPoint P, int State, int Mode, const TsMaskData& MaskData, const TCacheInfo& CI);
// Composes SrcRect of SrcBmp (inclusive rectangles) into DstRect of the 32-bit DstBmp: through
// the mask below the picture (MaskType not 0), by the picture's own alpha (DrawMode bit 4), or as
// a keyed copy. Faded modes weigh the picture less. Cut to both bitmaps.
void BlendGlyphByMask(TRect DstRect, TRect SrcRect, TBitmap* DstBmp, TBitmap* SrcBmp, int Mode,
                      const TsMaskData& MaskData);
// Paints Color through an 8-bit grey mask (255 keeps the pixel, 0 takes the colour) at P; the
// mask is clipped to the bitmap. R is not used.
void BlendColorByMask(TBitmap* Bmp, TBitmap* Mask, TPoint P, const TRect& R, TsColor Color);

enum TsCorner : std::uint8_t { scLeftTop, scLeftBottom, scRightTop, scRightBottom };
using TsCorners = TSet<TsCorner>;
inline constexpr TsCorners AllCorners{scLeftTop, scLeftBottom, scRightTop, scRightBottom};

// Restores the chosen transparent corners of the control's cache bitmap from what lies behind
// the control (the parent's cache, else its background colour), for the section's border mask
// in State. Nothing without an active manager or a border mask that marks transparent corners.
void UpdateCorners(TsCommonData* SkinData, int State, TsCorners Corners);

// Paints the section (background layers and border image) into R of a 32-bit bitmap with the
// alpha kept; premultiplies when the bitmap is exactly R. The Boolean and P have no effect.
void PaintItem32(int SkinIndex, bool Unused, int State, const TRect& R, const TPoint& P, TBitmap* ItemBmp,
                 TacSkinData* SkinData);
// The section's background layers in State: texture, gradient and colour by their percentages
// and the transparency; a Color other than 0xFF00FF fills R with it instead.
void PaintItemBG32(int SkinIndex, int State, const TRect& R, TBitmap* ItemBmp, TacSkinData* SkinData, TColor Color);

// Writes Text in Color into the 32-bit bitmap inside R with the DrawText flags and the bitmap's
// font. AlphaMode false treats the bitmap as opaque; true raises the alpha where the text lies.
// Narrow draws the text as an 8-bit string.
void WriteColor(TBitmap* Bmp, const UnicodeString& Text, bool AlphaMode, TRect R, UINT Flags, TColor Color,
                bool Narrow = false);
// The same, drawn with DrawTextW.
void WriteColorW(TBitmap* Bmp, const UnicodeString& Text, bool AlphaMode, TRect R, UINT Flags, TColor Color);
// A caption in the font colours of the section's State (the manager's, else the default one);
// in AlphaMode the contour colours that are set are drawn first, shifted left, up, right and
// down. Without a manager or a known section: the canvas font's colour. The last Boolean has no
// effect.
void WriteText32(TBitmap* Bmp, const UnicodeString& Text, bool AlphaMode, TRect R, UINT Flags, int SkinIndex,
                 int State, TsSkinManager* SkinManager, bool Unused = false);
// A frame of four opaque bands of the given widths inside R.
void FillDCBorder32(TBitmap* Bmp, const TRect& R, int wl, int wt, int wr, int wb, TColor Color);

// Start-up and shut-down of the unit (they only count).
void sAlphaGraphInitialization();
void sAlphaGraphFinalization();
