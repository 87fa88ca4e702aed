#include "tests/support/gl_test_context.h"

#include <cstdlib>

HeadlessContext& testContext(int32_t width, int32_t height) {
    static HeadlessContext context{};
    static const bool made = context.create(width, height);
    if (!made) {
        ADD_FAILURE() << "no headless OpenGL context";
        std::abort();
    }
    return context;
}

Picture grabPicture() {
    const HeadlessContext& context = testContext();
    Picture picture{context.width, context.height,
                    std::vector<unsigned char>(size_t(context.width) * size_t(context.height) * 4)};
    context.readPixels(picture.rgba.data());
    return picture;
}
