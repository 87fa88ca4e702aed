// Pictures as the saver's loader expects them: baseline JFIF, a restart marker
// after every row of 8 x 8 blocks. The artwork tool writes its greyscale
// pictures so; the loader's tests make small streams of any kind with it.
#pragma once
#include "tools/artwork/grey_image.h"

#include <vector>

// width x height samples of `components` (1: grey, 3: RGB) per pixel, rows top first.
std::vector<unsigned char> encodeJpeg(const unsigned char* samples, int width, int height, int components,
                                      int quality);
bool writeGreyJpeg(const GreyImage& image, const char* path, int quality);
