// Cache painting of wrapped windows: the skinned background and border of a window (with the
// text of a disabled edit and the disabled look) into its skin data's cache bitmap, the border
// alone for scrolling wrappers, and whether a control's section has a hot look.
#include "acSBUtils.h"

#include "Forms.h"
#include "StdCtrls.h"
#include "TypInfo.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sDefaults.h"
#include "sGraphUtils.h"
#include "sCommonData.h"
#include "sGraphUtilsBackground.h"
#include "sGraphUtilsFill.h"
#include "sGraphUtilsPaintItem.h"
#include "sGraphUtilsTemplate.h"
#include "sGraphUtilsText.h"
#include "sGraphUtilsTextEx.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

#include <algorithm>

namespace {

TsMaskData* BorderImage(TsCommonData* data)
{
    TacSkinData* skin = data ? data->GetCommonSkinData() : nullptr;
    if (!skin || !IsValidIndex(data->SkinIndex, static_cast<int>(skin->gd.size()))) return nullptr;
    const int border = skin->gd[static_cast<size_t>(data->SkinIndex)].BorderIndex;
    if (!IsValidIndex(border, static_cast<int>(skin->ma.size()))) return nullptr;
    return &skin->ma[static_cast<size_t>(border)];
}

bool HasClassName(HWND wnd, const wchar_t* name)
{
    wchar_t buffer[64] = {};
    return GetClassNameW(wnd, buffer, static_cast<int>(std::size(buffer))) > 0 && lstrcmpiW(buffer, name) == 0;
}

bool WindowHasBorder(HWND wnd)
{
    return (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_BORDER) != 0 ||
           (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0;
}

// Edits and tree views without a border show only the section's background.
bool PaintedWhole(TControl* control, HWND wnd)
{
    if (auto* edit = dynamic_cast<TCustomEdit*>(control)) return edit->BorderStyle() == bsSingle;
    if (!control && HasClassName(wnd, L"Edit")) return WindowHasBorder(wnd);
    if (HasClassName(wnd, L"SysTreeView32")) return WindowHasBorder(wnd);
    return true;
}

// The text of a disabled single-line edit, and its hint while it is empty and not focused.
void PaintDisabledEditText(TsCommonData* data, TCustomEdit* edit, HWND wnd)
{
    TBitmap* cache = data->FCacheBmp.get();
    TCanvas* canvas = cache->Canvas();
    canvas->Font()->Assign(edit->Font());
    int inset = 0;
    if (edit->BorderStyle() == bsSingle) {
        inset = 1;
        if (edit->BevelKind() != bkNone)
            inset += edit->BevelWidth() + (edit->BevelInner() != bvNone ? 1 : 0) + (edit->BevelOuter() != bvNone ? 1 : 0);
        inset += 1;
    }
    RECT client{};
    GetClientRect(wnd, &client);
    TRect r(inset, inset, client.right - inset, client.bottom - inset);
    if ((GetWindowLongPtrW(wnd, GWL_STYLE) & ES_MULTILINE) != 0) return;
    const UnicodeString text = edit->Text();
    const UINT flags = GetStringFlags(edit, edit->Alignment()) | DT_NOPREFIX | DT_SINGLELINE;
    if (!text.empty()) {
        UnicodeString shown = text;
        if (const wchar_t pc = edit->PasswordChar()) shown = UnicodeString(text.size(), pc == L'*' ? L'\u25CF' : pc);
        // In the section's font colour; the disabled look is laid over the whole cache after.
        TRect textR = r;
        acWriteTextEx(canvas, shown, true, textR, flags, data, false);
    } else if (GetFocus() != wnd && !edit->TextHint().empty()) {
        TextHintOut(data, r, edit->TextHint(), 0, flags);
    }
}

// The disabled look the control asks for by its published "DisabledKind"; blended without it.
TsDisabledKind DisabledKindOf(TControl* control)
{
    if (!HasProperty(control, L"DisabledKind")) return TsDisabledKind{dkBlended};
    const UnicodeString value = GetPropValue(control, L"DisabledKind");
    TsDisabledKind kind;
    if (value.find(L"dkBlended") != UnicodeString::npos) kind.Include(dkBlended);
    if (value.find(L"dkGrayed") != UnicodeString::npos) kind.Include(dkGrayed);
    return kind;
}

} // namespace

void PrepareCache(TsCommonData* SkinData, HWND Wnd, bool DialogMode)
{
    if (!SkinData || !SkinData->BGChanged || !Wnd) return;
    RECT wr{};
    GetWindowRect(Wnd, &wr);
    const TRect R(wr.left, wr.top, wr.right, wr.bottom);
    InitCacheBmp(SkinData);
    TBitmap* cache = SkinData->FCacheBmp.get();
    if (!cache) return;

    const HWND parent = GetParent(Wnd);
    TCacheInfo ci = EmptyCI;
    if (parent) {
        TacBGInfo bg;
        GetBGInfo(bg, parent, false);
        if (bg.BgType == btNotReady) {
            SkinData->FUpdating = true;
            return;
        }
        ci = BGInfoToCI(bg);
    }
    cache->SetPixelFormat(pf32bit);
    cache->SetSize(std::max<int>(0, R.Width()), std::max<int>(0, R.Height()));
    const TRect cacheRect(0, 0, cache->Width(), cache->Height());
    TControl* control = SkinData->FOwnerControl;

    int state = 0;
    if (GetFocus() == Wnd || SkinData->FFocused)
        state = 1;
    else if (SkinData->FMouseAbove && MayBeHot(SkinData, true))
        state = 1;

    TsSkinManager* def = DefaultManager;
    const bool fuchsiaBorder = def && (static_cast<std::uint32_t>(def->Palette[pcBorder]) & 0xFFFFFF) == 0xFF00FF;
    if (!DialogMode || fuchsiaBorder) {
        if (!parent) return;
        POINT p{R.Left, R.Top};
        if (!ScreenToClient(parent, &p)) return;
        TPoint P(p.x, p.y);
        HDC parentDC = GetDC(parent);
        const bool mirrored = parentDC && (GetLayout(parentDC) & LAYOUT_RTL) != 0;
        if (parentDC) ReleaseDC(parent, parentDC);
        if (Application && Application->BiDiMode() != bdLeftToRight && mirrored) {
            const int width = ci.Bmp ? ci.Bmp->Width() : cache->Width();
            P.X = width - P.X;
            if (def && def->ExtendedBorders()) P.X -= 2 * ci.X;
        }
        TacSkinData* skin = SkinData->GetCommonSkinData();
        if (skin && IsValidIndex(SkinData->SkinIndex, static_cast<int>(skin->gd.size()))) {
            if (PaintedWhole(control, Wnd))
                PaintItem(SkinData, ci, false, state, cacheRect, P, cache, true);
            else
                PaintItemBG(SkinData, ci, state, cacheRect, P, cache);
        }
    } else {
        FillDC(cache->Canvas()->Handle(), cacheRect, ColorToRGB(clWindow));
        // Without a default manager there is no border colour: the box stays unframed.
        if (def) {
            HBRUSH frame = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(def->Palette[pcBorder])) & 0xFFFFFF);
            const RECT fr{0, 0, cacheRect.Right, cacheRect.Bottom};
            FrameRect(cache->Canvas()->Handle(), &fr, frame);
            DeleteObject(frame);
        }
    }

    if (!IsWindowEnabled(Wnd)) {
        if (auto* edit = dynamic_cast<TCustomEdit*>(control)) PaintDisabledEditText(SkinData, edit, Wnd);
    }
    if (control && !control->Enabled()) {
        const TPoint offset(control->Left(), control->Top());
        BmpDisabledKind(cache, DisabledKindOf(control), control->Parent(), ci, offset);
    }
    GdiFlush();
    SkinData->BGChanged = false;
}

void PaintBorderFast(TsCommonData* SkinData, int State, const TacMainWnd& W)
{
    if (!SkinData || !SkinData->GetSkinManager() || W.DlgMode) return;
    TsMaskData* image = BorderImage(SkinData);
    TBitmap* cache = SkinData->FCacheBmp.get();
    if (!image || !cache || cache->Empty() || W.WndSize.cx <= 1 || W.WndSize.cy <= 1) return;

    TsMaskData& mask = *image;
    TCacheInfo ci = GetParentCacheHwnd(W.CtrlHandle);
    if (mask.ImageCount == 0) {
        // Not measured yet: three states side by side over the image's own bitmap.
        mask.ImageCount = 3;
        if (mask.Bmp && mask.R.Width() == 0) mask.R = TRect(0, 0, mask.Bmp->Width(), mask.Bmp->Height());
    }
    if (ci.Ready) {
        ci.X += W.WndPos.X;
        ci.Y += W.WndPos.Y;
    }
    State = std::clamp(State, 0, std::max(0, static_cast<int>(mask.ImageCount) - 1));
    if (cache->PixelFormat() != pf32bit) cache->SetPixelFormat(pf32bit);

    // The whole frame is composed over the parent's background in a work bitmap, and only its
    // four strips reach the cache.
    const int w = cache->Width(), h = cache->Height();
    TBitmap work(w, h, pf32bit);
    const TRect r(0, 0, w, h);
    if (ci.Ready && ci.Bmp)
        BitBlt(work.Canvas()->Handle(), 0, 0, w, h, ci.Bmp->Canvas()->Handle(), ci.X, ci.Y, SRCCOPY);
    else
        FillDC(work.Canvas()->Handle(), r, ci.FillColor);
    DrawSkinRect(&work, r, ci, mask, State, true);
    GdiFlush();
    BitBltBorder(cache->Canvas()->Handle(), 0, 0, w, h, work.Canvas()->Handle(), 0, 0, std::max<int>(mask.WL, 0),
                 std::max<int>(mask.WT, 0), std::max<int>(mask.WR, 0), std::max<int>(mask.WB, 0));
    GdiFlush();
}

bool MayBeHot(TsCommonData* SkinData, bool CheckOptions)
{
    if (!SkinData || !SkinData->Skinned()) return false;
    const TsMaskData* mask = BorderImage(SkinData);
    if (!mask) return false;
    if (CheckOptions && sNoHotEdits.Contains(SkinData->COC) && !ac_AllowHotEdits) return false;
    TsSkinManager* manager = SkinData->GetSkinManager();
    const bool noHover = manager && manager->Options()->GetBool(1);
    if (noHover && CheckOptions) return false;
    if (mask->ImageCount >= 2) return true;
    TacSkinData* skin = SkinData->GetCommonSkinData();
    return skin->gd[static_cast<size_t>(SkinData->SkinIndex)].States > 1;
}

namespace {

TColor ParentFill(const TCacheInfo& parent, TsSkinManager* manager)
{
    return parent.FillColor == clFuchsia && manager ? manager->GetGlobalColor() : parent.FillColor;
}

} // namespace

void CopyParentBackground(TBitmap* Cache, const TCacheInfo& Parent, const TPoint& WndPos, TsSkinManager* Manager)
{
    if (!Cache || Cache->Empty()) return;
    const TRect whole(0, 0, Cache->Width(), Cache->Height());
    if (Parent.Ready && Parent.Bmp)
        BitBlt(Cache->Canvas()->Handle(), 0, 0, whole.Width(), whole.Height(), Parent.Bmp->Canvas()->Handle(),
               Parent.X + WndPos.X, Parent.Y + WndPos.Y, SRCCOPY);
    else
        FillRect32(Cache, whole, ParentFill(Parent, Manager), 0xFF);
}

void BlendTowardParent(TBitmap* Cache, const TCacheInfo& Parent, const TPoint& WndPos, TsSkinManager* Manager)
{
    if (!Cache || Cache->Empty()) return;
    if (Parent.Ready && Parent.Bmp) {
        TRect r(0, 0, Cache->Width(), Cache->Height());
        r.Offset(Parent.X + WndPos.X, Parent.Y + WndPos.Y);
        BlendTransRectangle(Cache, 0, 0, Parent.Bmp, r, DefBlendDisabled, clFuchsia);
    } else {
        TsColor color;
        color.C = ParentFill(Parent, Manager);
        BlendTransBitmap(Cache, DefBlendDisabled, color);
    }
}
