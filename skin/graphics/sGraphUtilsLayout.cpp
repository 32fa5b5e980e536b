#include "sGraphUtilsLayout.h"

#include <algorithm>

void CalcButtonLayout(const TRect& client, TPoint glyphSize, TSize textSize, TButtonLayout layout,
                      TAlignment alignment, int margin, int spacing, TPoint& glyphPos, TRect& textBounds,
                      int biDiFlags, TVerticalAlignment verticalAlignment)
{
    const int cw = client.Right - client.Left, ch = client.Bottom - client.Top;
    const bool sideways = layout == blGlyphLeft || layout == blGlyphRight;
    const int marginArg = margin;
    textBounds = {0, 0, textSize.cx, textSize.cy};
    int textX = 0, textY = 0;
    if (sideways) {
        glyphPos.Y = (ch - glyphSize.Y + 1) / 2;
        textY = (ch - textSize.cy + 1) / 2;
    } else {
        glyphPos.X = (cw - glyphSize.X + 1) / 2;
        textX = (cw - textSize.cx + 1) / 2;
    }
    if (textSize.cx == 0 || glyphSize.X == 0) spacing = 0;

    if (margin != -1 && spacing == -1) {
        const TPoint total{cw - (glyphSize.X + margin), ch - (glyphSize.Y + margin)};
        spacing = sideways ? (total.X - textSize.cx) / 2 : (total.Y - textSize.cy) / 2;
    } else if (margin == -1 && spacing != -1) {
        margin = 2;
        if (verticalAlignment == taVerticalCenter && alignment == taCenter) {
            const TPoint total{glyphSize.X + spacing + textSize.cx, glyphSize.Y + spacing + textSize.cy};
            margin = ((sideways ? cw - total.X : ch - total.Y) + 1) / 2;
        }
    } else if (margin == -1 && spacing == -1) {
        const TPoint total{glyphSize.X + textSize.cx, glyphSize.Y + textSize.cy};
        margin = spacing = (sideways ? cw - total.X : ch - total.Y) / 3;
    }

    if (layout == blGlyphLeft) {
        switch (alignment) {
        case taLeftJustify:
            if (glyphSize.X > 0) {
                glyphPos.X = margin;
                textX = margin + glyphSize.X + spacing;
                textBounds.Right = client.Right - margin - textX;
            } else {
                textX = margin;
                textBounds.Right = textX + textSize.cx;
            }
            break;
        case taRightJustify:
            textX = cw - margin - textSize.cx;
            glyphPos.X = textX - spacing - glyphSize.X;
            break;
        case taCenter:
            glyphPos.X = std::max<int>((cw - textSize.cx - spacing - glyphSize.X) / 2, margin);
            textX = glyphPos.X + spacing + glyphSize.X;
            break;
        }
    } else if (layout == blGlyphRight) {
        switch (alignment) {
        case taLeftJustify:
            glyphPos.X = margin + textSize.cx + spacing;
            textX = glyphPos.X - spacing - textSize.cx;
            break;
        case taRightJustify:
            glyphPos.X = cw - margin - glyphSize.X;
            textX = 0;
            textBounds.Right = glyphPos.X - spacing;
            break;
        case taCenter:
            textX = (cw - textSize.cx - spacing - glyphSize.X) / 2;
            glyphPos.X = textX + spacing + textSize.cx;
            break;
        }
    } else {
        const int q = (ch - glyphSize.Y - spacing - textSize.cy) / 2;
        if (layout == blGlyphTop) {
            glyphPos.Y = q;
            textY = glyphPos.Y + glyphSize.Y + spacing;
        } else {
            glyphPos.Y = ch - glyphSize.Y - q;
            textY = glyphPos.Y - spacing - textSize.cy;
        }
    }

    glyphPos.X += client.Left;
    glyphPos.Y += client.Top;
    textBounds.Offset(client.Left + textX, client.Top + textY);

    const int m = std::max(0, marginArg);
    auto moveText = [&](int dy) { textBounds.Offset(0, dy); };
    if (verticalAlignment == taAlignTop) {
        if (sideways) {
            glyphPos.Y = m;
            moveText(m - textBounds.Top);
        } else if (layout == blGlyphTop) {
            moveText(m - glyphPos.Y);
            glyphPos.Y = m;
        } else {
            const int dy = m - textBounds.Top;
            moveText(dy);
            glyphPos.Y += dy;
        }
    } else if (verticalAlignment == taAlignBottom) {
        const int b = client.Bottom - m;
        if (sideways) {
            glyphPos.Y = b - glyphSize.Y;
            moveText(b - textBounds.Bottom);
        } else if (layout == blGlyphTop) {
            const int dy = b - textBounds.Bottom;
            moveText(dy);
            glyphPos.Y += dy;
        } else {
            moveText(b - glyphPos.Y - glyphSize.Y);
            glyphPos.Y = b - glyphSize.Y;
        }
    }

    if (biDiFlags & 2) {
        textBounds = {cw - textBounds.Right, textBounds.Top, cw - textBounds.Left, textBounds.Bottom};
        glyphPos.X = cw - glyphPos.X - glyphSize.X;
    }
}
