#include "sCustomComboEdit.h"

#include <windowsx.h>

#include <utility>

#include "TypInfo.h"
#include "acPopupController.h"
#include "acUnitCounter.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sConst.h"
#include "sGraphUtilsTemplate.h"
#include "sThirdParty.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

namespace {

TacUnitCounter unitCounter;

constexpr UINT kFrameChanged = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED |
                               SWP_NOCOPYBITS | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING; // 0x737
constexpr UINT kRedrawAll = RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME; // 0x585
constexpr UINT kRedrawClient = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_NOFRAME;              // 0x905
constexpr TShortCut kSelectAllKey = 0x4041; // Ctrl+A

// The first of the sections the skin has, else -1.
int FirstSection(TsSkinManager* manager, std::initializer_list<TacSection> sections)
{
    if (!manager) return -1;
    for (TacSection s : sections)
        if (const int i = manager->SkinCommonInfo.Sections[s]; i >= 0) return i;
    return -1;
}

} // namespace

// ---------------------------------------------------------------------------------------------

TacHintTimer::TacHintTimer(TsCustomComboEdit* owner) : TTimer(owner), FOwner(owner)
{
    SetInterval(static_cast<unsigned>(Application ? Application->HintPause() : 500));
    OnTimer = [this](TObject* sender) { TimerEvent(sender); };
    SetEnabled(true);
}

void TacHintTimer::TimerEvent(TObject*)
{
    SetEnabled(false);
    FOwner->TryShowBtnHint();
}

// ---------------------------------------------------------------------------------------------

TsCustomComboEdit::TsCustomComboEdit(TComponent* owner) : TacCustomMaskEdit(owner)
{
    TsCtrlSkinData* sd = SkinData();
    FGlyphMode = std::make_unique<TsGlyphMode>(this, sd);
    sd->COC = 138;
    SetHeight(21);
    sd->OnUpdateLight = [this](TObject* sender, PacAnimEventData data) { UpdateLight(sender, data); };
}

TsCustomComboEdit::~TsCustomComboEdit()
{
    OnKeyDown = nullptr;
    FHintWnd.reset();
    FGlyphMode.reset();
}

void TsCustomComboEdit::AfterConstruction()
{
    TacCustomMaskEdit::AfterConstruction();
    SkinData()->Loaded();
}

void TsCustomComboEdit::Loaded()
{
    TacCustomMaskEdit::Loaded();
    SkinData()->Loaded();
}

void TsCustomComboEdit::Notification(TComponent* component, TOperation operation)
{
    TacCustomMaskEdit::Notification(component, operation);
    if (operation != opRemove) return;
    if (FGlyphMode && component == FGlyphMode->Images()) FGlyphMode->SetImages(nullptr);
    if (component == FPopupWindow) {
        FPopupWindow = nullptr;
        FDroppedDown = false;
    }
    if (component == FHintTimer) FHintTimer = nullptr;
}

void TsCustomComboEdit::CreateParams(TCreateParams& params)
{
    TacCustomMaskEdit::CreateParams(params);
    params.Style |= WS_CLIPCHILDREN;
}

void TsCustomComboEdit::Change()
{
    if (CanDoChange()) TacCustomMaskEdit::Change();
}

// --- properties ------------------------------------------------------------------------------

void TsCustomComboEdit::SetButtonWidth(int value)
{
    if (FButtonWidth == value) return;
    FButtonWidth = value;
    D.PaddingChanged();
}

void TsCustomComboEdit::SetShowButton(bool value)
{
    if (FShowButton == value) return;
    FShowButton = value;
    SkinData()->Invalidate();
    if (!ComponentState().Contains(csLoading) && HandleAllocated())
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, kFrameChanged);
}

void TsCustomComboEdit::SetButtonMode(bool value)
{
    if (FButtonMode == value) return;
    FButtonMode = value;
    UpdateCaret();
    SkinData()->UpdateIndexes();
    SkinData()->Invalidate();
}

void TsCustomComboEdit::SetReadOnly(bool value)
{
    if (FReadOnly == value) return;
    FReadOnly = value;
    TCustomEdit::SetReadOnly(value);
}

bool TsCustomComboEdit::DroppedDown() const
{
    return FDroppedDown || (FPopupWindow && FPopupWindow->Visible());
}

void TsCustomComboEdit::UpdateCaret()
{
    if (!HandleAllocated()) return;
    if (FButtonMode)
        HideCaret(Handle());
    else
        ShowCaret(Handle());
}

void TsCustomComboEdit::SelectAll()
{
    if (!GetReadOnly() && !FButtonMode && !Text().empty() && HandleAllocated())
        SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

bool TsCustomComboEdit::acComboButtonWidth(int& width) const
{
    if (!ComboBtn()) return false;
    width = FButtonWidth;
    return true;
}

// --- geometry --------------------------------------------------------------------------------

bool TsCustomComboEdit::ComboBtn() const
{
    if (FDefBmpID != -1) return false;
    TCustomImageList* images = FGlyphMode->Images();
    return !images || !IsValidIndex(FGlyphMode->ImageIndex(), GetImageCount(images));
}

int TsCustomComboEdit::ComboOffset() const
{
    TacSkinData* skin = SkinData()->Skinned() ? SkinData()->GetCommonSkinData() : nullptr;
    return skin ? skin->ComboBoxMargin : 0;
}

int TsCustomComboEdit::GlyphWidth() const
{
    if (!ComboBtn()) return FGlyphMode->Width();
    if (FButtonWidth != 0) return ScaleInt(FButtonWidth, SkinData());
    TsCtrlSkinData* sd = SkinData();
    return GetComboBtnSize(sd->Skinned() ? sd->GetSkinManager() : nullptr, GetPPI(sd));
}

int TsCustomComboEdit::GlyphHeight() const
{
    if (!ComboBtn()) return FGlyphMode->Height();
    return SkinData()->Skinned() ? Height() - 2 * ComboOffset() : Height();
}

int TsCustomComboEdit::GlyphSpace(bool full) const
{
    if (!FShowButton) return 0;
    if (ComboBtn()) return GlyphWidth();
    return GlyphWidth() + (full ? D.Spacing() : D.Spacing() / 2);
}

int TsCustomComboEdit::BtnOffset() const
{
    if (ac_OldGlyphsMode && !ComboBtn()) return BordWidth();
    return ComboOffset();
}

TRect TsCustomComboEdit::BtnRect()
{
    FBtnRect = CalcBtnRect();
    return FBtnRect;
}

TRect TsCustomComboEdit::CalcBtnRect() const
{
    const int o = BtnOffset(), w = GlyphSpace();
    TRect r;
    r.Left = UseRightToLeftReading() ? o : Width() - o - w;
    r.Right = r.Left + w;
    r.Top = o;
    r.Bottom = Height() - o;
    return r;
}

TRect TsCustomComboEdit::TextRect()
{
    TRect r = TacCustomMaskEdit::TextRect();
    if (UseRightToLeftReading())
        r.Left = GlyphSpace(true) + BtnOffset();
    else
        r.Right = Width() - BtnOffset() - GlyphSpace(true) - D.Spacing() / 2;
    return r;
}

TPoint TsCustomComboEdit::MousePos() const
{
    POINT p{};
    GetCursorPos(&p);
    RECT wr{};
    if (HandleAllocated()) GetWindowRect(const_cast<TsCustomComboEdit*>(this)->Handle(), &wr);
    return TPoint(p.x - wr.left, p.y - wr.top);
}

bool TsCustomComboEdit::MouseInRect(const TRect& r) const
{
    if (!HandleAllocated()) return false;
    const TPoint p = MousePos();
    return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}

bool TsCustomComboEdit::MouseInBtn()
{
    if (FButtonMode) return MouseInRect(TRect(0, 0, Width(), Height()));
    if (!FShowButton) return false;
    const TRect b = BtnRect();
    return UseRightToLeftReading() ? MouseInRect(TRect(0, 0, b.Right, Height()))
                                   : MouseInRect(TRect(b.Left, 0, Width(), Height()));
}

bool TsCustomComboEdit::GlyphEnabled() const { return Enabled() && !GetReadOnly() && FGlyphMode->Enabled(); }

int TsCustomComboEdit::GetBtnState() const { return DroppedDown() && ComboBtn() ? 2 : FBtnState; }

void TsCustomComboEdit::SetBtnState(int value)
{
    // An open arrow stays pressed.
    if (FBtnState == 2 && DroppedDown()) return;
    if (FBtnState == value) return;
    FBtnState = value;
    if (ComponentState().Contains(csLoading) || !HandleAllocated()) return;
    if (SkinData()->Skinned()) PrepareCache();
    if (FButtonMode)
        RedrawWindow(Handle(), nullptr, nullptr, kRedrawAll);
    else
        SendMessageW(Handle(), WM_NCPAINT, 0, 0);
}

int TsCustomComboEdit::CurrentState()
{
    if (FButtonMode) {
        const int s = GetBtnState();
        if (s == 2) return 2;
        if (s == 1) return 1;
    }
    return TacCustomMaskEdit::CurrentState();
}

int TsCustomComboEdit::ComboSection() const
{
    TsCtrlSkinData* sd = SkinData();
    TsSkinManager* m = sd->GetSkinManager();
    return FButtonMode ? ButtonSection() : FirstSection(m, {ssComboBox, ssEdit});
}

int TsCustomComboEdit::ButtonSection() const { return FirstSection(SkinData()->GetSkinManager(), {ssButton, ssSpeedButton}); }

int TsCustomComboEdit::GlyphBtnSection() const
{
    return FirstSection(SkinData()->GetSkinManager(), {ssComboBtn, ssToolButton, ssSpeedButton});
}

// --- pop-up protocol -------------------------------------------------------------------------

void TsCustomComboEdit::ButtonClick()
{
    if (OnButtonClick) OnButtonClick(this);
    if (DroppedDown())
        CloseForm();
    else
        PopupWindowShow();
}

void TsCustomComboEdit::DoClick()
{
    if (GlyphEnabled() && !Arrow()) ButtonClick();
}

void TsCustomComboEdit::PopupWindowShow()
{
    // The press that just closed the pop-up (the controller closes it before the edit sees the
    // press) does not open it again.
    if (std::exchange(FSkipDrop, false)) return;
    if (!FPopupWindow || GetReadOnly() || DroppedDown()) return;
    FPopupWindow->FreeNotification(this);
    FPopupWindow->SetVisible(false);
    int w = FPopupWidth, h = FPopupHeight;
    TsSkinManager* manager = SkinData()->GetSkinManager();
    if (manager && manager->Options()->ScaleMode() == smVCL && !IsWin10Up()) {
        w = ScaleInt(w, SkinData(), true);
        h = ScaleInt(h, SkinData(), true);
    }
    FPopupWindow->SetWidth(w);
    FPopupWindow->SetHeight(h);
    auto* popupWnd = dynamic_cast<TWinControl*>(FPopupWindow);
    if (UseRightToLeftReading() && popupWnd) ReflectControls(popupWnd, true);
    if (CanFocus()) {
        SetFocus();
        ValidateRect(Handle(), nullptr);
    }
    auto* popupForm = dynamic_cast<TForm*>(FPopupWindow);
    if (TCustomForm* form = GetParentForm()) {
        if (popupForm && form->FormStyle() == fsStayOnTop) popupForm->SetFormStyle(fsStayOnTop);
        if (popupWnd)
            SetWindowPos(popupWnd->Handle(), TopWndAfter(), 0, 0, 0, 0,
                         SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_NOOWNERZORDER |
                             SWP_NOSENDCHANGING);
    }
    if (popupForm)
        ShowPopupForm(popupForm, this, -1, -1, true);
    else
        FPopupWindow->SetVisible(true);
}

void TsCustomComboEdit::PopupWindowClose()
{
    FPopupWindow = nullptr;
    FDroppedDown = false;
    SetBtnState(MouseInBtn() ? 1 : 0);
}

void TsCustomComboEdit::CloseForm()
{
    if (!FPopupWindow || !FPopupWindow->Visible()) return;
    if (auto* form = dynamic_cast<TCustomForm*>(FPopupWindow))
        form->Close();
    else
        FPopupWindow->SetVisible(false);
}

// --- button hint -----------------------------------------------------------------------------

void TsCustomComboEdit::TryShowBtnHint()
{
    if (!Application || !Application->ShowHint() || !ShowHint() || FGlyphMode->Hint().empty() || FHintWnd) return;
    POINT p{};
    GetCursorPos(&p);
    // The plain hint window stands at the mouse; a designed one keeps clear of the cursor.
    const int dy = HintWindowClass == &PlainHintWindow ? 0 : 16;
    FHintWnd = acShowHintWnd(FGlyphMode->Hint(), TPoint(p.x, p.y + dy));
}

void TsCustomComboEdit::HideHint()
{
    if (FHintTimer) FHintTimer->SetEnabled(false);
    acHideHintWnd(FHintWnd);
}

// --- keyboard --------------------------------------------------------------------------------

void TsCustomComboEdit::KeyDown(WORD& key, TShiftState shift)
{
    TacCustomMaskEdit::KeyDown(key, shift);
    const TShortCut sc = ShortCut(key, shift);
    if (sc == FClickKey && GlyphWidth() > 0) {
        if (GlyphEnabled()) ButtonClick();
        key = 0;
    } else if (sc == kSelectAllKey) {
        SelectAll();
        key = 0;
        // The character Ctrl+A makes never reaches the edit.
        MSG msg;
        if (HandleAllocated()) PeekMessageW(&msg, Handle(), WM_CHAR, WM_CHAR, PM_REMOVE);
    }
}

void TsCustomComboEdit::KeyPress(wchar_t& key)
{
    if (key == VK_RETURN || key == VK_ESCAPE) {
        TCustomForm* form = GetParentForm();
        if (form && form->KeyPreview()) form->Perform(CM_DIALOGKEY, static_cast<WPARAM>(key), 0);
        TacCustomMaskEdit::KeyPress(key);
        if (key == VK_RETURN) key = 0;
        return;
    }
    TacCustomMaskEdit::KeyPress(key);
}

void TsCustomComboEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (!RestrictDrawing) SkinData()->BGChanged = true;
    if (DroppedDown()) CloseForm();
    TacCustomMaskEdit::MouseDown(button, shift, x, y);
}

// --- mouse -----------------------------------------------------------------------------------

void TsCustomComboEdit::DoMouseAbove()
{
    TsCtrlSkinData* sd = SkinData();
    if (sd->FMouseAbove) return;
    sd->DestroyNeedlessLight(false);
    sd->FMouseAbove = true;
    if (sd->Skinned() && HandleAllocated())
        if (TsSkinManager* m = sd->GetSkinManager()) m->SetActiveControl(Handle());
    if (FButtonMode)
        SetBtnState(1);
    else
        SetBtnState(MouseInBtn() ? 1 : 0);
    AnimateCtrl(FButtonMode ? 1 : 2 * FBtnState + 1);
}

void TsCustomComboEdit::AnimateCtrl(int state)
{
    TsCtrlSkinData* sd = SkinData();
    sd->BGChanged = false;
    sd->FMouseAbove = state != 0;
    if (!HandleAllocated()) return;
    if (!sd->Skinned()) {
        RedrawWindow(Handle(), nullptr, nullptr, kRedrawClient);
        return;
    }
    // The glow follows FMouseAbove.
    if (FButtonMode && state % 2 == 1) ShowGlowingIfNeeded(sd);
    if (state == 1 && !FButtonMode) {
        const RECT r{2, 2, FBtnRect.Left - 2, Height() - 2};
        RedrawWindow(Handle(), &r, nullptr, kRedrawClient);
    }
    TsSkinManager* m = sd->GetSkinManager();
    DoChangePaint(sd, state, UpdateComboAdv_CB, m && m->Effects()->AllowAnimation(), state == 2 || state == 4,
                  !FButtonMode && sd->GlowID < 0);
}

void TsCustomComboEdit::UpdateLight(TObject*, PacAnimEventData data)
{
    TsCtrlSkinData* sd = SkinData();
    const bool lit = FButtonMode && HandleAllocated() && IsWindowVisible(Handle()) && Enabled() && !DroppedDown() &&
                     MouseLightTimerRuns();
    if (!lit) sd->FDoLighting = false;
    DoUpdateLight(sd);
    sd->DestroyNeedlessLight(true);
    if (data) data->DoLighting = sd->DoLighting();
}

void TsCustomComboEdit::MouseMoved(int stateBefore)
{
    if (!MouseInBtn()) {
        SetBtnState(0);
        HideHint();
        return;
    }
    // Entering the control straight onto the button made it hot already (DoMouseAbove): the
    // hint pause starts for that hover too.
    if (stateBefore != 0) return;
    if (GlyphEnabled()) SetBtnState(1);
    if (!FHintTimer)
        FHintTimer = new TacHintTimer(this);
    else {
        FHintTimer->SetEnabled(false);
        FHintTimer->SetEnabled(true);
    }
}

void TsCustomComboEdit::RepaintBtn(const TRect& r)
{
    if (SkinData()->Skinned()) {
        PrepareCache();
        if (FButtonMode)
            RedrawWindow(Handle(), nullptr, nullptr, kRedrawAll);
        else
            SendMessageW(Handle(), WM_NCPAINT, 0, 0);
    } else {
        PrepareCache();
        CacheToDC(r);
    }
}

void TsCustomComboEdit::LButtonDown(TMessage& message)
{
    if (FButtonMode) {
        SetBtnState(2);
        RepaintBtn(TRect(0, 0, Width(), Height()));
        if (Arrow()) ButtonClick();
        return;
    }
    if (GlyphEnabled() && MouseInRect(BtnRect())) {
        SetBtnState(2);
        RepaintBtn(FBtnRect);
        if (Arrow()) ButtonClick();
        return;
    }
    Inherited(message);
}

void TsCustomComboEdit::LButtonUp(TMessage&)
{
    ReleaseCapture();
    if (FButtonMode) {
        if (FBtnState == 2 && MouseInRect(TRect(0, 0, Width(), Height())) && !Arrow()) {
            SetBtnState(1);
            RepaintBtn(TRect(0, 0, Width(), Height()));
            ButtonClick();
        }
        return;
    }
    if (FBtnState == 2 && MouseInBtn() && GlyphEnabled() && !Arrow()) {
        SetBtnState(1);
        SkinData()->Invalidate();
        RepaintBtn(FBtnRect);
        ButtonClick();
    } else if (FBtnState == 2 && Arrow() && !DroppedDown()) {
        // An arrow that opened nothing (or whose press closed the pop-up) is pressed no longer.
        SetBtnState(MouseInBtn() ? 1 : 0);
    }
    FSkipDrop = false;
}

// --- messages --------------------------------------------------------------------------------

bool TsCustomComboEdit::AnswerCommand(TMessage& message)
{
    switch (AlphaCmdCode(message.WParam)) {
    case AC_GETDEFSECTION:
        message.Result = 6;
        if (FButtonMode && SkinData()->GetSkinManager()) message.Result = GlyphBtnSection() >= 0 ? 19 : 2;
        return true;
    case AC_GETSKININDEX: message.Result = ComboSection() + 1; return true;
    case AC_PREPARECACHE: PrepareCache(); return true;
    case AC_POPUPCLOSED: PopupWindowClose(); return true;
    case AC_GLOWCIRCLE:
        if (auto* r = reinterpret_cast<TRect*>(message.LParam); r && HandleAllocated()) {
            RECT wr{};
            GetWindowRect(Handle(), &wr);
            *r = OffsRect(BtnRect(), wr.left, wr.top);
        }
        message.Result = 1;
        return true;
    case AC_GETTEXTRECT:
        if (auto* r = reinterpret_cast<TRect*>(message.LParam)) *r = TextRect();
        message.Result = 1;
        return true;
    case AC_POPUPCTRLPRESSED: FSkipDrop = MouseInBtn(); return true;
    default: return false;
    }
}

void TsCustomComboEdit::WndProc(TMessage& message)
{
    TsCtrlSkinData* sd = SkinData();
    const bool runTime = RunTime();
    const bool skinned = sd->Skinned();
    if (message.Msg == SM_ALPHACMD && AnswerCommand(message)) return;
    switch (message.Msg) {
    case WM_MOUSEMOVE:
        if (runTime) {
            const int stateBefore = SkinData()->FMouseAbove ? FBtnState : 0;
            DoMouseAbove();
            Inherited(message);
            MouseMoved(stateBefore);
            return;
        }
        break;
    case WM_SETCURSOR:
        if (runTime && MouseInBtn()) {
            TCursor c = FGlyphMode->Cursor() != 0 ? FGlyphMode->Cursor() : Cursor() != 0 ? Cursor() : crArrow;
            if (HCURSOR h = CursorHandle(c)) ::SetCursor(h);
            message.Result = 1;
            return;
        }
        break;
    case CM_MOUSEENTER:
        if (runTime && !DroppedDown()) {
            DoMouseAbove();
            return;
        }
        break;
    case CM_MOUSELEAVE:
        if (runTime) {
            if (sd->FMouseAbove) sd->DestroyNeedlessLight(true);
            if (DroppedDown()) break;
            // The hint and its pause end with the mouse outside the control.
            HideHint();
            if (!MouseInRect(TRect(0, 0, Width(), Height()))) {
                sd->FMouseAbove = false;
                SetBtnState(0);
                AnimateCtrl(0);
            }
            return;
        }
        break;
    case WM_LBUTTONDOWN:
        if (runTime) {
            LButtonDown(message);
            return;
        }
        break;
    case WM_LBUTTONUP:
        if (runTime) {
            LButtonUp(message);
            return;
        }
        break;
    case WM_LBUTTONDBLCLK:
        if (runTime) {
            if (MouseInBtn()) LButtonDown(message);
            return;
        }
        break;
    case WM_PASTE:
    case WM_CUT:
        if (!FDirectInput || GetReadOnly() || FButtonMode) return;
        break;
    case CM_WANTSPECIALKEY:
        Inherited(message);
        if (message.WParam == VK_RETURN && DroppedDown()) message.Result = 1;
        return;
    case CM_CANCELMODE: {
        auto* sender = reinterpret_cast<TControl*>(message.LParam);
        auto* popup = dynamic_cast<TWinControl*>(FPopupWindow);
        if (sender != this && sender != FPopupWindow && FPopupWindow && FPopupWindow->Visible() &&
            !(popup && sender && popup->ContainsControl(sender)))
            CloseForm();
        break;
    }
    case CM_FOCUSCHANGED:
        if (runTime && DroppedDown() && reinterpret_cast<TControl*>(message.LParam) != this) CloseForm();
        break;
    case WM_ERASEBKGND:
        if (!skinned ? FButtonMode : IsWindowVisible(Handle())) {
            message.Result = 1;
            return;
        }
        break;
    case WM_PAINT:
        if (!skinned || ControlIsReady(this)) {
            if (sd->CtrlSkinState & ACS_FRAMECHANGED) {
                sd->BGChanged = true;
                sd->CtrlSkinState &= ~ACS_FRAMECHANGED;
                SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, kFrameChanged);
                PrepareCache();
            }
            if (Focused() && !(sd->CtrlSkinState & ACS_FOCUSCACHE) && !FButtonMode) {
                Inherited(message);
                PaintBorder(nullptr);
                return;
            }
            OurPaintHandler(reinterpret_cast<HDC>(message.WParam));
            if (!runTime && !(Enabled() && CurrentState() != 0)) Inherited(message);
            return;
        }
        break;
    case WM_NCPAINT:
        if (!skinned) {
            Inherited(message);
            if (!FButtonMode) PaintBtnStd();
            return;
        }
        break;
    case WM_PRINT:
        if (skinned && ControlIsReady(this)) {
            if (sd->CtrlSkinState & ACS_FRAMECHANGED) {
                sd->CtrlSkinState &= ~ACS_FRAMECHANGED;
                SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, kFrameChanged);
            }
            sd->FUpdating = false;
            if (sd->BGChanged) PrepareCache();
            UpdateCorners(sd, CurrentState(), AllCorners);
            HDC dc = reinterpret_cast<HDC>(message.WParam);
            sd->PrintDC = dc;
            OurPaintHandler(dc);
            sd->PrintDC = nullptr;
            if (TBitmap* cache = sd->FCacheBmp.get()) {
                HDC src = cache->Canvas()->Handle();
                BitBltBorder(dc, 0, 0, cache->Width(), cache->Height(), src, 0, 0, BordWidth(), -1, -1, -1);
                const TRect b = BtnRect();
                BitBlt(dc, b.Left, b.Top, GlyphSpace(true), GlyphHeight(), src, b.Left, b.Top, SRCCOPY);
            }
            return;
        }
        break;
    case WM_NCCALCSIZE:
        Inherited(message);
        FBtnRect.Left = -1;
        if (FShowButton && !ComponentState().Contains(csLoading))
            if (auto* client = reinterpret_cast<RECT*>(message.LParam)) {
                if (UseRightToLeftReading())
                    client->left += GlyphSpace(true);
                else
                    client->right -= GlyphSpace(true);
            }
        return;
    default: break;
    }
    Inherited(message);
    switch (message.Msg) {
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED: FBtnRect.Left = -1; break;
    case WM_SETFOCUS:
        if (AutoSelect()) SelectAll();
        UpdateCaret();
        break;
    case CM_EXIT: Repaint(); break;
    case SM_ALPHACMD:
        switch (AlphaCmdCode(message.WParam)) {
        case AC_SETNEWSKIN:
        case AC_REMOVESKIN:
            if (message.LParam == reinterpret_cast<LPARAM>(sd->GetSkinManager())) AlphaBroadCast(this, message);
            break;
        case AC_REFRESH:
            if (RefreshNeeded(sd, message)) AlphaBroadCast(this, message);
            HandleNeeded();
            FBtnRect.Left = -1;
            sd->CtrlSkinState |= ACS_FRAMECHANGED;
            break;
        case AC_ISUPDATING: message.Result = 0; break;
        default: break;
        }
        break;
    default: break;
    }
}

// --- registration ----------------------------------------------------------------------------

void RegisterCustomComboEditClasses() {}

void sCustomComboEditInitialization()
{
    if (!unitCounter.StartUp()) return;
    RegisterCustomComboEditClasses();
}

void sCustomComboEditFinalization() { unitCounter.ShutDown(); }
