// Small JPEG streams made in memory for loader tests.
#pragma once
#include <cstdint>
#include <vector>

// Encodes width x height samples of `components` (1 or 3) per pixel, rows top
// first, as a baseline JPEG of high quality.
std::vector<unsigned char> encodeJpeg(int width, int height, int components,
                                      const std::vector<unsigned char>& samples);
