#include "sGraphUtilsShapes.h"

#include "Colors.h"
#include "Themes.h"
#include "acntUtils.h"

void FocusRect(TCanvas* canvas, TRect r, TColor color1, TColor color2)
{
    if (!canvas) return;
    HDC dc = canvas->Handle();
    --r.Right;
    --r.Bottom;
    const auto put = [dc](int x, int y, TColor c) {
        if (c != clNone) SetPixelV(dc, x, y, ColorToGdi(ColorToRGB(c)));
    };
    for (int i = WidthOf(r) / 2; i >= 1; --i) {
        const int x = r.Left + 2 * i;
        for (int y : {static_cast<int>(r.Top), static_cast<int>(r.Bottom)}) {
            put(x, y, color2);
            put(x - 1, y, color1);
        }
    }
    for (int i = HeightOf(r) / 2; i >= 1; --i) {
        const int y = r.Top + 2 * i;
        for (int x : {static_cast<int>(r.Left), static_cast<int>(r.Right)}) {
            put(x, y, color2);
            put(x, y - 1, color1);
        }
    }
}

void acDrawFocusRect(TCanvas* canvas, const TRect& r)
{
    if (!canvas) return;
    const RECT rc = r;
    DrawFocusRect(canvas->Handle(), &rc);
}

int DrawRectangleOnDC(HDC dc, TRect& r, TColor topLeftColor, int& width, TColor bottomRightColor)
{
    HPEN topLeft = CreatePen(PS_SOLID, 1, ColorToGdi(ColorToRGB(topLeftColor)));
    HPEN bottomRight = CreatePen(PS_SOLID, 1, ColorToGdi(bottomRightColor));
    HGDIOBJ oldPen = SelectObject(dc, topLeft);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    --r.Right;
    --r.Bottom;
    while (width > 0) {
        --width;
        SelectObject(dc, topLeft);
        const POINT first[3] = {{r.Left, r.Bottom}, {r.Left, r.Top}, {r.Right, r.Top}};
        Polyline(dc, first, 3);
        SelectObject(dc, bottomRight);
        const POINT second[3] = {{r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left - 1, r.Bottom}};
        Polyline(dc, second, 3);
        r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    }
    ++r.Right;
    ++r.Bottom;
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(topLeft);
    DeleteObject(bottomRight);
    width = 0;
    return 0;
}

void acPaintStdBtn(TCanvas* canvas, TRect r, bool enabled, bool focused, int state)
{
    if (!canvas) return;
    HDC dc = canvas->Handle();
    if (StyleServices().Enabled()) {
        // The element over a button-face fill in the standard frame colour.
        canvas->Brush()->SetColor(clBtnFace);
        canvas->Pen()->SetColor(clWindowFrame);
        canvas->Rectangle(r.Left, r.Top, r.Right, r.Bottom);
        const TThemedButton element = !enabled    ? tbPushButtonDisabled
                                      : state == 1 ? tbPushButtonHot
                                      : state == 2 ? tbPushButtonPressed
                                      : state == 3 ? tbPushButtonDefaulted
                                                   : tbPushButtonNormal;
        const TThemedElementDetails details = StyleServices().GetElementDetails(element);
        StyleServices().DrawElement(dc, details, r);
        if (focused) {
            const RECT rc = StyleServices().ContentRect(dc, details, r);
            DrawFocusRect(dc, &rc);
        }
        return;
    }
    const TRect button = r;
    if (state == 3) {
        int one = 1;
        DrawRectangleOnDC(dc, r, clWindowFrame, one, ColorToRGB(clWindowFrame));
        r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    }
    if (state == 2) {
        // Pressed: a flat face inside a shadow frame.
        HBRUSH face = CreateSolidBrush(ColorToGdi(ColorToRGB(clBtnFace)));
        const RECT rc = r;
        FillRect(dc, &rc, face);
        DeleteObject(face);
        int one = 1;
        DrawRectangleOnDC(dc, r, clBtnShadow, one, ColorToRGB(clBtnShadow));
        r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
        one = 1;
        DrawRectangleOnDC(dc, r, clBtnFace, one, clWhite);
    } else {
        RECT rc = r;
        DrawFrameControl(dc, &rc, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (enabled ? 0 : DFCS_INACTIVE));
    }
    if (focused) {
        const RECT rc{button.Left + 3, button.Top + 3, button.Right - 3, button.Bottom - 3};
        DrawFocusRect(dc, &rc);
    }
}
