// When a skinned form gets its extended-border object, and what the borderless UWP-style mode
// changes in the window: the caption style, the client rectangle, the shadow templates and the
// refresh after a change.
#include "sSkinProvider.h"

#include "sCommonData.h"
#include "sSkinManager.h"
#include "sSkinProviderInternal.h"

#include <windows.h>

#include <algorithm>

using namespace provider_detail;

void TsSkinProvider::InitExBorders(bool Active)
{
    TsSkinManager* manager = ManagerOf(*this);
    HWND wnd = Form && Form->HandleAllocated() ? Form->Handle() : nullptr;
    if (Active && Form && HasOwnFrame() && CanDrawNCArea() && !Form->Parent() && Form->FormStyle() != fsMDIChild &&
        FAllowExtBorders) {
        if (wnd && IsZoomed(wnd) && manager && manager->Options()->GetBool(2)) {
            ReleaseBorderForm();
            return;
        }
        if (wnd && IsWindowVisible(wnd) && Form->Showing()) {
            if (!BorderForm) {
                BorderForm = new TacBorderForm();
                BorderForm->sp = this;
            }
            BorderForm->SkinData = FCommonData.get();
            FCommonData->BGChanged = true;
            UpdateExBordersPos(true, 255);
        }
        return;
    }
    ReleaseBorderForm();
}

void TsSkinProvider::ReleaseBorderForm() { delete std::exchange(BorderForm, nullptr); }

void TsSkinProvider::UWPCaptionUpdate(bool Remove)
{
    if (!FUWPMode || !Form || !Form->HandleAllocated()) return;
    HWND wnd = Form->Handle();
    const LONG style = GetWindowLongW(wnd, GWL_STYLE);
    if (Remove) {
        if (style & WS_CAPTION) SetWindowLongW(wnd, GWL_STYLE, style & ~WS_CAPTION);
    } else if (Form->BorderStyle() != bsNone && (style & WS_CAPTION) != WS_CAPTION) {
        SetWindowLongW(wnd, GWL_STYLE, style | WS_CAPTION);
        UpdateRgn(this, true, false);
    }
}

TRect TsSkinProvider::UWPClientRect()
{
    if (!Form || !Form->HandleAllocated()) return {};
    RECT client{};
    GetClientRect(Form->Handle(), &client);
    TRect r(client.left + OffsetX(), client.top + OffsetY(), client.right + OffsetX(), client.bottom + OffsetY());
    if (Form->BorderStyle() == bsSizeable && !BorderForm) r = TRect(r.Left - 2, r.Top - 2, r.Right + 2, r.Bottom + 2);
    return r;
}

TBitmap* TsSkinProvider::UWPTemplate(bool Active)
{
    if (!UWPTemplates[Active ? 1 : 0]) {
        TacSkinData* skin = FCommonData ? FCommonData->GetCommonSkinData() : nullptr;
        if (!skin) return nullptr;
        auto copy = [](TBitmap* source) {
            auto bmp = std::make_unique<TBitmap>();
            if (source) bmp->Assign(source);
            return bmp;
        };
        UWPTemplates[1] = copy(skin->GetActiveShadow());
        UWPTemplates[0] = copy(skin->GetPassiveShadow());
        UWPShadowSize = TRect(skin->WndShadowSize, std::max(0, skin->WndShadowSize - skin->WndShadowOffset),
                              skin->WndShadowSize, std::max(0, skin->WndShadowOffset + skin->WndShadowSize));
    }
    return UWPTemplates[Active ? 1 : 0].get();
}

void TsSkinProvider::UpdateUWPMode()
{
    if (FCommonData) FCommonData->BGChanged = true;
    if (BorderForm) {
        UpdateExBordersPos(true, 255);
    } else if (Form && Form->HandleAllocated()) {
        UpdateRgn(this, true, false);
        RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    }
}
