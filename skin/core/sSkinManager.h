#pragma once
// The skin manager and the skin data it loads per pixel density. For now only what the raster
// routines read: the mask array of a skin data, the manager's master bitmap and its common skin
// data.
#include "Components.h"
#include "Graphics.h"
#include "acntTypes.h"
#include "sMaskData.h"

#include <memory>

// One loaded skin at one pixel density.
class TacSkinData : public TacObject {
public:
    UnicodeString ClassName() const override { return L"TacSkinData"; }
    TsMaskArray ma; // the skin's images and masks
};

class TsSkinManager : public TComponent {
public:
    explicit TsSkinManager(TComponent* owner) : TComponent(owner) {}
    UnicodeString ClassName() const override { return L"TsSkinManager"; }

    // The skin's bitmap that holds every image without a bitmap of its own.
    std::unique_ptr<TBitmap> MasterBitmap;
    // The skin data for a pixel density; null while no skin is loaded.
    TacSkinData* CommonSkinData(int ppi = 96);
};

// The application's default manager, or null.
extern TsSkinManager* DefaultManager;
