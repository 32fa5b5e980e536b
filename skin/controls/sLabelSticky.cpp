// The sticky label: placed beside the control it is attached to, following its moves, its
// visibility and its enabled state through the control's window procedure.
#include "sLabel.h"

#include "Messages.h"
#include "sMessages.h"

TsStickyLabel::~TsStickyLabel() { Detach(); }

void TsStickyLabel::GiveBackWindowProc()
{
    // Only a procedure that is still ours is given back; a later hook keeps its chain.
    if (FAttachTo && FAttachTo->WindowProc == TWndMethod(this, &TsStickyLabel::NewWinProc))
        FAttachTo->WindowProc = SavedWindowProc;
    SavedWindowProc = TWndMethod();
}

void TsStickyLabel::Detach()
{
    if (!FAttachTo) return;
    GiveBackWindowProc();
    FAttachTo->RemoveFreeNotification(this);
    FAttachTo = nullptr;
}

void TsStickyLabel::SetAttachTo(TControl* Value)
{
    if (Value == FAttachTo) return;
    Detach();
    FAttachTo = Value;
    if (!Value) return;
    Value->FreeNotification(this);
    Adjust();
    SetEnabled(Value->Enabled());
    SetVisible(Value->Visible());
    SavedWindowProc = Value->WindowProc;
    Value->WindowProc = TWndMethod(this, &TsStickyLabel::NewWinProc);
}

void TsStickyLabel::SetGap(int Value)
{
    if (Value == FGap) return;
    FGap = Value;
    Adjust();
}

void TsStickyLabel::SetAlignTo(TAlignTo Value)
{
    if (Value == FAlignTo) return;
    FAlignTo = Value;
    Adjust();
}

void TsStickyLabel::Adjust()
{
    if (!FAttachTo) return;
    const auto loading = [](const TComponent* c) { return c && c->ComponentState().Contains(csLoading); };
    if (loading(this) || loading(FAttachTo) || loading(Parent())) return;
    if (BeingAligned() || FAttachTo->BeingAligned()) return;
    const int gap = MulDiv(FGap, CurrentPPI(), 96);
    const TRect R = FAttachTo->BoundsRect();
    const int W = Width(), H = Height();
    int left = 0, top = 0;
    switch (FAlignTo) {
    case altLeft: left = R.Left - W - gap; top = R.Top + (R.Height() - H) / 2; break;
    case altTop: left = R.Left; top = R.Top - H - gap; break;
    case altBottom: left = R.Left; top = R.Top + R.Height() + gap; break;
    case altRight: left = R.Left + R.Width() + gap; top = R.Top + (R.Height() - H) / 2; break;
    case altTopCenter: left = R.Left - (W - R.Width()) / 2; top = R.Top - H - gap; break;
    case altBottomCenter: left = R.Left - (W - R.Width()) / 2; top = R.Top + R.Height() + gap; break;
    }
    Adjusting = true;
    SetBounds(left, top, W, H);
    Adjusting = false;
}

void TsStickyLabel::NewWinProc(TMessage& Message)
{
    TControl* control = FAttachTo;
    const TWndMethod saved = SavedWindowProc;
    // A control being destroyed gets its own procedure back while it still has one: the removal
    // notice comes when only its component part is left.
    if (control && control->ComponentState().Contains(csDestroying)) {
        GiveBackWindowProc();
        if (saved) saved(Message);
        return;
    }
    // The control's own procedure runs first, so the label reads the bounds it has taken.
    if (saved) saved(Message);
    if (Destroying() || Adjusting || !control || FAttachTo != control) return;
    switch (Message.Msg) {
    case WM_WINDOWPOSCHANGED:
    case WM_MOVE:
    case WM_SIZE: Adjust(); break;
    case CM_VISIBLECHANGED: SetVisible(control->Visible()); break;
    case CM_ENABLEDCHANGED: SetEnabled(control->Enabled()); break;
    default: break;
    }
}

// A windowless control learns of its new bounds here (no window tells it): moved by anyone but
// Adjust, the label goes back beside its control.
void TsStickyLabel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    TsLabel::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (FAttachTo && !Destroying() && !Adjusting) Adjust();
}

void TsStickyLabel::WndProc(TMessage& Message)
{
    if (Message.Msg == SM_ALPHACMD && AlphaCmdCode(Message.WParam) == AC_REFLECTED) {
        if (FAlignTo == altLeft)
            SetAlignTo(altRight);
        else if (FAlignTo == altRight)
            SetAlignTo(altLeft);
        return;
    }
    TsLabel::WndProc(Message);
}

void TsStickyLabel::Loaded()
{
    TsLabel::Loaded();
    if (FAttachTo) Adjust();
}

void TsStickyLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TsLabel::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FAttachTo) {
        FAttachTo = nullptr;
        SavedWindowProc = TWndMethod();
    }
}
