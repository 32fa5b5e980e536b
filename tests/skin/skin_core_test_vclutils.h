#pragma once
// Shared by the window-utility and control-image tests: the manager fixture with the utility
// unit started, a cursor that is put back, and controls that paint one flat colour or answer
// the library's commands like skinned ones.
#include "HintWindow.h"
#include "skin_core_test_manager.h"
#include "skin_graphics_test_png.h"
#include "sVclUtils.h"

#include <optional>

class VclUtilsTest : public SkinManagerTest {
protected:
    void SetUp() override
    {
        SkinManagerTest::SetUp();
        sVclUtilsInitialization();
        GetCursorPos(&savedCursor_);
    }
    void TearDown() override
    {
        SetCursorPos(savedCursor_.x, savedCursor_.y);
        sVclUtilsFinalization();
        SkinManagerTest::TearDown();
    }
    // Puts the cursor on a screen point and waits until the system reports it there.
    static void MoveCursor(int x, int y)
    {
        SetCursorPos(x, y);
        PumpUntil([&] {
            POINT p{};
            return GetCursorPos(&p) && p.x == x && p.y == y;
        });
    }
    // A shown form at a known place with a colour of its own.
    TForm* ShownForm(int left, int top, int width = 300, int height = 200, TColor color = 0x404040)
    {
        TForm* form = NewForm(width, height);
        form->SetBounds(left, top, width, height);
        form->SetBorderStyle(bsNone);
        form->SetColor(color);
        form->Show();
        PumpUntil([&] { return IsWindowVisible(form->Handle()) != FALSE; });
        return form;
    }

private:
    POINT savedCursor_{};
};

// A windowless control filled with one colour.
class TFlatGraphic : public TGraphicControl {
public:
    TFlatGraphic(TComponent* owner, TColor fill) : TGraphicControl(owner), fill_(fill) {}

protected:
    void Paint() override
    {
        Canvas()->Brush()->SetColor(fill_);
        Canvas()->FillRect(TRect(0, 0, Width(), Height()));
    }

private:
    TColor fill_;
};

// A panel that answers like a skinned control: it is handled, gives a background colour, may
// answer WM_PRINT itself (filling with printFill and returning printAnswer), and records the
// command codes it gets.
class TSkinLikePanel : public TPanel {
public:
    explicit TSkinLikePanel(TComponent* owner) : TPanel(owner) {}
    TColor BGColor = 0x123456;
    std::optional<TColor> PrintFill;
    LRESULT PrintAnswer = 1;
    std::vector<WORD> Codes;
    std::vector<WORD> Lows;

    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD) {
            const WORD code = AlphaCmdCode(message.WParam);
            Codes.push_back(code);
            Lows.push_back(LOWORD(message.WParam));
            if (code == AC_CTRLHANDLED) {
                message.Result = 1;
                return;
            }
            if (code == AC_GETBGCOLOR) {
                message.Result = BGColor;
                return;
            }
        }
        if (message.Msg == WM_PRINT && PrintFill) {
            HDC dc = reinterpret_cast<HDC>(message.WParam);
            HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(*PrintFill));
            RECT r{0, 0, Width(), Height()};
            FillRect(dc, &r, brush);
            DeleteObject(brush);
            message.Result = PrintAnswer;
            return;
        }
        TPanel::WndProc(message);
    }
};

// The pixel of a bitmap as 0xRRGGBB.
inline std::uint32_t RgbAt(TBitmap& bmp, int x, int y)
{
    GdiFlush();
    const COLORREF c = GetPixel(bmp.Canvas()->Handle(), x, y);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

// A colour value (red lowest) as 0xRRGGBB.
constexpr std::uint32_t ToRgb(TColor c)
{
    const auto v = static_cast<std::uint32_t>(c);
    return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}
