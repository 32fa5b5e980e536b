#include "sGraphUtilsCheck.h"

#include "Themes.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sGraphUtilsFill.h"
#include "sSkinManager.h"

#include <array>

namespace {

TSize g_defaultCheck(13, 13);

constexpr int OBM_CHECKBOXES_ = 32759;

TacSkinData* SkinDataOf(TObject* skinData) { return dynamic_cast<TacSkinData*>(skinData); }

const std::array<int, 3>& CheckSet(const TacSkinData& data, bool second)
{
    return second ? data.SmallCheckBox : data.CheckBox;
}

// The checked image when sizes come from the skin, else null.
const TsMaskData* CheckedImage(TObject* skinData, bool second)
{
    TacSkinData* data = SkinDataOf(skinData);
    if (!data || !data->FOwner || !data->FOwner->Active()) return nullptr;
    const int index = CheckSet(*data, second)[cbChecked];
    if (!IsValidIndex(index, static_cast<int>(data->ma.size()))) return nullptr;
    return &data->ma[static_cast<size_t>(index)];
}

} // namespace

TSize acDefaultCheckBoxSize() { return g_defaultCheck; }

void LoadDefaultCheckBoxSize()
{
    HBITMAP bmp = LoadBitmapW(nullptr, MAKEINTRESOURCEW(OBM_CHECKBOXES_));
    if (!bmp) return;
    BITMAP info{};
    if (GetObjectW(bmp, sizeof(info), &info) == sizeof(info) && info.bmWidth >= 4 && info.bmHeight >= 3)
        g_defaultCheck = TSize(info.bmWidth / 4, info.bmHeight / 3);
    DeleteObject(bmp);
}

int CheckBoxWidth(TObject* skinData, bool second)
{
    const TsMaskData* image = CheckedImage(skinData, second);
    return image ? image->Width + 2 : g_defaultCheck.cx;
}

int CheckBoxHeight(TObject* skinData, bool second)
{
    const TsMaskData* image = CheckedImage(skinData, second);
    return image ? image->Height : g_defaultCheck.cy;
}

void acDrawCheck(TRect r, TCheckBoxState state, bool enabled, TBitmap* bmp, const TCacheInfo& ci, TObject* skinData,
                 bool second, int)
{
    TacSkinData* data = SkinDataOf(skinData);
    // The state indexes the image sets and the themed elements.
    if (!data || !bmp || bmp->Empty() || state < cbUnchecked || state > cbGrayed) return;
    const int image = CheckSet(*data, second)[static_cast<size_t>(state)];
    const bool skinned = data->FOwner && IsValidIndex(image, static_cast<int>(data->ma.size()));
    const int w = CheckBoxWidth(skinData, second), h = CheckBoxHeight(skinData, second);
    HDC dc = bmp->Canvas()->Handle();
    UINT frameState = DFCS_BUTTONCHECK;
    if (!skinned) {
        if (ci.Ready && ci.Bmp)
            BitBlt(dc, r.Left, r.Top, w + 2, r.Height(), ci.Bmp->Canvas()->Handle(), ci.X + r.Left + 1,
                   ci.Y + r.Top + 1, SRCCOPY);
        else if (ci.FillColor != static_cast<TColor>(0x00FF00FF))
            FillDC(dc, TRect(r.Left, r.Top, r.Left + w + 2, r.Bottom), ci.FillColor);
        frameState |= state == cbChecked ? DFCS_CHECKED : state == cbGrayed ? 0x408 : 0;
        if (!enabled) frameState |= DFCS_INACTIVE;
    }
    r.Left += (r.Width() - w) / 2;
    r.Top += (r.Height() - h) / 2;
    r.Right = r.Left + w;
    r.Bottom = r.Top + h;
    if (skinned) {
        DrawSkinGlyph(bmp, r.TopLeft(), 0, enabled ? 1 : 2, data->ma[static_cast<size_t>(image)], ci);
    } else if (StyleServices().Enabled()) {
        static constexpr TThemedButton elements[3][2] = {{tbCheckBoxUncheckedNormal, tbCheckBoxUncheckedDisabled},
                                                         {tbCheckBoxCheckedNormal, tbCheckBoxCheckedDisabled},
                                                         {tbCheckBoxMixedNormal, tbCheckBoxMixedDisabled}};
        StyleServices().DrawElement(dc, StyleServices().GetElementDetails(elements[state][enabled ? 0 : 1]), r);
    } else {
        RECT rc = r;
        DrawFrameControl(dc, &rc, DFC_BUTTON, frameState);
    }
}

void DrawCloseBtn(HDC dc, TRect& r, int state)
{
    if (!dc) return;
    if (StyleServices().Enabled()) {
        static constexpr TThemedWindow elements[3] = {twCloseButtonNormal, twCloseButtonHot, twCloseButtonPushed};
        StyleServices().DrawElement(dc, StyleServices().GetElementDetails(elements[state >= 0 && state < 3 ? state : 0]),
                                    r);
        return;
    }
    FillDC(dc, r, clWhite);
    r.Left += 1;
    r.Top += 1;
    r.Right -= 1;
    r.Bottom -= 1;
    static constexpr TColor fills[3] = {static_cast<TColor>(0x5858AB), static_cast<TColor>(0x0000FF),
                                        static_cast<TColor>(0x000080)};
    if (state >= 0 && state < 3) FillDC(dc, r, fills[state]);
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(255, 255, 255));
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, r.Left + 3, r.Top + 3, nullptr);
    LineTo(dc, r.Right - 4, r.Bottom - 4);
    MoveToEx(dc, r.Left + 3, r.Bottom - 4, nullptr);
    LineTo(dc, r.Right - 4, r.Top + 3);
    SelectObject(dc, old);
    DeleteObject(pen);
}
