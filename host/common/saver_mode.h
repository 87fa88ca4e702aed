// The run mode chosen from the command line. The values are fixed because
// both hosts and their tests compare them as plain integers.
#pragma once
#include <cstdint>

enum class SaverMode : int32_t { None = 0, Configure = 1, ChangePassword = 2, Preview = 3, FullScreen = 4 };
