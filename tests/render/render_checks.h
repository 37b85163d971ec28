// render_checks: hand-made pictures, items, beings and rooms for the drawing
// tests, and the pixel comparisons they share.
#pragma once
#include <allegro.h>

#include <vector>

#include "world/character.h"
#include "world/objekt.h"
#include "world/properties.h"
#include "world/room.h"

/// The transparent colour of masked copies.
constexpr int MASK_RGB = 0xff00ff;

/// Owns everything a drawing test makes and frees it at the end of the test.
class render_workshop {
  public:
    ~render_workshop();

    /// A 32 x 32 picture of colour `rgb` inside the rectangle (x0, y0)-(x1, y1)
    /// and the mask colour everywhere else.
    BITMAP* picture(int rgb, int x0 = 0, int y0 = 0, int x1 = 31, int y1 = 31);

    /// An item of `type` and `name` with zeroed props and picture `pic`.
    objekt_* item(const char* type, const char* name, BITMAP* pic);

    /// A being with zeroed props and the two animation pictures.
    character_* being(char kind, BITMAP* pic, BITMAP* pic2);

    /// Appends `item` to the list at `*head` with a node made here.
    void carry(objektlist_** head, objekt_* item);

    /// A zero-filled room (every tile empty).
    room_* room();

  private:
    std::vector<BITMAP*> pictures_;
    std::vector<void*> blocks_;
    void* keep(void* block);
};

/// 1 if the 32 x 32 block of `bitmap` at (x, y) equals `pic` pixel by pixel.
bool block_matches(BITMAP* bitmap, int x, int y, BITMAP* pic, int w = 32, int h = 32);

/// 1 if two pictures differ somewhere in their top-left w x h pixels.
bool pictures_differ(BITMAP* a, BITMAP* b, int w = 32, int h = 32);

/// 1 if the block at (x, y) shows `top` masked over `under` (the picture
/// under it, itself copied opaquely).
bool block_shows_masked(BITMAP* bitmap, int x, int y, BITMAP* top, BITMAP* under);
