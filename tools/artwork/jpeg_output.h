// Writes a greyscale picture as the saver's loader expects it: baseline JFIF,
// one component, a restart marker after every row of 8 x 8 blocks.
#pragma once
#include "tools/artwork/grey_image.h"

bool writeGreyJpeg(const GreyImage& image, const char* path, int quality);
