// A headless OpenGL context for tests that need a real one: created once per
// test process, current for the whole run.
#pragma once
#include "tests/support/picture.h"
#include "tools/render/headless_context.h"

#include <gtest/gtest.h>

#include <cstdint>

// The context of this test process, made at the first call (size fixed by
// that call); aborts the process when no context can be made.
HeadlessContext& testContext(int32_t width = 320, int32_t height = 240);

// The context's back buffer as it stands.
Picture grabPicture();
