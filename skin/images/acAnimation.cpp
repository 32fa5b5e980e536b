// Control animations: the mouse light has no timer yet and controls show without animation.
#include "acAnimation.h"

void SetMouseLight(bool) {}

void DelLightControl() {}

void AddLightControl(TsCtrlSkinData*) {}

void DoUpdateLight(TsCtrlSkinData*, bool) {}

void RestartAttention(TsCommonData*) {}

void DelLightControl(TsCtrlSkinData*) {}

void DoChangePaint(TsCommonData*, int, TacAnimProc, bool, bool, bool) {}

bool UpdateGlowing_CB(TObject*, int) { return true; }

void AnimShowControl(TWinControl*, WORD, int, TacAnimTypeCtrl, TacIterationProc) {}

void PrepareForAnimation(TWinControl*, TacAnimTypeCtrl) {}
