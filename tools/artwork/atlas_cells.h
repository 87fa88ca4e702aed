// The four 512-pixel pictures of the tile atlas.
#pragma once
#include "tools/artwork/grey_image.h"

constexpr int32_t kCellSize = 512;

// Paints the whole 1024 x 1024 atlas: cell k at column k % 2, row k / 2.
void paintAtlas(GreyImage& atlas);
