#pragma once
// Fonts made for skinned text: a turned copy of a font selected into a DC for angled captions,
// and an anti-aliased copy of a font.
#include "Graphics.h"

#include <windows.h>

// Owns one font handle and deletes it when it goes.
class TacFontHandle {
public:
    TacFontHandle() = default;
    explicit TacFontHandle(HFONT font) : font_(font) {}
    ~TacFontHandle() { Reset(); }
    TacFontHandle(TacFontHandle&& other) noexcept : font_(other.font_) { other.font_ = nullptr; }
    TacFontHandle& operator=(TacFontHandle&& other) noexcept
    {
        if (this != &other) {
            Reset();
            font_ = other.font_;
            other.font_ = nullptr;
        }
        return *this;
    }
    TacFontHandle(const TacFontHandle&) = delete;
    TacFontHandle& operator=(const TacFontHandle&) = delete;

    HFONT Get() const { return font_; }
    void Reset()
    {
        if (font_) ::DeleteObject(font_);
        font_ = nullptr;
    }

private:
    HFONT font_ = nullptr;
};

// What MakeAngledFont leaves to the caller: the font selected in the DC before, to be selected
// back, and the turned font, deleted when this goes (so select OldFont back first).
struct TacAngledFont {
    HFONT OldFont = nullptr;
    TacFontHandle Font;
};

// Selects a copy of font turned by angle (tenths of a degree) into dc and sets the DC's text
// colour to the font colour. "MS Sans Serif", a bitmap font that cannot turn, becomes "Arial";
// the default quality becomes anti-aliased.
TacAngledFont MakeAngledFont(HDC dc, TFont* font, int angle);
// Replaces the font's handle by an anti-aliased copy.
void SetFontSmoothing(TFont* font);
