#include "tests/support/gl_test_context.h"

#include <cstdlib>

HeadlessContext& testContext(int32_t width, int32_t height) {
    static HeadlessContext context{};
    static bool made = false;
    if (!made) {
        made = context.create(width, height);
        if (!made) {
            ADD_FAILURE() << "no headless OpenGL context";
            std::abort();
        }
    }
    return context;
}

Picture grabPicture() {
    const HeadlessContext& context = testContext();
    Picture picture;
    picture.width = context.width;
    picture.height = context.height;
    picture.rgba.resize(size_t(context.width) * size_t(context.height) * 4);
    context.readPixels(picture.rgba.data());
    return picture;
}
