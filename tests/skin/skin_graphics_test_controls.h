#pragma once
// Controls for painting tests with a loaded skin: a parent that answers background requests with
// its cache at an offset, with a colour, or as not ready yet; and a skinned child panel.
#include "ExtCtrls.h"
#include "sCommonData.h"
#include "sMessages.h"

#include <memory>

class TBgPanel : public TPanel {
public:
    explicit TBgPanel(TComponent* owner) : TPanel(owner) {}
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) == AC_GETBG) {
            auto* bg = reinterpret_cast<TacBGInfo*>(message.LParam);
            bg->BgType = NotReady ? btNotReady : FromCache ? btCache : btFill;
            bg->Bmp = FromCache ? Cache.get() : nullptr;
            bg->Offset = TPoint(3, 2);
            bg->Color = Colour;
            return;
        }
        TPanel::WndProc(message);
    }
    std::unique_ptr<TBitmap> Cache;
    bool FromCache = true;
    bool NotReady = false;
    TColor Colour = 0x0000FF;
};

class TSkinnedPanel : public TPanel {
public:
    explicit TSkinnedPanel(TComponent* owner) : TPanel(owner) { SkinData = std::make_unique<TsCtrlSkinData>(this); }
    ~TSkinnedPanel() override { SkinData.reset(); }
    std::unique_ptr<TsCtrlSkinData> SkinData;
};
