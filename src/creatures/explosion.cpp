// explosion: each turn an explosion's picture bursts outward from its centre
// and thins out, until after nine turns nothing is left of it.
#include "creatures/explosion.h"

#include <allegro.h>

#include <cstdlib>

#include "shell/assets.h"
#include "world/objekt.h"

namespace {

enum { EXPLOSION_SIZE = 32 };

/// 1 if a scattered coordinate still lies inside the picture's square.
int explosion_lands(int v) {
    return v > 0 && v < EXPLOSION_SIZE;
}

} // namespace

int explosion_scatter(int v) {
    int d = (v - 16) * (v - 16) / 4;
    return v <= 15 ? 15 - d : d + 17;
}

void explosion_move(objekt_* explosion) {
    if (!explosion)
        return;
    BITMAP* pic = explosion->pic;
    BITMAP* work = pic ? create_bitmap(EXPLOSION_SIZE, EXPLOSION_SIZE) : nullptr;
    if (work)
        clear_to_color(work, color_rgb(0xff00ff));
    for (int i = 0; i < EXPLOSION_SIZE; i++) {
        int to_y = explosion_scatter(i);
        for (int j = 0; j < EXPLOSION_SIZE; j++) {
            int to_x = explosion_scatter(j);
            if (!explosion_lands(to_x) || !explosion_lands(to_y))
                continue;
            // The draw is made even without a picture, so that the turns of
            // a seeded cave never depend on whether a picture could be made.
            if (rand() % 3 != 0 && work)
                putpixel(work, to_x, to_y, getpixel(pic, j, i));
        }
    }
    if (work) {
        blit(work, pic, 0, 0, 0, 0, EXPLOSION_SIZE, EXPLOSION_SIZE);
        destroy_bitmap(work);
    }
    explosion->age++;
}
