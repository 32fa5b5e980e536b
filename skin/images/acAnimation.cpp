// Control animations: the mouse light has no timer yet.
#include "acAnimation.h"

void SetMouseLight(bool) {}

void DelLightControl() {}

void AddLightControl(TsCtrlSkinData*) {}

void DelLightControl(TsCtrlSkinData*) {}

void DoChangePaint(TsCommonData*, int, TacAnimProc, bool, bool, bool) {}

bool UpdateGlowing_CB(TObject*, int) { return true; }
