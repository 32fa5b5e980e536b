// The hints manager: replacing the application's hint window, choosing the template, placing
// hints against their controls, showing and hiding them directly, the hide, follow and check
// timers, rendering a hint into a bitmap; and the show timer's glide and cross-fade.
#include "acAlphaHints.h"
#include "acAlphaHintsInternal.h"

#include "sConst.h"
#include "sGraphUtils.h"
#include "sGraphUtilsLayered.h"
#include "sSkinManager.h"
#include "sVclUtils.h"
#include "sVclUtilsAnim.h"

#include <algorithm>

TsAlphaHints* Manager = nullptr;
TacHintImage* CurrentHintImage = nullptr;

namespace {

THintWindow* NewPngHintWindow(TComponent* owner) { return new TacPngHintWindow(owner); }

bool SameText(const UnicodeString& a, const UnicodeString& b)
{
    return a.size() == b.size() &&
           CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
               CSTR_EQUAL;
}

TRect ScreenRectOf(TControl* c)
{
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->HandleAllocated()) {
        RECT r{};
        GetWindowRect(w->Handle(), &r);
        return r;
    }
    TRect r = c->BoundsRect();
    if (TWinControl* p = c->Parent(); p && p->HandleAllocated()) {
        RECT pr{};
        GetWindowRect(p->Handle(), &pr);
        r.Offset(pr.left, pr.top);
    }
    return r;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TsShowTimer

TsShowTimer::TsShowTimer(TComponent* AOwner) : TacThreadedTimer(AOwner, false) {}

void TsShowTimer::Init(TacCustomHintWindow* HintForm, int Width, int Height)
{
    TsAlphaHints* m = Manager;
    SetInterval(12);
    Step = 0;
    StepCount = 20;
    CurrentHintForm = HintForm;
    HintWidth = Width;
    HintHeight = Height;
    const int t = HintForm->SkinIndex >= 0 ? HintTransparency(HintForm->SkinIndex) : 0;
    Transparency = HintForm->SkinIndex >= 0 && t < 100 ? MulDiv(t, 255, 100) : 0;
    HintForm->CreateAlphaBmp(Width, Height);
    StepB = (255.0 - Transparency) / StepCount;
    if (m && m->AnimWindow) {
        RECT r{};
        GetWindowRect(m->AnimWindow->Handle(), &r);
        SrcRect = r;
    }
    const TRect nb = m ? m->NewBounds : TRect();
    const TacMousePosition pos = HintForm->FMousePos;
    dx = pos == mpRightTop || pos == mpRightBottom ? (SrcRect.Left - nb.Left) / 5.0 : (nb.Left - SrcRect.Left) / 5.0;
    dy = pos == mpLeftBottom || pos == mpRightBottom ? (SrcRect.Top - nb.Top) / 5.0 : (nb.Top - SrcRect.Top) / 5.0;
    x = SrcRect.Left;
    y = SrcRect.Top;
    SetOnTimer([this](TObject* sender) { IntOnTimer(sender); });
    SetEnabled(true);
    if (m && Application && m->FOldHintPause == 0) {
        m->FOldHintPause = Application->HintPause();
        Application->SetHintPause(100);
    }
}

void TsShowTimer::IntOnTimer(TObject*)
{
    TsAlphaHints* m = Manager;
    TacCustomHintWindow* form = CurrentHintForm;
    if (Destroyed || !m || !m->AnimWindow || !form || !form->AlphaBmp) return;
    HWND anim = m->AnimWindow->Handle();
    if (Step < StepCount && m->Blend <= 255 - Transparency - StepB) {
        ++Step;
        m->Blend += StepB;
        if (dx == 0 && dy == 0) {
            SetFormBlendValue(anim, form->AlphaBmp.get(), acHintRound(m->Blend));
            ShowWindow(anim, SW_SHOWNOACTIVATE);
            return;
        }
        x += dx;
        y += dy;
        dx = (m->NewBounds.Left - x) / 5.0;
        dy = (m->NewBounds.Top - y) / 5.0;
        if (m->NewWindow) {
            const bool shadow = (GetClassLongPtrW(m->NewWindow->Handle(), GCL_STYLE) & CS_DROPSHADOW) != 0;
            if (shadow == form->FullLayer()) m->NewWindow.reset();
        }
        if (!m->NewWindow) m->NewWindow = form->CreateHintWindow(SrcRect);
        if (!m->FCacheBmp) m->FCacheBmp = CreateBmp32(0, 0);
        const int px = acHintRound(x), py = acHintRound(y);
        POINT p{px, py};
        SetWindowPos(anim, HWND_TOPMOST, px, py, m->FCacheBmp->Width(), m->FCacheBmp->Height(),
                     SWP_NOACTIVATE | SWP_SHOWWINDOW);
        SetFormBlendValue(anim, m->FCacheBmp.get(), 255 - acHintRound(m->Blend), &p);
        HWND fresh = m->NewWindow->Handle();
        SetWindowPos(fresh, anim, px, py, form->AlphaBmp->Width(), form->AlphaBmp->Height(),
                     SWP_NOACTIVATE | SWP_SHOWWINDOW);
        SetFormBlendValue(fresh, form->AlphaBmp.get(), acHintRound(m->Blend), &p);
        return;
    }
    SetEnabled(false);
    if (m->NewWindow) m->AnimWindow = std::move(m->NewWindow);
    anim = m->AnimWindow->Handle();
    const TRect nb = m->NewBounds;
    POINT p{nb.Left, nb.Top};
    SetWindowPos(anim, HWND_TOPMOST, nb.Left, nb.Top, form->AlphaBmp->Width(), form->AlphaBmp->Height(),
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    SetFormBlendValue(anim, form->AlphaBmp.get(), 255 - Transparency, &p);
    m->Blend = 0;
    m->FCacheBmp = std::move(form->AlphaBmp);
}

// ---------------------------------------------------------------------------------------------
// TsAlphaHints

TsAlphaHints::TsAlphaHints(TComponent* AOwner) : TComponent(AOwner)
{
    FCacheBmp = CreateBmp32(0, 0);
    FTemplates = std::make_unique<TacHintTemplates>(this);
}

TsAlphaHints::~TsAlphaHints()
{
    destroying_ = true;
    if (Application && Tag() != ExceptTag) Application->OnShowHint = nullptr;
    HintWindowClass = &PlainHintWindow;
    UpdateHWClass();
    ShowTimer.reset();
    HideTimer.reset();
    CheckTimer.reset();
    delete HintWindow;
    HintWindow = nullptr;
    HintFrame.reset();
    NewWindow.reset();
    AnimWindow.reset();
    FCacheBmp.reset();
    SetHintTimeCtrl(nullptr);
    FTemplates.reset();
    if (CurrentHintTemplate && CurrentHintTemplate != DefaultHintTemplate.get()) CurrentHintTemplate = nullptr;
    CurrentHintImage = nullptr;
}

void TsAlphaHints::AfterConstruction()
{
    if (FSkinSection.empty()) FSkinSection = L"HINT";
    // Made in code: nothing will load it, so it takes over the application's hints now.
    if (!ComponentState().Contains(csLoading)) Loaded();
}

void TsAlphaHints::Loaded()
{
    TComponent::Loaded();
    if (Tag() != ExceptTag && Application) {
        Application->SetHintHidePause(FPauseHide);
        FHintPos = TPoint(-1, -1);
        Application->OnShowHint = [this](UnicodeString& s, bool& canShow, THintInfo& info) {
            OnShowHintApp(s, canShow, info);
        };
    }
    if (FSkinSection.empty()) FSkinSection = L"HINT";
    UpdateHWClass();
}

void TsAlphaHints::UpdateHWClass()
{
    if (Tag() == ExceptTag) return;
    if (FActive && acLayered() && !destroying_) {
        Manager = this;
        HintWindowClass = &NewPngHintWindow;
    } else if (Manager == this) {
        Manager = nullptr;
        HintWindowClass = &PlainHintWindow;
    } else if (Manager) {
        Manager->FHintLocation = TPoint(0, 0);
    }
}

void TsAlphaHints::SetActive(bool value)
{
    if (FActive == value) return;
    FActive = value;
    if (!value && !destroying_) HideAll();
    UpdateHWClass();
}

void TsAlphaHints::SetAutoAlignment(bool value)
{
    FAutoAlignment = value;
    FHintLocation = TPoint(0, 0);
}

void TsAlphaHints::SetPauseHide(int value)
{
    FPauseHide = value;
    if (Application) Application->SetHintHidePause(value);
}

void TsAlphaHints::SetSkinSection(const UnicodeString& value) { FSkinSection = value.empty() ? L"HINT" : value; }

void TsAlphaHints::SetTemplates(const TacHintTemplates* value)
{
    if (value) FTemplates->Assign(value);
}

void TsAlphaHints::SetTemplateName(const UnicodeString& value)
{
    FTemplateName = value;
    TemplateIndex = -1;
    for (int i = 0; i < FTemplates->Count(); ++i)
        if (SameText(FTemplates->Items(i)->Name(), value)) {
            TemplateIndex = i;
            break;
        }
}

void TsAlphaHints::AssignTo(TPersistent* dest) const
{
    auto* d = dynamic_cast<TsAlphaHints*>(dest);
    if (!d) {
        TComponent::AssignTo(dest);
        return;
    }
    d->SetTemplates(FTemplates.get());
    d->SetTemplateName(FTemplateName);
    d->SetAnimated(FAnimated);
    d->SetAutoAlignment(FAutoAlignment);
    d->DefaultMousePos = DefaultMousePos;
    d->SetHTMLMode(FHTMLMode);
    d->SetPauseHide(FPauseHide);
    d->SetSkinSection(FSkinSection);
    d->SetUseSkinData(FUseSkinData);
}

void TsAlphaHints::Changed()
{
    if (!ComponentState().Contains(csLoading) && OnChange) OnChange(this);
}

bool TsAlphaHints::Skinned() const
{
    return Manager && DefaultManager && DefaultManager->IsActive() && Manager->FUseSkinData &&
           DefaultManager->GetSkinIndex(Manager->FSkinSection) >= 0;
}

int TsAlphaHints::GetSkinIndex()
{
    ShadowCalculated = false;
    if (!Skinned()) return -1;
    const int index = DefaultManager->GetSkinIndex(Manager->FSkinSection);
    if (const TsGeneralData* g = HintSection(index)) ShadowCalculated = g->OuterMode > 2;
    return index;
}

void TsAlphaHints::InitTemplate()
{
    CurrentHintTemplate = TemplateIndex >= 0 && TemplateIndex < FTemplates->Count() ? FTemplates->Items(TemplateIndex)
                                                                                      : DefaultHintTemplate.get();
    if (!CurrentHintTemplate) {
        CurrentHintImage = nullptr;
        return;
    }
    CurrentHintImage = CurrentHintTemplate->ImageDefault();
    if (DefaultMousePos != mpLeftTop && !CurrentHintTemplate->SingleImageUsed()) {
        switch (DefaultMousePos) {
        case mpLeftBottom: CurrentHintImage = CurrentHintTemplate->Img_LeftBottom(); break;
        case mpRightTop: CurrentHintImage = CurrentHintTemplate->Img_RightTop(); break;
        default: CurrentHintImage = CurrentHintTemplate->Img_RightBottom(); break;
        }
    }
}

void TsAlphaHints::SetHintTimeCtrl(TControl* control)
{
    // The link stays after the control is no longer the hint's: the record may still name it.
    HintTimeCtrl = control;
    if (control) control->FreeNotification(this);
}

void TsAlphaHints::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == HintTimeCtrl) HintTimeCtrl = nullptr;
    if (component == CurrentHintInfo.HintControl) CurrentHintInfo.HintControl = nullptr;
    if (component == TmpShowData.Control) TmpShowData.Control = nullptr;
}

void TsAlphaHints::CallShowHint(UnicodeString& text, bool& canShow, THintInfo& info)
{
    HintFrame.reset();
    TCustomFrame* frame = nullptr;
    OnShowHint(text, canShow, info, frame);
    HintFrame.reset(frame);
    // The frame was designed at 96 pixels per inch.
    if (HintFrame && DefaultManager && DefaultManager->IsActive()) DefaultManager->UpdateScale(HintFrame.get(), 96);
}

void TsAlphaHints::OnShowHintApp(UnicodeString& HintStr, bool& CanShow, THintInfo& HintInfo)
{
    FHintPos = HintInfo.HintPos;
    if (FAutoAlignment) {
        CurrentHintInfo = HintInfo;
        InitTemplate();
        CheckAutoHintPos();
        HintInfo.HintPos = FHintPos;
    }
    if (OnShowHint) CallShowHint(HintStr, CanShow, HintInfo);
    CurrentHintInfo = HintInfo;
    // Kept beyond this call: forgotten when the control goes.
    if (CurrentHintInfo.HintControl) CurrentHintInfo.HintControl->FreeNotification(this);
    FHintPos = HintInfo.HintPos;
}

void TsAlphaHints::CheckAutoHintPos()
{
    TControl* ctrl = CurrentHintInfo.HintControl ? CurrentHintInfo.HintControl : HintTimeCtrl;
    if (!FAutoAlignment || !ctrl) return;
    const TRect r = ScreenRectOf(ctrl);
    int x = 0, y = 0;
    if (TacHintTemplate* t = CurrentHintTemplate) {
        TacHintImage* img = CurrentHintImage ? CurrentHintImage : t->ImageDefault();
        const bool rightImg = img == t->Img_RightTop() || img == t->Img_RightBottom();
        const bool bottomImg = img == t->Img_RightBottom() || img == t->Img_LeftBottom();
        if (t->HintAlign() == haVertCenter) {
            y = r.Top + r.Height() / 2;
            x = rightImg ? r.Left : r.Right;
        } else {
            x = r.Left + r.Width() / 2;
            y = bottomImg ? r.Top : r.Bottom;
        }
        const TacBordersSizes* s = img->ShadowSizes();
        x += rightImg ? -s->Right() : s->Left();
        y += bottomImg ? -s->Bottom() : s->Top();
        x += img->OffsetHorz();
        y += img->OffsetVert();
    } else {
        x = r.Left + r.Width() / 2;
        y = r.Bottom;
    }
    if (Manager) Manager->FHintPos = TPoint(x, y);
    FHintLocation = TPoint(x, y);
}

void TsAlphaHints::ShowPrepared(const TPoint& location, const UnicodeString& text, unsigned HideTime, const void* data)
{
    if (HintWindowHandle && !IsWindow(HintWindowHandle)) {
        delete HintWindow;
        HintWindow = nullptr;
        HintWindowHandle = nullptr;
    }
    if (!HintWindow) {
        HintWindow = new TacPngHintWindow(nullptr);
        HintWindow->HandleNeeded();
        HintWindowHandle = HintWindow->Handle();
    }
    const TPoint saved = FHintLocation;
    FHintLocation = location;
    const int limit = MulDiv(FMaxWidth, DefaultPPI(), 96);
    UnicodeString s = text;
    TRect r = HintWindow->CalcHintRect(limit, s, const_cast<void*>(data));
    if (OnShowHint && !data) {
        THintInfo info = CurrentHintInfo;
        info.HintControl = HintTimeCtrl;
        info.HintPos = location;
        bool canShow = true;
        CallShowHint(s, canShow, info);
        CurrentHintInfo = info;
        if (info.HintControl) info.HintControl->FreeNotification(this);
        if (!canShow) {
            FHintLocation = saved;
            return;
        }
        if (s != text || HintFrame) r = HintWindow->CalcHintRect(limit, s, nullptr);
    }
    HintWindow->ActivateHint(r, s);
    FHintLocation = saved;
    StartHideTimer(HideTime);
}

void TsAlphaHints::ShowHint(const TPoint& Position, const UnicodeString& HintText, unsigned HideTime)
{
    if (HintCreating) return;
    HintCreating = true;
    try {
        if (ShowTimer) {
            ShowTimer.reset();
            if (NewWindow) AnimWindow = std::move(NewWindow);
        }
        TControl* under = CtrlUnderMouse();
        if (under != HintTimeCtrl) {
            HideAll();
            SetHintTimeCtrl(under);
        }
        ShowPrepared(Position, HintText, HideTime, nullptr);
    } catch (...) {
        HintCreating = false;
        throw;
    }
    HintCreating = false;
}

void TsAlphaHints::ShowHint(TControl* TheControl, const UnicodeString& HintText, unsigned HideTime)
{
    if (!TheControl || HintCreating) return;
    HintCreating = true;
    try {
        if (ShowTimer) {
            ShowTimer.reset();
            if (NewWindow) AnimWindow = std::move(NewWindow);
        }
        SetHintTimeCtrl(TheControl);
        ShowPrepared(TheControl->ClientToScreen(TPoint(0, 0)), HintText, HideTime, nullptr);
    } catch (...) {
        HintCreating = false;
        throw;
    }
    HintCreating = false;
}

void TsAlphaHints::ShowHint(const TacShowHintData& ShowHintData, unsigned HideTime)
{
    if (HintCreating) return;
    HintCreating = true;
    try {
        if (ShowTimer) {
            ShowTimer.reset();
            if (NewWindow) AnimWindow = std::move(NewWindow);
        }
        TmpShowData = ShowHintData;
        if (TmpShowData.Control) TmpShowData.Control->FreeNotification(this);
        SetHintTimeCtrl(ShowHintData.Control ? ShowHintData.Control : CtrlUnderMouse());
        if (HintWindowHandle && !IsWindow(HintWindowHandle)) {
            delete HintWindow;
            HintWindow = nullptr;
        }
        if (!HintWindow) {
            HintWindow = new TacPngHintWindow(nullptr);
            HintWindow->HandleNeeded();
            HintWindowHandle = HintWindow->Handle();
        }
        HintWindow->FMousePos = DefaultMousePos;
        const TPoint saved = FHintLocation;
        TRect r = HintWindow->CalcHintRect(MulDiv(FMaxWidth, DefaultPPI(), 96), ShowHintData.Caption, &TmpShowData);
        if (!ShowHintData.Control) FHintLocation = ShowHintData.Position;
        HintWindow->ActivateHint(r, ShowHintData.Caption);
        FHintLocation = saved;
        // The record served this hint only.
        TmpShowData = TacShowHintData();
        StartHideTimer(HideTime);
    } catch (...) {
        TmpShowData = TacShowHintData();
        HintCreating = false;
        throw;
    }
    HintCreating = false;
}

void TsAlphaHints::HideHint()
{
    HintFrame.reset();
    TacCustomHintWindow* w = HintWindow;
    HintWindow = nullptr;
    HintWindowHandle = nullptr;
    delete w;
    SetHintTimeCtrl(nullptr);
}

void TsAlphaHints::ResetHintInfo()
{
    if (ComponentState().Contains(csLoading) || destroying_) return;
    if (Application) Application->ResetHintControl();
    CurrentHintInfo.HintControl = nullptr;
    HintFrame.reset();
    HintShowing = false;
}

void TsAlphaHints::HideAll()
{
    ResetHintInfo();
    HideHint();
    AnimWindow.reset();
    NewWindow.reset();
}

void TsAlphaHints::KillTimer()
{
    if (ShowTimer && ShowTimer->Enabled()) ShowTimer.reset();
}

void TsAlphaHints::StartHideTimer(unsigned HideTime)
{
    if (!HideTimer) HideTimer = std::make_unique<TacThreadedTimer>(nullptr, false);
    HideTimer->SetEnabled(false);
    if (HideTime) {
        HideTimer->SetInterval(HideTime);
        HideTimer->SetOnTimer([this](TObject* s) { OnHideTimer(s); });
    } else {
        HideTimer->SetInterval(300);
        HideTimer->SetOnTimer([this](TObject* s) { OnCtrlTimer(s); });
    }
    HideTimer->SetEnabled(true);
}

void TsAlphaHints::OnHideTimer(TObject*)
{
    HideHint();
    if (HideTimer) HideTimer->SetEnabled(false);
}

void TsAlphaHints::OnCtrlTimer(TObject*)
{
    TControl* under = CtrlUnderMouse();
    if (under && under == HintTimeCtrl) return;
    if (HideTimer) HideTimer->SetEnabled(false);
    if (CheckTimer) CheckTimer->SetEnabled(false);
    HideAll();
    SetHintTimeCtrl(nullptr);
}

void TsAlphaHints::StartCheckTimer()
{
    if (destroying_) return;
    CheckTimer = std::make_unique<TacThreadedTimer>(nullptr, false);
    CheckTimer->SetInterval(static_cast<unsigned>((Application ? Application->HintShortPause() : 0) + 300));
    CheckTimer->SetOnTimer([this](TObject* s) { OnCheckTimer(s); });
    CheckTimer->SetEnabled(true);
}

void TsAlphaHints::OnCheckTimer(TObject*)
{
    const bool visible = CurrentHintWindow && CurrentHintWindow->HandleAllocated() &&
                         IsWindowVisible(CurrentHintWindow->Handle());
    if (!(visible && HintShowing)) {
        Blend = 0;
        AnimWindow.reset();
        NewWindow.reset();
        FCacheBmp.reset();
        if (FOldHintPause != 0 && Application) {
            Application->SetHintPause(FOldHintPause);
            FOldHintPause = 0;
        }
    }
    if (CheckTimer) CheckTimer->SetEnabled(false);
}

void TsAlphaHints::RepaintHint()
{
    TacCustomHintWindow* w = HintWindow ? HintWindow : CurrentHintWindow;
    if (!HintShowing || !w || !w->HandleAllocated()) return;
    UnicodeString text = w->Text;
    if (OnShowHint) {
        bool canShow = true;
        THintInfo info = CurrentHintInfo;
        CallShowHint(text, canShow, info);
        CurrentHintInfo = info;
    }
    TRect r = w->CalcHintRect(MulDiv(FMaxWidth, DefaultPPI(), 96), text, nullptr);
    w->FMousePos = DefaultMousePos;
    const TPoint p = w->GetMousePosition();
    const TRect s = w->ShadowSizes();
    r = TRect(p.X - s.Left, p.Y - s.Top, p.X - s.Left + r.Width(), p.Y - s.Top + r.Height());
    w->FMousePos = w->GetArrowPos(r, p);
    State = hsInit;
    NewBounds = r;
    SetWindowPos(w->Handle(), HWND_TOPMOST, r.Left, r.Top, r.Width(), r.Height(), SWP_NOACTIVATE);
    State = hsNormal;
    w->UpdateWnd(r.Width(), r.Height());
}

void TsAlphaHints::CreateHintBmp(const UnicodeString& HintText, TFont* AFont, std::unique_ptr<TBitmap>& ResultBmp)
{
    const TPoint savedPos = FHintPos, savedLocation = FHintLocation;
    const TRect savedBounds = NewBounds;
    TsAlphaHints* savedManager = Manager;
    Manager = this; // the window reads its settings from the manager it renders for
    TacPngHintWindow w(nullptr);
    w.Text = HintText;
    CustomFont = AFont;
    const int limit = FMaxWidth < 1 ? GetSystemMetrics(SM_CXSCREEN) : MulDiv(FMaxWidth, DefaultPPI(), 96);
    const TRect r = w.CalcHintRect(limit, HintText, nullptr);
    const TRect s = w.ShadowSizes();
    const int width = std::max(0, static_cast<int>(r.Width() - s.Left - s.Right));
    const int height = std::max(0, static_cast<int>(r.Height() - s.Top - s.Bottom));
    NewBounds = TRect(0, 0, width, height);
    w.CreateAlphaBmp(width, height);
    CustomFont = nullptr;
    ResultBmp = std::move(w.AlphaBmp);
    Manager = savedManager;
    FHintPos = savedPos;
    FHintLocation = savedLocation;
    NewBounds = savedBounds;
}

void TsAlphaHints::SaveToStream(TStream& AStream) { acSaveHintTemplate(FTemplates.get(), TemplateIndex, AStream); }

void TsAlphaHints::SaveToFile(const UnicodeString& FileName)
{
    acSaveHintTemplateToFile(FTemplates.get(), TemplateIndex, FileName);
}

TacHintTemplate* TsAlphaHints::LoadFromStream(TStream& AStream) { return acLoadHintTemplate(FTemplates.get(), AStream); }

TacHintTemplate* TsAlphaHints::LoadFromFile(const UnicodeString& FileName)
{
    return acLoadHintTemplateFromFile(FTemplates.get(), FileName);
}
