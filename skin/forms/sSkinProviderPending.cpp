// Members of the provider that the rest of form skinning fills: each does the least its callers
// need until then (a handler passes its message on to the form, an update does nothing), so a
// skinned form behaves as an unskinned one where nothing more is built yet.
#include "sSkinProvider.h"

#include "acntTypes.h"
#include "sCommonData.h"
#include "sSkinProviderInternal.h"

#include <windows.h>

using namespace provider_detail;

#define AC_PASSING_HANDLER(name) \
    void TsSkinProvider::name(TMessage& Message) { PassOn(Message); }
AC_PROVIDER_HANDLERS(AC_PASSING_HANDLER)
#undef AC_PASSING_HANDLER

// The unskinned steps run around the form's own handling; the dispatcher passes the message on.
void TsSkinProvider::AC_CMVisibleChanged_Unskinned(TMessage&) {}
void TsSkinProvider::AC_WMWindowPosChanged_Unskinned(TMessage&) {}
void TsSkinProvider::AC_WMNCDestroy(TMessage&) {}

void TsSkinProvider::SetGluedForms(const TStringList* Value)
{
    if (Value) FGluedForms->Assign(Value);
}

void TsSkinProvider::UpdateSkinCaption() {}
void TsSkinProvider::UpdateLayerForm() {}
void TsSkinProvider::UpdateTitleBar() {}
void TsSkinProvider::SetHotHT(int HTCode, bool) { CurrentHT = HTCode; }
void TsSkinProvider::KillAnimations() {}
void TsSkinProvider::ReleaseMenuBitmaps() {}
void TsSkinProvider::ClearGlows() {}
void TsSkinProvider::UpdateNCArea(bool) {}
void TsSkinProvider::AnimChangeScale(int, bool) {}
void TsSkinProvider::FillArOR() {}
HRGN TsSkinProvider::GetRgnFromArOR() { return nullptr; }
void TsSkinProvider::SaveBGForBtns(int, bool) {}
void TsSkinProvider::PaintTitleContent(int) {}

std::unique_ptr<TBitmap> TsSkinProvider::TakeCoverBmp() { return std::move(CoverBmp); }
TBitmap* TsSkinProvider::CacheBmp() { return FCommonData ? FCommonData->FCacheBmp.get() : nullptr; }
std::unique_ptr<TacGlowForm> TsSkinProvider::DetachBorderForm() { return nullptr; }
TacGlowForm* TsSkinProvider::CreateNewForm() { return nullptr; }
HRGN TsSkinProvider::MakeRgn() { return BorderForm ? BorderForm->MakeRgn() : nullptr; }
void TsSkinProvider::UpdateExBordersPos(bool redraw, BYTE blend)
{
    if (BorderForm) BorderForm->UpdateExBordersPos(redraw, blend);
}
bool TsSkinProvider::SysBlurActive() { return FSystemBlur && FSystemBlur->Active(); }

HRGN TacBorderForm::MakeRgn(int, int) { return nullptr; }

void TacBorderForm::UpdateExBordersPos(bool, BYTE) {}


std::unique_ptr<TBitmap> GetFormImage(TsSkinProvider*, bool) { return nullptr; }

void UpdateRgn(TsSkinProvider*, bool, bool) {}

bool StartMinimizing(TsSkinProvider*) { return false; }

bool StartRestoring(TsSkinProvider*) { return false; }



std::unique_ptr<TacGlowForm> MakeCoverForm(HWND wnd, TsSkinProvider*, bool)
{
    auto cover = std::make_unique<TacGlowForm>(nullptr);
    RECT r{};
    if (wnd && GetWindowRect(wnd, &r)) cover->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    cover->HandleNeeded();
    return cover;
}
