// The logo strip: "ZELLIK" in wide geometric capitals, white on black.
#pragma once
#include "tools/artwork/grey_image.h"

constexpr int32_t kLogoWidth = 512;
constexpr int32_t kLogoHeight = 32;

void paintLogo(GreyImage& logo);
