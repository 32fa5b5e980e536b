#include "Graphics.h"

#include <gtest/gtest.h>

TEST(Font, SizeAndHeightFollowPixelsPerInch)
{
    struct Case {
        int ppi;
        int size;
        int height;
    };
    // Height = -MulDiv(Size, ppi, 72); Size = -MulDiv(Height, 72, ppi) (rounded).
    const Case cases[] = {{96, 8, -11}, {96, 10, -13}, {96, 12, -16}, {120, 8, -13}, {120, 9, -15}, {144, 8, -16},
                          {144, 11, -22}, {192, 8, -21}};
    for (const auto& c : cases) {
        TFont font;
        font.SetPixelsPerInch(c.ppi);
        font.SetSize(c.size);
        EXPECT_EQ(font.Height(), c.height) << c.ppi << " ppi, " << c.size << " pt";
        EXPECT_EQ(font.Size(), c.size) << c.ppi << " ppi, " << c.size << " pt";
    }
    TFont font;
    font.SetPixelsPerInch(96);
    font.SetHeight(-11);
    EXPECT_EQ(font.Size(), 8);  // 8.25 rounds to 8
    font.SetHeight(16);         // positive: cell height, negative size
    EXPECT_EQ(font.Size(), -12);

    TFont fresh;
    EXPECT_EQ(fresh.PixelsPerInch(), ScreenPixelsPerInch());
    EXPECT_EQ(fresh.Size(), 8);
    EXPECT_EQ(fresh.Color(), clWindowText);
}

TEST(Font, AssignAcrossPixelDensitiesKeepsPointSize)
{
    TFont source;
    source.SetPixelsPerInch(96);
    source.SetName(L"Courier New");
    source.SetSize(10);
    source.SetStyle({fsBold, fsUnderline});
    source.SetColor(clRed);
    TFont target;
    target.SetPixelsPerInch(144);
    target.Assign(&source);
    EXPECT_EQ(target.Name(), L"Courier New");
    EXPECT_EQ(target.Size(), 10);
    EXPECT_EQ(target.Height(), -20);
    EXPECT_EQ(target.PixelsPerInch(), 144);
    EXPECT_EQ(target.Style(), (TFontStyles{fsBold, fsUnderline}));
    EXPECT_EQ(target.Color(), clRed);

    TBrush brush;
    EXPECT_THROW(target.Assign(&brush), EConvertError);
}

TEST(Font, HandleIsCachedAndReplacedOnChange)
{
    TFont font;
    font.SetStyle({fsItalic});
    HFONT first = font.Handle();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(font.Handle(), first);

    LOGFONTW lf{};
    ASSERT_EQ(::GetObjectW(first, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
    EXPECT_EQ(lf.lfHeight, font.Height());
    EXPECT_TRUE(lf.lfItalic);
    EXPECT_EQ(UnicodeString(lf.lfFaceName), L"Tahoma");

    font.SetColor(clBlue);  // colour is no HFONT property
    EXPECT_EQ(font.Handle(), first);

    font.SetSize(20);
    EXPECT_EQ(::GetObjectType(first), 0u) << "old handle must be deleted";
    HFONT second = font.Handle();
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(::GetObjectW(second, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
    EXPECT_EQ(lf.lfHeight, font.Height());

    {
        TFont temporary;
        first = temporary.Handle();
    }
    EXPECT_EQ(::GetObjectType(first), 0u) << "destructor must delete the handle";
}

TEST(Font, AdoptedHandleSetsProperties)
{
    LOGFONTW lf{};
    lf.lfHeight = -17;
    lf.lfWeight = FW_BOLD;
    lf.lfStrikeOut = TRUE;
    lf.lfPitchAndFamily = FIXED_PITCH;
    lf.lfCharSet = ANSI_CHARSET;
    wcscpy(lf.lfFaceName, L"Courier New");
    HFONT handle = ::CreateFontIndirectW(&lf);
    {
        TFont font;
        font.SetHandle(handle);
        EXPECT_EQ(font.Handle(), handle);
        EXPECT_EQ(font.Name(), L"Courier New");
        EXPECT_EQ(font.Height(), -17);
        EXPECT_EQ(font.Style(), (TFontStyles{fsBold, fsStrikeOut}));
        EXPECT_EQ(font.Pitch(), fpFixed);
        EXPECT_EQ(font.Charset(), ANSI_CHARSET);
    }
    EXPECT_EQ(::GetObjectType(handle), 0u) << "the font owns an adopted handle";
}

TEST(GraphicsObjects, OnChangeFiresAndCanBeDetached)
{
    TFont font;
    int changes = 0;
    font.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &font);
        ++changes;
    };
    font.SetSize(12);
    font.SetSize(12);  // no change, no event
    font.SetColor(clRed);
    EXPECT_EQ(changes, 2);
    TNotifyEvent saved = font.OnChange;
    font.OnChange = nullptr;
    font.SetSize(14);
    font.OnChange = saved;
    font.SetStyle({fsBold});
    EXPECT_EQ(changes, 3);

    TPen pen;
    int penChanges = 0;
    pen.OnChange = [&](TObject*) { ++penChanges; };
    pen.SetStyle(psDot);
    pen.SetMode(pmXor);
    pen.SetWidth(3);
    EXPECT_EQ(penChanges, 3);
}

TEST(GraphicsObjects, BrushAndPenHandles)
{
    TBrush brush;
    brush.SetColor(clLime);
    HBRUSH solid = brush.Handle();
    LOGBRUSH lb{};
    ASSERT_EQ(::GetObjectW(solid, sizeof(lb), &lb), static_cast<int>(sizeof(lb)));
    EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(lb.lbColor, static_cast<COLORREF>(clLime));

    brush.SetStyle(bsClear);
    EXPECT_EQ(::GetObjectType(solid), 0u);
    ASSERT_EQ(::GetObjectW(brush.Handle(), sizeof(lb), &lb), static_cast<int>(sizeof(lb)));
    EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_NULL));
    brush.SetColor(clBtnFace);  // a colour makes a clear brush solid again
    EXPECT_EQ(brush.Style(), bsSolid);
    ASSERT_EQ(::GetObjectW(brush.Handle(), sizeof(lb), &lb), static_cast<int>(sizeof(lb)));
    EXPECT_EQ(lb.lbColor, ::GetSysColor(COLOR_BTNFACE));
    brush.SetStyle(bsDiagCross);
    ASSERT_EQ(::GetObjectW(brush.Handle(), sizeof(lb), &lb), static_cast<int>(sizeof(lb)));
    EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_HATCHED));
    EXPECT_EQ(lb.lbHatch, static_cast<ULONG_PTR>(HS_DIAGCROSS));

    TPen pen;
    pen.SetColor(clRed);
    pen.SetWidth(3);
    LOGPEN lp{};
    ASSERT_EQ(::GetObjectW(pen.Handle(), sizeof(lp), &lp), static_cast<int>(sizeof(lp)));
    EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_SOLID));
    EXPECT_EQ(lp.lopnWidth.x, 3);
    EXPECT_EQ(lp.lopnColor, static_cast<COLORREF>(clRed));
    HPEN before = pen.Handle();
    pen.SetMode(pmXor);  // raster operation belongs to the DC
    EXPECT_EQ(pen.Handle(), before);
    pen.SetStyle(psDot);
    pen.SetWidth(1);
    ASSERT_EQ(::GetObjectW(pen.Handle(), sizeof(lp), &lp), static_cast<int>(sizeof(lp)));
    EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_DOT));
}

TEST(GraphicsObjects, BrushAndPenAdoptHandles)
{
    const LOGBRUSH hatch{BS_HATCHED, RGB(1, 2, 3), HS_CROSS};
    HBRUSH adopted = ::CreateBrushIndirect(&hatch);
    {
        TBrush brush;
        HBRUSH own = brush.Handle();
        brush.SetHandle(adopted);
        EXPECT_EQ(::GetObjectType(own), 0u) << "the brush's own handle goes";
        EXPECT_EQ(brush.Handle(), adopted);
        EXPECT_EQ(brush.Style(), bsCross);
        EXPECT_EQ(brush.Color(), static_cast<TColor>(RGB(1, 2, 3)));

        HBRUSH gone = ::CreateSolidBrush(0);
        ::DeleteObject(gone);
        EXPECT_THROW(brush.SetHandle(gone), EInvalidGraphicOperation);
        EXPECT_EQ(brush.Handle(), adopted) << "a refused handle leaves the current one";
        HPEN pen = ::CreatePen(PS_SOLID, 1, 0);
        EXPECT_THROW(brush.SetHandle(reinterpret_cast<HBRUSH>(pen)), EInvalidGraphicOperation)
            << "a pen is no brush, though their descriptions have one size";
        ::DeleteObject(pen);
        brush.SetHandle(nullptr);
        EXPECT_EQ(::GetObjectType(adopted), 0u);
        EXPECT_FALSE(brush.HandleAllocated());
        EXPECT_EQ(brush.Style(), bsCross) << "releasing keeps the properties";
    }

    HPEN dashed = ::CreatePen(PS_DASH, 1, RGB(4, 5, 6));
    {
        TPen pen;
        pen.SetHandle(dashed);
        EXPECT_EQ(pen.Handle(), dashed);
        EXPECT_EQ(pen.Style(), psDash);
        EXPECT_EQ(pen.Width(), 1);
        EXPECT_EQ(pen.Color(), static_cast<TColor>(RGB(4, 5, 6)));
    }
    EXPECT_EQ(::GetObjectType(dashed), 0u) << "the pen owns an adopted handle";
}
