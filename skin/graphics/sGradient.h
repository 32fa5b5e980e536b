#pragma once
// Gradients and shadows.
#include "Graphics.h"

#include <memory>

// A new 32-bit bitmap of (2 radius + extraWidth + 1) x (2 radius + extraHeight + top + 1) for a
// rounded soft shadow: filled white with alpha 255 as a mask, else with the colour at alpha 0.
// For now the shadow itself is not drawn into it.
std::unique_ptr<TBitmap> MakeShadow(TColor color, int radius, int top, int extraHeight, int extraWidth, int blur,
                                    bool asMask, bool premultiply);
