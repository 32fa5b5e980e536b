// The cache bitmap of a skinned control: its size, copying it to the screen around the child
// windows that paint themselves, and telling the parent that its own cache is stale.
#include "sCommonData.h"

#include "sAlphaGraph.h"
#include "sCommonDataSection.h"
#include "sGraphUtils.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerOptions.h"
#include "sSplitter.h"
#include "sVclUtils.h"

using namespace sCommonDataSection;

namespace {

bool HasPixels(const TsCommonData* data) { return data && data->FCacheBmp && !data->FCacheBmp->Empty(); }

// The rectangle (l, t, r, b) moved by the offsets, cut out of the DC's clip.
void Exclude(HDC dc, TRect r, int offsetX, int offsetY)
{
    r.Offset(offsetX, offsetY);
    ExcludeClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
}

// Copies SrcPos of the cache into DstRect of DC inside DstRect, the clip cut by cut(dc).
template <class Cut>
void CopyCache(TsCommonData* data, const TRect& srcPos, bool updateCorners, HDC dc, const TRect& dstRect, Cut cut)
{
    if (!HasPixels(data) || !dc) return;
    if (updateCorners) UpdateCorners(data, 0, AllCorners);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, dstRect.Left, dstRect.Top, dstRect.Right, dstRect.Bottom);
    cut(dc);
    BitBlt(dc, dstRect.Left, dstRect.Top, dstRect.Width(), dstRect.Height(), data->FCacheBmp->Canvas()->Handle(),
           srcPos.Left, srcPos.Top, SRCCOPY);
    RestoreDC(dc, saved);
}

} // namespace

void InitCacheBmp(TsCommonData* CommonData)
{
    if (!CommonData) return;
    if (!CommonData->FCacheBmp) {
        CommonData->FCacheBmp = CreateBmp32(0, 0);
        CommonData->FCacheBmp->Canvas()->OnChange = nullptr;
        CommonData->FCacheBmp->Canvas()->OnChanging = nullptr;
    } else {
        CommonData->FCacheBmp->SetPixelFormat(pf32bit);
    }
    TBitmap& cache = *CommonData->FCacheBmp;
    if (cache.HandleType() == bmDIB) cache.SetHandleType(bmDDB);
    if (TControl* control = CommonData->FOwnerControl) {
        const int w = std::max(control->Width(), 0), h = std::max(control->Height(), 0);
        if (cache.Width() != w) cache.SetWidth(w);
        if (cache.Height() != h) cache.SetHeight(h);
    }
}

void RepaintImmediate(TsCommonData* CommonData)
{
    if (!CommonData) return;
    auto* windowed = dynamic_cast<TWinControl*>(CommonData->FOwnerControl);
    if (!windowed || !windowed->Visible() || !windowed->HandleAllocated()) return;
    if (CommonData->BGChanged) SendAMessage(windowed->Handle(), AC_PREPARECACHE);
    if (CommonData->BGChanged || !HasPixels(CommonData)) return;
    const HWND handle = windowed->Handle();
    HDC dc = GetWindowDC(handle);
    if (!dc) return;
    TBitmap& cache = *CommonData->FCacheBmp;
    BitBlt(dc, 0, 0, cache.Width(), cache.Height(), cache.Canvas()->Handle(), 0, 0, SRCCOPY);
    ReleaseDC(handle, dc);
}

void InvalidateParentCache(TsCommonData* CommonData)
{
    if (!CommonData || InUpdating(CommonData) || !CommonData->FOwnerControl) return;
    TWinControl* parent = CommonData->FOwnerControl->Parent();
    if (!parent || !parent->HandleAllocated()) return;
    TrySendMessage(parent, SM_ALPHACMD, MakeAlphaCmd(AC_INVALIDATECACHE, 1), 0);
    if (parent->Visible()) TrySendMessage(parent, SM_ALPHACMD, MakeAlphaCmd(AC_PREPARECACHE), 0);
}

void CopyWinControlCache(TWinControl* Control, TsCommonData* CommonData, const TRect& SrcPos, int OffsetY,
                         int OffsetX, bool UpdateCorners, HDC DC, const TRect& DstRect)
{
    if (!Control) return;
    TsSkinManager* manager = CommonData ? CommonData->GetSkinManager() : nullptr;
    const bool paintGraphicsOver = manager && manager->Options()->StdImgTransparency();
    CopyCache(CommonData, SrcPos, UpdateCorners, DC, DstRect, [&](HDC dc) {
        for (int i = 0; i < Control->ControlCount(); ++i) {
            TControl* child = Control->Controls(i);
            if (!child->Visible() || dynamic_cast<TsSplitter*>(child)) continue;
            TRect bounds = child->BoundsRect();
            bounds.Offset(OffsetX, OffsetY);
            RECT common{};
            const RECT a = bounds, b = DstRect;
            if (!IntersectRect(&common, &a, &b)) continue;
            if (auto* windowed = dynamic_cast<TWinControl*>(child)) {
                if (!windowed->ControlStyle().Contains(csOpaque) && SendAMessage(windowed, AC_CANANIMATE) != 1)
                    continue;
            } else if (paintGraphicsOver) {
                continue;
            }
            Exclude(dc, child->BoundsRect(), OffsetX, OffsetY);
        }
    });
}

void CopyHwndCache(HWND Handle, TsCommonData* CommonData, const TRect& SrcPos, int OffsetY, int OffsetX,
                   bool UpdateCorners, HDC DC, const TRect& DstRect)
{
    if (!Handle) return;
    CopyCache(CommonData, SrcPos, UpdateCorners, DC, DstRect, [&](HDC dc) {
        for (HWND child = GetTopWindow(Handle); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (!IsWindowVisible(child)) continue;
            RECT r{};
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, Handle, reinterpret_cast<POINT*>(&r), 2);
            const TRect bounds = r;
            const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
            const LONG_PTR exStyle = GetWindowLongPtrW(child, GWL_EXSTYLE);
            const bool groupBox = (style & BS_TYPEMASK) == BS_GROUPBOX && (exStyle & WS_EX_CLIENTEDGE) == 0;
            if (!groupBox) {
                Exclude(dc, bounds, OffsetX, OffsetY);
                continue;
            }
            // Of a group box only the frame is the box's own; without a manager it stays whole.
            if (!DefaultManager) continue;
            int wl = 0, wr = 0, wb = 0;
            TacSkinData* data = Data96(DefaultManager);
            if (const TsGeneralData* section = SectionOf(data, DefaultManager->SkinCommonInfo.Sections[ssGroupBox]))
                if (const TsMaskData* mask = BorderMaskOf(data, *section)) {
                    wl = mask->WL;
                    wr = mask->WR;
                    wb = mask->WB;
                }
            const int top = static_cast<int>(SendAMessage(child, AC_GETTOPHEIGHT));
            const TRect strips[] = {
                TRect(bounds.Left, bounds.Top, bounds.Right, bounds.Top + top),
                TRect(bounds.Left, bounds.Top + top, bounds.Left + wl, bounds.Bottom),
                TRect(bounds.Right - wr, bounds.Top + top, bounds.Right, bounds.Bottom),
                TRect(bounds.Left + wl, bounds.Bottom - wb, bounds.Right - wr, bounds.Bottom),
            };
            for (const TRect& strip : strips)
                if (!strip.IsEmpty()) Exclude(dc, strip, OffsetX, OffsetY);
        }
    });
}
