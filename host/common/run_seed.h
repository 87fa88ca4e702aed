// The seed a saver run starts its scenes from.
#pragma once
#include <cstdint>

// The environment variable that fixes it, for benchmarks and comparisons that
// must show every host and build the same pictures.
constexpr const char kFixedSeedVariable[] = "ZELLIK_SEED";

// fixedSeed (the variable's value, or null when it is not set) when it is a
// decimal number from 0 to 4294967295; otherwise calendarSeed, the seed the
// scene's set-up describes.
uint32_t runSeed(const char* fixedSeed, uint32_t calendarSeed);
