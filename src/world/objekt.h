// objekt: items of the cave (things, food, weapons, explosions) and the
// catalogue they are made from.
#pragma once
#include <cstdint>

struct BITMAP;
struct properties;

struct objekt_ {
    char type[150];      // "thing", "food", "weapon" or "explosion"
    char name[150];      // shown to the player
    BITMAP* pic;         // shared table picture; an explosion's own copy
    BITMAP* pic_zap;     // wand only: picture handed to its zap explosion
    unsigned char in_use;   // 1 while wielded
    unsigned char selected; // 1 under the inventory cursor
    BITMAP* pic_used;    // weapons only: drawn over the wielder
    int32_t step_x;      // explosions: columns flown per world turn
    int32_t step_y;      // explosions: rows flown per world turn
    int32_t moved;       // explosions: 1 once moved this world turn
    int32_t power;       // explosions: strength
    int32_t age;         // explosions: 1 when made, +1 per move
    properties* props;   // the item's effect; null for explosions
};

/// The catalogue entries, in the order of the picture tables.
enum objekt_kind {
    OBJEKT_STONE, OBJEKT_RING, OBJEKT_DIAMOND, OBJEKT_LAMP, OBJEKT_CD,
    OBJEKT_BREAD, OBJEKT_BEEF_JERKY, OBJEKT_POTION, OBJEKT_RED_POTION, OBJEKT_GREEN_POTION,
    OBJEKT_STICK, OBJEKT_LONG_STICK, OBJEKT_FRYING_PAN, OBJEKT_SWORD, OBJEKT_WAND,
    OBJEKT_KIND_COUNT
};

/// Makes one catalogue item of the given kind; null when memory runs out.
objekt_* objekt_create_kind(objekt_kind kind);

objekt_* objekt_create_stone();
objekt_* objekt_create_ring();
objekt_* objekt_create_diamond();
objekt_* objekt_create_lamp();
objekt_* objekt_create_cd();
objekt_* objekt_create_bread();
objekt_* objekt_create_beef_jerky();
objekt_* objekt_create_potion();
objekt_* objekt_create_red_potion();
objekt_* objekt_create_green_potion();
objekt_* objekt_create_stick();
objekt_* objekt_create_long_stick();
objekt_* objekt_create_frying_pan();
objekt_* objekt_create_sword();
objekt_* objekt_create_wand();

objekt_* objekt_create_random_thing(int level);
objekt_* objekt_create_random_food(int level);
objekt_* objekt_create_random_weapon(int level);
objekt_* objekt_create_random(int level);

/// Food made from a dead creature's stats (see the corpse rule).
objekt_* objekt_create_corpse(properties* dead, const char* creature_name, BITMAP* picture);

/// A short-lived explosion with a private copy of `picture`.
objekt_* objekt_create_explosion(const char* source_name, BITMAP* picture, int step_x,
                                 int step_y, int power);

/// Frees an item: its props, an explosion's own picture, the record.
void objekt_remove(objekt_* item);

/// 1 if the item's type text equals `type` (null item gives 0).
int objekt_is(const objekt_* item, const char* type);
