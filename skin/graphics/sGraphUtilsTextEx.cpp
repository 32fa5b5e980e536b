#include "sGraphUtilsTextEx.h"

#include "Controls.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sDefaults.h"
#include "sGraphUtils.h"
#include "sGraphUtilsBlur.h"
#include "sGraphUtilsColor.h"
#include "sGraphUtilsGrey8.h"
#include "sGraphUtilsText.h"
#include "sGraphUtilsTextOut.h"
#include "sSkinManager.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

constexpr TColor noOutline = static_cast<TColor>(-1);

// The outline sides in drawing order; also the side bits 1, 2, 4, 8 of the glow.
struct Outline {
    TColor TsFontColor::*color;
    int dx, dy;
};
constexpr std::array<Outline, 4> outlines{{{&TsFontColor::Left, -1, 0},
                                           {&TsFontColor::Top, 0, -1},
                                           {&TsFontColor::Right, 1, 0},
                                           {&TsFontColor::Bottom, 0, 1}}};

// Draws the text in a copy of r.
void DrawAt(HDC dc, const UnicodeString& text, const TRect& r, UINT flags, int dx = 0, int dy = 0)
{
    TRect rc = r;
    rc.Offset(dx, dy);
    acDrawText(dc, text, rc, flags);
}

template <typename ColorOf>
void DrawWithOutlines(HDC dc, const UnicodeString& text, const TRect& r, UINT flags, const TsFontColor& fc,
                      ColorOf colorOf)
{
    for (const Outline& side : outlines) {
        const TColor c = fc.*side.color;
        if (c == noOutline) continue;
        SetTextColor(dc, ColorToGdi(colorOf(c)));
        DrawAt(dc, text, r, flags, side.dx, side.dy);
    }
    SetTextColor(dc, ColorToGdi(colorOf(fc.Color)));
    DrawAt(dc, text, r, flags);
}

// The standard look of plain text: disabled text engraved in the highlight and shadow colours.
void DrawPlain(TCanvas* canvas, const UnicodeString& text, bool enabled, const TRect& r, UINT flags)
{
    if (enabled) {
        DrawAt(acCanvasTextDC(canvas), text, r, flags);
        return;
    }
    canvas->Font()->SetColor(clBtnHighlight);
    DrawAt(acCanvasTextDC(canvas), text, r, flags, 1, 1);
    canvas->Font()->SetColor(clBtnShadow);
    DrawAt(acCanvasTextDC(canvas), text, r, flags);
}

const TsGeneralData* Section(TacSkinData* data, int index)
{
    if (!data || !IsValidIndex(index, static_cast<int>(data->gd.size()))) return nullptr;
    return &data->gd[static_cast<size_t>(index)];
}

// The control's colour changes applied to a text colour.
TColor ColorOf(const TsCommonData& data, TColor c)
{
    if (data.FColorTone != clNone) c = ChangeTone(c, static_cast<TColor>(SwapRedBlue(ColorToRGB(data.FColorTone))));
    c = ChangeHue(data.FHUEOffset, c);
    c = ChangeSaturation(c, data.FSaturation * 256 / 100);
    return ColorToRGB(c);
}

// Keeps the clip region and background mode of a canvas's DC and puts them back when it goes,
// with the text colour of the canvas font (what the canvas takes to be set while its font is
// selected). The selected objects are left alone: they belong to the canvas's own bookkeeping.
class SavedTextState {
public:
    explicit SavedTextState(TCanvas* canvas) : canvas_(canvas), dc_(canvas->Handle()) { Save(); }
    ~SavedTextState()
    {
        Restore();
        DeleteObject(clip_);
    }
    SavedTextState(const SavedTextState&) = delete;
    SavedTextState& operator=(const SavedTextState&) = delete;
    // Restores and keeps the state again.
    void Renew()
    {
        Restore();
        Save();
    }

private:
    void Save()
    {
        bkMode_ = GetBkMode(dc_);
        hasClip_ = clip_ && GetClipRgn(dc_, clip_) == 1;
    }
    void Restore()
    {
        SelectClipRgn(dc_, hasClip_ ? clip_ : nullptr);
        SetBkMode(dc_, bkMode_);
        SetTextColor(dc_, ColorToGdi(canvas_->Font()->Color()));
    }

    TCanvas* canvas_;
    HDC dc_;
    HRGN clip_ = CreateRectRgn(0, 0, 0, 0);
    bool hasClip_ = false;
    int bkMode_ = OPAQUE;
};

} // namespace

void WriteTextEx(TCanvas* canvas, const UnicodeString& text, bool enabled, TRect& r, UINT flags, int skinIndex,
                 bool hot, TObject* skinManager)
{
    if (!canvas || text.empty()) return;
    TsSkinManager* manager = skinManager ? dynamic_cast<TsSkinManager*>(skinManager) : DefaultManager;
    HDC dc = acCanvasTextDC(canvas);
    SetBkMode(dc, TRANSPARENT);
    const TsGeneralData* section =
        manager && manager->IsValidSkinIndex(skinIndex) ? Section(manager->CommonSkinData(96), skinIndex) : nullptr;
    if (!section) {
        acDrawText(dc, text, r, flags);
        return;
    }
    if (enabled) {
        DrawWithOutlines(dc, text, r, flags, section->Props[hot ? 1 : 0].FontColor, [](TColor c) { return c; });
    } else {
        SetTextColor(dc, ColorToGdi(BlendColors(section->Props[0].FontColor.Color, section->Props[0].Color,
                                                DefBlendDisabled)));
        DrawAt(dc, text, r, flags);
    }
}

void WriteTextEx(TCanvas* canvas, const UnicodeString& text, bool enabled, TRect& r, UINT flags,
                 TsCommonData* skinData, bool hot, TObject*, bool drawGlow)
{
    if (!canvas || text.empty()) return;
    TsSkinManager* manager = skinData ? skinData->GetSkinManager() : nullptr;
    const bool skinned = skinData && skinData->Skinned();
    if (hot && skinned && skinData->SkinIndex == manager->SkinCommonInfo.Sections[ssWebBtn])
        canvas->Font()->SetStyle(canvas->Font()->Style() << fsUnderline);
    canvas->Brush()->SetStyle(bsClear);
    SavedTextState saved(canvas);
    if (!skinned || skinData->CustomFont()) {
        DrawPlain(canvas, text, enabled, r, flags);
        return;
    }
    TControl* owner = skinData->FOwnerControl;
    const bool ownerHasParent = owner && owner->Parent();
    int fontIndex = skinData->SkinIndex;
    const auto& sections = manager->SkinCommonInfo.Sections;
    if (ownerHasParent && std::find(sections.begin(), sections.begin() + ssButton + 1, fontIndex) !=
                              sections.begin() + ssButton + 1)
        fontIndex = GetFontIndex(owner, skinData->SkinIndex, manager, hot ? 1 : 0);
    if (fontIndex < 0 && ownerHasParent) {
        canvas->Font()->SetColor(owner->Parent()->Font()->Color());
        DrawPlain(canvas, text, enabled, r, flags);
        return;
    }
    const int state = hot ? 1 : 0;
    HDC dc = acCanvasTextDC(canvas);
    const TsGeneralData* section = Section(skinData->GetCommonSkinData(), fontIndex);
    if (!section) {
        DrawAt(dc, text, r, flags);
        return;
    }
    const TsGenState& look = section->Props[static_cast<size_t>(state)];
    if (drawGlow && skinData->FCacheBmp && look.GlowSize != 0) {
        IntersectClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
        std::unique_ptr<TBitmap> mask;
        acDrawGlowForText(skinData->FCacheBmp.get(), text, r, flags, 15, look.GlowSize,
                          ColorOf(*skinData, look.GlowColor), mask);
        saved.Renew();
        dc = acCanvasTextDC(canvas);
    }
    SetBkMode(dc, TRANSPARENT);
    if (!enabled) {
        SetTextColor(dc, ColorToGdi(ColorOf(*skinData, BlendColors(look.FontColor.Color, manager->GetGlobalColor(),
                                                                   DefBlendDisabled))));
        DrawAt(dc, text, r, flags);
        return;
    }
    DrawWithOutlines(dc, text, r, flags, look.FontColor, [skinData](TColor c) { return ColorOf(*skinData, c); });
}

void acWriteTextEx(TCanvas* canvas, const UnicodeString& text, bool enabled, TRect& r, UINT flags, int skinIndex,
                   bool hot, TObject* skinManager)
{
    WriteTextEx(canvas, text, enabled, r, flags, skinIndex, hot, skinManager);
}

void acWriteTextEx(TCanvas* canvas, const UnicodeString& text, bool enabled, TRect& r, UINT flags,
                   TsCommonData* skinData, bool hot, TObject* unused, bool drawGlow)
{
    WriteTextEx(canvas, text, enabled, r, flags, skinData, hot, unused, drawGlow);
}

void acDrawGlowForText(TBitmap* dstBmp, const UnicodeString& text, const TRect& r, UINT flags, unsigned sides,
                       int blurSize, TColor color, std::unique_ptr<TBitmap>& maskBmp)
{
    TacBmpRows d(dstBmp);
    if (!d.Valid() || text.empty() || blurSize < 0) return;
    TRect t = r;
    t.Offset(1, 1);
    const int margin = blurSize + 4;
    const int width = t.Width() + 2 * margin, height = t.Height() + 2 * margin;
    if (width <= 0 || height <= 0) return;
    if (!maskBmp || maskBmp->PixelFormat() != pf8bit || maskBmp->Width() != width || maskBmp->Height() != height) {
        if (!maskBmp) maskBmp = std::make_unique<TBitmap>();
        MakeGreyBmp8(*maskBmp, width, height);
        TCanvas* canvas = maskBmp->Canvas();
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(static_cast<TColor>(0xFFFFFF));
        canvas->FillRect(TRect(0, 0, width, height));
        canvas->Font()->Assign(dstBmp->Canvas()->Font());
        canvas->Font()->SetColor(clBlack);
        canvas->Brush()->SetStyle(bsClear);
        HDC dc = acCanvasTextDC(canvas);
        SetBkMode(dc, TRANSPARENT);
        const TRect tb(margin, margin, margin + t.Width(), margin + t.Height());
        for (size_t i = 0; i < outlines.size(); ++i)
            if ((sides & (1u << i)) != 0) DrawAt(dc, text, tb, flags, outlines[i].dx, outlines[i].dy);
        DrawAt(dc, text, tb, flags);
        GdiFlush();
        Blur8(maskBmp.get(), blurSize);
    }
    GdiFlush();
    const TsColor_RGB glow{.Col = color};
    for (int y = 0; y < height; ++y) {
        const int dy = t.Top + y - margin;
        if (dy < 0 || dy >= d.Height()) continue;
        const auto* row = static_cast<const std::uint8_t*>(maskBmp->ScanLine(y));
        auto dst = d.Row(dy);
        for (int x = 0; x < width; ++x) {
            const int m = row[x];
            const int dx = t.Left + x - margin;
            if (m == 255 || dx < 0 || dx >= d.Width()) continue;
            const int g = 255 - m;
            TsColor_& p = dst[static_cast<size_t>(dx)];
            p.A = static_cast<std::uint8_t>(p.A + (((255 - p.A) * g) >> 8));
            p.R = static_cast<std::uint8_t>((glow.Red * g + p.R * m) >> 8);
            p.G = static_cast<std::uint8_t>((glow.Green * g + p.G * m) >> 8);
            p.B = static_cast<std::uint8_t>((glow.Blue * g + p.B * m) >> 8);
        }
    }
}
