// A headless OpenGL context for tests that need a real one: created once per
// test process, current for the whole run.
#pragma once
#include "host/linux/headless_context.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

// The context of this test process, made at the first call (size fixed by
// that call); aborts the process when no context can be made.
inline HeadlessContext& testContext(int32_t width = 320, int32_t height = 240) {
    static HeadlessContext context{};
    static const bool made = context.create(width, height);
    if (!made) {
        ADD_FAILURE() << "no headless OpenGL context";
        std::abort();
    }
    return context;
}
