// Walking, enabling and mirroring control trees.
#include "sVclUtils.h"

#include "sMessages.h"

#include <algorithm>
#include <climits>

void IterateControls(TWinControl* parent, int data, const TacIterProc& proc)
{
    if (!parent || !proc) return;
    const int count = parent->ControlCount(); // taken once
    for (int i = 0; i < count && i < parent->ControlCount(); ++i) {
        TControl* child = parent->Controls(i);
        proc(child, data);
        if (auto* windowed = dynamic_cast<TWinControl*>(child)) IterateControls(windowed, data, proc);
    }
}

bool IterateControls(TWinControl* parent, int data, const TacIterFun& fun)
{
    if (!parent || !fun) return false;
    const int count = parent->ControlCount();
    for (int i = 0; i < count && i < parent->ControlCount(); ++i) {
        TControl* child = parent->Controls(i);
        int childData = data;
        if (fun(child, childData)) return true;
        if (auto* windowed = dynamic_cast<TWinControl*>(child); windowed && IterateControls(windowed, childData, fun))
            return true;
    }
    return false;
}

void EnableCtrl(TControl* control, bool value)
{
    if (control) control->SetEnabled(value);
}

void SetControlsEnabled(TWinControl* parent, bool value, bool recursive)
{
    if (!parent) return;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* child = parent->Controls(i);
        EnableCtrl(child, value);
        if (auto* windowed = dynamic_cast<TWinControl*>(child); windowed && recursive)
            SetControlsEnabled(windowed, value, true);
    }
}

bool ControlIsReady(TControl* control)
{
    if (!control || !control->Parent()) return false;
    if (auto* windowed = dynamic_cast<TWinControl*>(control); windowed && !windowed->HandleAllocated()) return false;
    const TComponentState state = control->ComponentState();
    if (state.Contains(csLoading) || state.Contains(csDestroying)) return false;
    const TControlState cs = control->ControlState();
    return !cs.Contains(csReadingState) && !cs.Contains(csCreating);
}

void RepaintsControls(TWinControl* parent)
{
    if (!parent) return;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* child = parent->Controls(i);
        if (ControlIsReady(child)) child->Repaint();
    }
}

namespace {

void SwapHorizontalAnchors(TControl* c)
{
    TAnchors a = c->Anchors();
    const bool left = a.Contains(akLeft), right = a.Contains(akRight);
    a = a - TAnchors{akLeft, akRight};
    if (left) a = a + TAnchors{akRight};
    if (right) a = a + TAnchors{akLeft};
    c->SetAnchors(a);
}

bool IsToolBar(const TControl* c) { return c->ClassName() == L"TToolBar" || c->ClassName() == L"TsToolBar"; }

} // namespace

void ReflectControls(TWinControl* parent, bool recursive)
{
    if (!parent) return;
    const int clientWidth = parent->ClientWidth();
    std::vector<TControl*> rights, lefts;
    parent->DisableAlign();
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (IsToolBar(c)) continue;
        // Aligned children are mirrored too, so that the final layout keeps them in mirrored order.
        if (c->Align() == alNone || c->Align() == alLeft || c->Align() == alRight)
            c->SetLeft(clientWidth - c->Left() - c->Width());
        if (c->Align() == alNone) SwapHorizontalAnchors(c);
        SendAMessage(c, AC_REFLECTED);
        if (c->Align() == alRight) rights.push_back(c);
        if (c->Align() == alLeft) lefts.push_back(c);
    }
    // Positions before mirroring: the greatest Left first among the right-aligned, the smallest
    // first among the left-aligned.
    std::stable_sort(rights.begin(), rights.end(), [](TControl* a, TControl* b) { return a->Left() < b->Left(); });
    std::stable_sort(lefts.begin(), lefts.end(), [](TControl* a, TControl* b) { return a->Left() > b->Left(); });
    const int limit = rights.empty() ? INT_MIN : clientWidth - rights.front()->Left() - rights.front()->Width();
    for (TControl* c : rights) c->SetAlign(alLeft);
    for (TControl* c : lefts)
        if (clientWidth - c->Left() - c->Width() < limit || rights.empty()) c->SetAlign(alRight);
    parent->EnableAlign();
    parent->Realign();
    if (!recursive) return;
    for (int i = 0; i < parent->ControlCount(); ++i)
        if (auto* windowed = dynamic_cast<TWinControl*>(parent->Controls(i)); windowed && !IsToolBar(windowed))
            ReflectControls(windowed, true);
}
