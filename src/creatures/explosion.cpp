// explosion: each turn an explosion's picture bursts outward from its centre
// and thins out, until after nine turns nothing is left of it.
#include "creatures/explosion.h"

#include <allegro.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

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

namespace {

/// 1 if the picture can be scattered by reading and writing its pixels
/// directly: a plain 32-bit memory bitmap of at least 32 by 32 that copies
/// are not clipped on, while bitmaps are made at 32 bits. (The game draws
/// in solid mode only.) The result is the same as through the library.
int explosion_direct(BITMAP* pic) {
    return pic && is_memory_bitmap(pic) && bitmap_color_depth(pic) == 32 &&
           get_color_depth() == 32 && pic->w >= EXPLOSION_SIZE && pic->h >= EXPLOSION_SIZE &&
           (!pic->clip || (pic->cl <= 0 && pic->ct <= 0 && pic->cr >= EXPLOSION_SIZE &&
                           pic->cb >= EXPLOSION_SIZE));
}

/// One scatter through the library: a work bitmap filled with the mask
/// colour, pixel by pixel copies, the work bitmap copied back.
void explosion_scatter_library(BITMAP* pic) {
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
}

/// The same scatter on the picture's own rows, with the same draws in the
/// same order: a world turn of ten explosions is spared ten work bitmaps
/// and a few thousand library calls.
void explosion_scatter_direct(BITMAP* pic) {
    uint32_t work[EXPLOSION_SIZE][EXPLOSION_SIZE];
    std::fill(&work[0][0], &work[0][0] + EXPLOSION_SIZE * EXPLOSION_SIZE,
              (uint32_t)color_rgb(0xff00ff));
    // Only the coordinates that land inside draw numbers; they are visited
    // in the same order as by the plain loops.
    int source[EXPLOSION_SIZE], target[EXPLOSION_SIZE], count = 0;
    for (int v = 0; v < EXPLOSION_SIZE; v++)
        if (explosion_lands(explosion_scatter(v))) {
            source[count] = v;
            target[count++] = explosion_scatter(v);
        }
    for (int a = 0; a < count; a++) {
        const uint32_t* from = reinterpret_cast<const uint32_t*>(pic->line[source[a]]);
        uint32_t* to = work[target[a]];
        for (int b = 0; b < count; b++)
            if (rand() % 3 != 0)
                to[target[b]] = from[source[b]];
    }
    for (int y = 0; y < EXPLOSION_SIZE; y++)
        memcpy(pic->line[y], work[y], sizeof work[y]);
}

} // namespace

void explosion_move(objekt_* explosion) {
    if (!explosion)
        return;
    BITMAP* pic = explosion->pic;
    if (explosion_direct(pic))
        explosion_scatter_direct(pic);
    else
        explosion_scatter_library(pic);
    explosion->age++;
}
