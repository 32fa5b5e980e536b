// The skinned menus: the prepared background of a pop-up menu window and its shape and frame.
#include "sSkinMenus.h"

#include "Forms.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sConst.h"
#include "sGraphUtilsPaintItem.h"
#include "sGraphUtilsRegion.h"
#include "sGraphUtilsTemplate.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

#include <algorithm>

namespace {

int SectionIndex(TsSkinManager* manager, int section)
{
    return manager ? manager->SkinCommonInfo.Sections[static_cast<size_t>(section)] : -1;
}

bool ValidIndex(const TacSkinData* data, int index)
{
    return data && index >= 0 && index < static_cast<int>(data->gd.size());
}

const TsMaskData* MaskOf(const TacSkinData* data, int index)
{
    return data && index >= 0 && index < static_cast<int>(data->ma.size()) ? &data->ma[static_cast<size_t>(index)]
                                                                          : nullptr;
}

} // namespace

bool RightToLeftLocale()
{
    switch (PRIMARYLANGID(LANGIDFROMLCID(GetSystemDefaultLCID()))) {
    case LANG_ARABIC:
    case LANG_HEBREW:
    case LANG_FARSI:
    case LANG_URDU: return true;
    default: return false;
    }
}

void TsSkinableMenus::PrepareMenuBG(TacMenuInfo& Info, TMenuItem* FirstItem, int Width, int Height, HWND Wnd)
{
    TacSkinData* data = FOwner ? FOwner->CommonSkinData(PPI) : nullptr;
    if (FOwner && !FOwner->ComponentState().Contains(csDesigning)) {
        if (FirstItem && FirstItem->Name() == L"SkinSelectItem")
            Info.HaveExtraLine = false;
        else
            AskExtraLine(Info, FirstItem);
    }
    Info.FirstItem = FirstItem;
    Info.Wnd = Wnd;
    Info.Bmp = std::make_unique<TBitmap>();
    Info.Bmp->SetPixelFormat(pf32bit);
    Info.Bmp->SetSize(std::max(Width, 0), std::max(Height, 0));
    Info.ItemsIterated = false;
    TBitmap* bmp = Info.Bmp.get();
    bmp->Canvas()->Lock();
    IcoLineWidth = GlyphSize(FirstItem, true).cx + Margin() + Spacing();

    const int mainIndex = SectionIndex(FOwner, ssMainMenu);
    int border = 0;
    if (ValidIndex(data, mainIndex)) {
        const TsGeneralData& main = data->gd[static_cast<size_t>(mainIndex)];
        const TsMaskData* mask = MaskOf(data, main.BorderIndex);
        if (FSkinBorderWidth < 0) {
            // Settled once from the skin: the mask's left border, at most 3.
            if (!mask)
                FSkinBorderWidth = 0;
            else
                FSkinBorderWidth = mask->WL > 0 ? std::min<int>(mask->WL, 3) : 3;
        }
        border = FSkinBorderWidth;
        const TRect whole(0, 0, bmp->Width(), bmp->Height());
        PaintItem(mainIndex, EmptyCI, false, 0, whole, TPoint(0, 0), bmp, data);
        const int icoIndex = FOwner->GetSkinIndex(FOwner->MenuSupport()->IcoLineSkin, data);
        const int innerHeight = bmp->Height() - 2 * border;
        if (ValidIndex(data, icoIndex) && innerHeight > 0 && IcoLineWidth > 0) {
            TBitmap strip;
            strip.SetPixelFormat(pf32bit);
            strip.SetSize(IcoLineWidth, innerHeight);
            const int x = border + ExtraWidth(&Info);
            PaintItem(icoIndex, MakeCacheInfo(bmp, x, border), true, 0, TRect(0, 0, IcoLineWidth, innerHeight),
                      TPoint(0, 0), &strip, data);
            BitBlt(bmp->Canvas()->Handle(), x, border, IcoLineWidth, innerHeight, strip.Canvas()->Handle(), 0, 0,
                   SRCCOPY);
        }
        if (mask) DrawSkinRect(bmp, whole, EmptyCI, *mask, 0, true);

        if (FOwner->MenuSupport()->UseExtraLine && Info.HaveExtraLine && innerHeight > 0) {
            const int lineIndex = FOwner->GetSkinIndex(ExtraLineSection, data);
            const int w = ExtraWidth(&Info);
            if (ValidIndex(data, lineIndex) && w > 0) {
                TBitmap strip;
                strip.SetPixelFormat(pf32bit);
                strip.SetSize(w, innerHeight);
                PaintItem(lineIndex, MakeCacheInfo(bmp, border, border), true, 0, TRect(0, 0, w, innerHeight),
                          TPoint(0, 0), &strip, data);
                HDC dc = strip.Canvas()->Handle();
                if (RightToLeftLocale() && FirstItem && FirstItem->GetParentMenu() && FirstItem->GetParentMenu()->IsRightToLeft())
                    StretchBlt(dc, w - 1, 0, -w, innerHeight, dc, 0, 0, w, innerHeight, SRCCOPY);
                int freeBottom = 12;
                if (ExtraLineGlyph && !ExtraLineGlyph->Empty()) {
                    const int gx = (w - ExtraLineGlyph->Width()) / 2;
                    const int gy = innerHeight - (data ? data->Spacing : 0) - ExtraLineGlyph->Height();
                    strip.Canvas()->Draw(gx, gy, ExtraLineGlyph.get());
                    freeBottom = 12 + ExtraLineGlyph->Height() + 8;
                }
                // The caption runs from the bottom up, centred across the strip.
                TFont* source = FOwner->MenuSupport()->ExtraLineFont();
                LOGFONTW lf{};
                lf.lfHeight = source->Height() * PPI / 96;
                lf.lfWeight = source->Style().Contains(fsBold) ? 700 : 400;
                lf.lfItalic = source->Style().Contains(fsItalic);
                lf.lfUnderline = source->Style().Contains(fsUnderline);
                lf.lfStrikeOut = source->Style().Contains(fsStrikeOut);
                lf.lfCharSet = static_cast<BYTE>(Form ? Form->Font()->Charset() : DEFAULT_CHARSET);
                lf.lfQuality = ANTIALIASED_QUALITY;
                lf.lfEscapement = lf.lfOrientation = -2700;
                wcsncpy(lf.lfFaceName, source->Name().c_str(), LF_FACESIZE - 1);
                HFONT font = CreateFontIndirectW(&lf);
                HGDIOBJ old = SelectObject(dc, font);
                const TsGeneralData& line = data->gd[static_cast<size_t>(lineIndex)];
                SetTextColor(dc, ColorToRGB(line.Props[0].FontColor.Color));
                SetBkMode(dc, TRANSPARENT);
                TEXTMETRICW tm{};
                GetTextMetricsW(dc, &tm);
                // Turned to read upwards, the glyphs stand to the right of the reference point.
                const int x = (w - tm.tmHeight) / 2;
                ExtTextOutW(dc, x, innerHeight - freeBottom, 0, nullptr, ExtraLineCaption.c_str(),
                            static_cast<UINT>(ExtraLineCaption.size()), nullptr);
                SelectObject(dc, old);
                DeleteObject(font);
                BitBlt(bmp->Canvas()->Handle(), border, border, w, innerHeight, dc, 0, 0, SRCCOPY);
            }
        }
        ExtraLineGlyph.reset();

        ArOR.clear();
        if (mask) {
            AddRgn(ArOR, bmp->Width(), *mask, 0, false, 0);
            AddRgn(ArOR, bmp->Width(), *mask, bmp->Height() - mask->WB, true, 0);
        }
    }
    bmp->Canvas()->Unlock();
}

void TsSkinableMenus::DrawWndBorder(HWND Wnd, TBitmap* Bmp)
{
    if (BorderDrawing || !Wnd) return;
    if (!Bmp) {
        TacMenuInfo* info = GetMenuInfo(nullptr, nullptr, Wnd);
        Bmp = info ? info->Bmp.get() : nullptr;
    }
    if (!Bmp) return;
    SendAMessage(Wnd, AC_MENUBORDERDONE);
    BorderDrawing = true;
    if (!ArOR.empty()) {
        HRGN region = CreateRectRgn(0, 0, Bmp->Width(), Bmp->Height());
        for (const TRect& r : ArOR) {
            HRGN cut = CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom);
            CombineRgn(region, region, cut, RGN_DIFF);
            DeleteObject(cut);
        }
        // The window owns the region from here on.
        if (!SetWindowRgn(Wnd, region, FALSE)) DeleteObject(region);
    }
    if (SendAMessage(Wnd, AC_SETUPDATING) == 0) {
        HDC dc = GetWindowDC(Wnd);
        BitBltBorder(dc, 0, 0, Bmp->Width(), Bmp->Height(), Bmp->Canvas()->Handle(), 0, 0, 3, -1, -1, -1);
        ReleaseDC(Wnd, dc);
    }
    BorderDrawing = false;
}
