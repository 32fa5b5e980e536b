#pragma once
// The label that draws its text turned by an angle and with a soft drop shadow: the text is
// rendered as a white mask, blurred by repeated four-neighbour averaging and blended in the
// shadow colour over the background, then the text goes on top. Shadow settings come from the
// label or from the skin; the text colour from a kind choice.
#include "sLabel.h"

#include <cstdint>
#include <vector>

class TsLabelFX;

enum TsShadowMode { smNone, smCustom, smSkin1 };
enum TsKindType { ktStandard, ktCustom, ktSkin };

// The margins the current shadow added around the text (LeftTop <= 0, RightBottom >= 0).
class TacOffsetKeeper : public TPersistent {
public:
    UnicodeString ClassName() const override { return L"TacOffsetKeeper"; }
    int RightBottom = 0;
    int LeftTop = 0;
};

struct TacShadowData {
    int BlurCount = 0, Distance = 0;
    std::uint8_t Alpha = 0;
    TColor Color = 0;
};

class TsShadow : public TPersistent {
public:
    explicit TsShadow(TsLabelFX* AOwner) : FOwner(AOwner) { UpdateRGB(); }
    UnicodeString ClassName() const override { return L"TsShadow"; }

    int Distance() const { return FDistance; }
    void SetDistance(int Value);
    int BlurCount() const { return FBlurCount; }
    void SetBlurCount(int Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TsShadowMode Mode() const { return FMode; }
    void SetMode(TsShadowMode Value);
    std::uint8_t AlphaValue() const { return FAlphaValue; }
    void SetAlphaValue(std::uint8_t Value);
    TacOffsetKeeper* OffsetKeeper() { return &FOffsetKeeper; }
    // Caches the red, green and blue bytes of the colour.
    void UpdateRGB();

    int R = 0, G = 0, B = 0;

private:
    int FDistance = 1, FBlurCount = 4;
    TColor FColor = 0;
    TsLabelFX* FOwner;
    TsShadowMode FMode = smSkin1;
    std::uint8_t FAlphaValue = 255;
    TacOffsetKeeper FOffsetKeeper;
};

class TsKind : public TPersistent {
public:
    explicit TsKind(TControl* AOwner) : FOwner(AOwner) {}
    UnicodeString ClassName() const override { return L"TsKind"; }
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TsKindType KindType() const { return FKindType; }
    void SetKindType(TsKindType Value);

private:
    TColor FColor = 0xFFFFFF;
    TControl* FOwner;
    TsKindType FKindType = ktSkin;
};

class TsLabelFX : public TsCustomLabel {
public:
    explicit TsLabelFX(TComponent* AOwner);
    UnicodeString ClassName() const override { return L"TsLabelFX"; }

    int Angle() const { return FAngle; }
    void SetAngle(int Value);
    TsShadow* Shadow() const { return FShadow.get(); }
    TsKind* Kind() const { return FKind.get(); }

    TacShadowData CurrentShadowData();
    bool ShadowExists() const { return FShadow->Mode() != smNone; }
    TColor CurrentFontColor();
    TColor TextColor() override;
    // Resizes the label when the shadow's margins changed.
    void UpdatePosition();
    void Invalidate() override;
    void WndProc(TMessage& Message) override;
    void AdjustBounds() override;

    int ShadowMargin = 0;
    bool PositionUpdating = false;
    bool ShadowDirty = true;
    int PrevWidth = 0;

protected:
    void DoDrawText(TRect& Rect, TTextFormat Flags) override;

private:
    // The margins (L <= 0, R >= 0) of the current shadow data.
    void Margins(int& L, int& R);
    void MakeShadow(const TRect& TextRect, int X, int Y, int dx, int dy, UINT Flags, const UnicodeString& Text,
                    const TacShadowData& Data);
    int FAngle = 0;
    std::unique_ptr<TBitmap> ShadowBmp;
    std::vector<std::uint8_t> Mask;
    std::unique_ptr<TsShadow> FShadow;
    std::unique_ptr<TsKind> FKind;
};
