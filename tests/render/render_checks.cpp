// render_checks: hand-made test records and pixel comparisons.
#include "render_checks.h"

#include <cstring>

#include "headless.h"
#include "shell/assets.h"
#include "world/alloc.h"
#include "world/objektlist.h"

render_workshop::~render_workshop() {
    for (BITMAP* p : pictures_)
        destroy_bitmap(p);
    for (void* b : blocks_)
        alloc_free(b);
}

void* render_workshop::keep(void* block) {
    blocks_.push_back(block);
    return block;
}

BITMAP* render_workshop::picture(int rgb, int x0, int y0, int x1, int y1) {
    BITMAP* p = create_bitmap(32, 32);
    clear_to_color(p, color_rgb(MASK_RGB));
    rectfill(p, x0, y0, x1, y1, color_rgb(rgb));
    pictures_.push_back(p);
    return p;
}

objekt_* render_workshop::item(const char* type, const char* name, BITMAP* pic) {
    objekt_* o = static_cast<objekt_*>(keep(alloc_zeroed(sizeof(objekt_))));
    strcpy(o->type, type);
    strcpy(o->name, name);
    o->pic = pic;
    o->props = static_cast<properties*>(keep(alloc_zeroed(sizeof(properties))));
    return o;
}

character_* render_workshop::being(char kind, BITMAP* pic, BITMAP* pic2) {
    character_* c = static_cast<character_*>(keep(alloc_zeroed(sizeof(character_))));
    c->kind = kind;
    c->pic = pic;
    c->pic2 = pic2;
    c->props = static_cast<properties*>(keep(alloc_zeroed(sizeof(properties))));
    return c;
}

void render_workshop::carry(objektlist_** head, objekt_* item) {
    objektlist_* node = static_cast<objektlist_*>(keep(alloc_zeroed(sizeof(objektlist_))));
    node->objekt = item;
    while (*head)
        head = &(*head)->next;
    *head = node;
}

room_* render_workshop::room() {
    return static_cast<room_*>(keep(alloc_zeroed(sizeof(room_))));
}

bool block_matches(BITMAP* bitmap, int x, int y, BITMAP* pic, int w, int h) {
    for (int j = 0; j < h; j++)
        for (int i = 0; i < w; i++)
            if (pixel_rgb(bitmap, x + i, y + j) != pixel_rgb(pic, i, j))
                return false;
    return true;
}

bool pictures_differ(BITMAP* a, BITMAP* b, int w, int h) {
    return !block_matches(a, 0, 0, b, w, h);
}

bool block_shows_masked(BITMAP* bitmap, int x, int y, BITMAP* top, BITMAP* under) {
    for (int j = 0; j < 32; j++)
        for (int i = 0; i < 32; i++) {
            int want = pixel_rgb(top, i, j);
            if (want == MASK_RGB)
                want = pixel_rgb(under, i, j);
            if (pixel_rgb(bitmap, x + i, y + j) != want)
                return false;
        }
    return true;
}
