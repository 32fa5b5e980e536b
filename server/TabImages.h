#pragma once
// The small images on the main window's page tabs (ImageList1): drawn here rather than loaded,
// one per page in page order.
#include "ImageList.h"

// Pages with an image, in page order: GW-Status, connection log, telegrams, statistics, info,
// setup, RAW import.
inline constexpr int TabImageCount = 7;
inline constexpr int TabImageSize = 16;

// Adds the TabImageCount images to list (whose image size must be TabImageSize).
void AddTabImages(TCustomImageList& list);
