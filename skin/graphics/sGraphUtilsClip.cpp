#include "sGraphUtilsClip.h"

#include "sSplitter.h"

#include "sSkinManager.h"
#include "sSkinManagerOptions.h"

namespace {

// A windowless control is cut out only when a default manager exists and draws standard images
// without transparency. Skinned splitters never take part.
bool GraphicControlsTakePart() { return DefaultManager && !DefaultManager->Options()->StdImgTransparency(); }

} // namespace

void ExcludeControls(HDC dc, TWinControl* ctrl, int offsetX, int offsetY)
{
    if (!dc || !ctrl) return;
    for (int i = 0; i < ctrl->ControlCount(); ++i) {
        TControl* child = ctrl->Controls(i);
        if (!child->Visible() || dynamic_cast<TsSplitter*>(child)) continue;
        if (dynamic_cast<TGraphicControl*>(child) && !GraphicControlsTakePart()) continue;
        ExcludeClipRect(dc, child->Left() + offsetX, child->Top() + offsetY, child->Left() + child->Width() + offsetX,
                        child->Top() + child->Height() + offsetY);
    }
}
