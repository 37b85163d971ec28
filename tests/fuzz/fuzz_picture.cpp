// fuzz_picture: any bytes as a picture file. Loading never crashes, a
// picture that loads has a size the game accepts, and the start-up check,
// the loading and the full-screen loading agree on which files are sound.
#include <allegro.h>

#include "fuzz_support.h"
#include "shell/assets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_init("input.bmp");
    static BITMAP* small_screen = create_bitmap(64, 64);
    fuzz_write_scratch(data, size);
    const char* name = fuzz_scratch();
    const int sound = assets_picture_is_sound(name);
    BITMAP* picture = assets_load_bitmap(name);
    fuzz_require((picture != nullptr) == (sound != 0), "the check and the loading disagree");
    if (picture) {
        fuzz_require(picture->w > 0 && picture->h > 0 && picture->w <= 2048 && picture->h <= 2048,
                     "a loaded picture has a size the game refuses");
        getpixel(picture, picture->w - 1, 0); // its top right is really there
        destroy_bitmap(picture);
    }
    fuzz_require(assets_load_screen(small_screen, name) == sound,
                 "the full-screen loading and the check disagree");
    return 0;
}
