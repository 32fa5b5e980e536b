#pragma once
// Speed buttons and bitmap buttons. The speed button is so far the bare windowless control; its
// look and its group behaviour come with the controls that need them. The bitmap button is a
// push button that draws itself (an owner-drawn BUTTON window): a glyph bitmap of up to four
// frames beside its caption.
#include "Controls.h"
#include "StdCtrls.h"

#include <memory>

class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TComponent* owner);
    UnicodeString ClassName() const override { return L"TSpeedButton"; }
};

// A push button with a glyph. The glyph bitmap holds NumGlyphs frames side by side: up,
// disabled, clicked, down; its bottom-left pixel's colour is transparent. Layout puts the glyph
// against the caption, Spacing is the gap between them (-1: centred in the room left), Margin
// the distance of the pair from the edge (-1: the pair is centred).
class TBitBtn : public TButton {
public:
    // 75 x 25, spacing 4, margin -1, glyph left.
    explicit TBitBtn(TComponent* owner);
    ~TBitBtn() override;
    UnicodeString ClassName() const override { return L"TBitBtn"; }

    TBitmap* Glyph() const { return glyph_.get(); }
    // Copies the bitmap (null empties the glyph).
    void SetGlyph(TBitmap* value);
    int NumGlyphs() const { return numGlyphs_; }
    // 1 to 4; other values are ignored.
    void SetNumGlyphs(int value);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout value);
    int Spacing() const { return spacing_; }
    void SetSpacing(int value);
    int Margin() const { return margin_; }
    void SetMargin(int value);

    // Where the glyph and the caption lie in a client of that size for a caption of that size.
    void CalcLayout(const TRect& client, const TSize& textSize, TRect& glyphRect, TRect& textRect) const;
    // The width of one glyph frame and the glyph's height (0 x 0 without a glyph).
    TSize GlyphFrameSize() const;

protected:
    void CreateParams(TCreateParams& params) override;
    void Dispatch(TMessage& message) override;
    // Paints the button on the item's DC.
    void DrawItem(const DRAWITEMSTRUCT& item);

private:
    void Changed();
    std::unique_ptr<TBitmap> glyph_;
    int numGlyphs_ = 1;
    TButtonLayout layout_ = blGlyphLeft;
    int spacing_ = 4;
    int margin_ = -1;
};

// Registers the published class and reader factory of the classes in this file.
void RegisterButtonsClasses();
