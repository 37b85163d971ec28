// objekt: the item catalogue (things, food, weapons), the pickers that stock
// rooms by depth, the corpses and explosions creatures leave behind, and the
// release of an item.
#include "world/objekt.h"

#include <allegro.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shell/assets.h"
#include "world/alloc.h"
#include "world/properties.h"

namespace {

/// What a catalogue entry does after its stats record is drawn.
enum objekt_rule {
    RULE_PLAIN,    // the drawn record is the item's effect
    RULE_FULLNESS, // fullness = rand() % rule_mod - rule_off (food from an all-zero record)
    RULE_WAND,     // damage = rand() % (damage / 2 + 1); the wand also gets its zap picture
};

/// One kind of item in the catalogue.
struct objekt_entry {
    const char* type;
    const char* name;
    BITMAP** pics; // picture table of the item
    int pic_slot;  // slot of the lying / carried picture
    int used_slot; // slot of the wielded picture, -1 for none
    int low, high; // range handed to properties_create_random
    objekt_rule rule;
    int rule_mod, rule_off;
};

// clang-format off
constexpr objekt_entry objekt_catalogue[OBJEKT_KIND_COUNT] = {
    // type    name                pics       pic used  low   high rule           mod off
    {"thing",  "stone",            thingpic,  0,  -1,   -10,  30,  RULE_PLAIN,    0,  0},
    {"thing",  "ring",             thingpic,  1,  -1,   -13,  40,  RULE_PLAIN,    0,  0},
    {"thing",  "shiny stone",      thingpic,  2,  -1,    -8,  26,  RULE_PLAIN,    0,  0},
    {"thing",  "golden lamp",      thingpic,  3,  -1,   -26,  80,  RULE_PLAIN,    0,  0},
    {"thing",  "weird bendy disk", thingpic,  4,  -1,   -40, 120,  RULE_PLAIN,    0,  0},
    {"food",   "bread",            foodpic,   0,  -1,     0,   0,  RULE_FULLNESS, 30, 3},
    {"food",   "beef jerky",       foodpic,   1,  -1,     0,   0,  RULE_FULLNESS, 40, 4},
    {"food",   "purple potion",    foodpic,   2,  -1,    -4,  13,  RULE_PLAIN,    0,  0},
    {"food",   "red potion",       foodpic,   3,  -1,    -6,  20,  RULE_PLAIN,    0,  0},
    {"food",   "green potion",     foodpic,   4,  -1,   -13,  40,  RULE_PLAIN,    0,  0},
    {"weapon", "stick",            weaponpic, 0,   1,    10,  13,  RULE_PLAIN,    0,  0},
    {"weapon", "long stick",       weaponpic, 2,   3,    15,  20,  RULE_PLAIN,    0,  0},
    {"weapon", "frying pan",       weaponpic, 4,   5,    30,  40,  RULE_PLAIN,    0,  0},
    {"weapon", "sword",            weaponpic, 6,   7,    60,  80,  RULE_PLAIN,    0,  0},
    {"weapon", "wand",             weaponpic, 8,   9,    90, 120,  RULE_WAND,     0,  0},
};
// clang-format on

/// A band of a random picker: the kind made once the drawn value reaches `from`.
struct objekt_band {
    int from;
    objekt_kind kind;
};

constexpr int BAND_COUNT = 5;

// Deeper rooms draw from a wider range and so reach the later bands.
// clang-format off
constexpr objekt_band thing_bands[BAND_COUNT] = {
    // from  kind
    {0,  OBJEKT_STONE}, {5,  OBJEKT_RING}, {10, OBJEKT_DIAMOND}, {15, OBJEKT_LAMP},
    {20, OBJEKT_CD}};
constexpr objekt_band food_bands[BAND_COUNT] = {
    {0,  OBJEKT_BREAD}, {7,  OBJEKT_BEEF_JERKY}, {14, OBJEKT_POTION}, {21, OBJEKT_RED_POTION},
    {28, OBJEKT_GREEN_POTION}};
constexpr objekt_band weapon_bands[BAND_COUNT] = {
    {0,  OBJEKT_STICK}, {5,  OBJEKT_LONG_STICK}, {10, OBJEKT_FRYING_PAN}, {15, OBJEKT_SWORD},
    {20, OBJEKT_WAND}};
// clang-format on

/// Draws v = rand() % (level + 1) and makes the item of the band holding v.
objekt_* objekt_create_from_bands(const objekt_band* bands, int level) {
    int v = rand() % (level + 1);
    int chosen = 0;
    for (int i = 1; i < BAND_COUNT; i++)
        if (v >= bands[i].from)
            chosen = i;
    return objekt_create_kind(bands[chosen].kind);
}

/// A zero-filled item record with its type and name set; null when out of memory.
objekt_* objekt_alloc(const char* type, const char* name_head, const char* name_tail) {
    objekt_* item = static_cast<objekt_*>(alloc_zeroed(sizeof(objekt_)));
    if (!item)
        return nullptr;
    snprintf(item->type, sizeof item->type, "%s", type);
    snprintf(item->name, sizeof item->name, "%s%s", name_head, name_tail ? name_tail : "");
    return item;
}

/// Applies the entry's rule to a freshly drawn record.
void objekt_apply_rule(const objekt_entry& entry, objekt_* item) {
    properties* props = item->props;
    if (entry.rule == RULE_FULLNESS && props)
        props->fullness = static_cast<float>(rand() % entry.rule_mod - entry.rule_off);
    if (entry.rule == RULE_WAND) {
        item->pic_zap = zappic[0];
        if (props)
            props->damage = rand() % (props->damage / 2 + 1);
    }
}

} // namespace

objekt_* objekt_create_kind(objekt_kind kind) {
    const objekt_entry& entry = objekt_catalogue[kind];
    objekt_* item = objekt_alloc(entry.type, entry.name, nullptr);
    if (!item)
        return nullptr;
    item->pic = entry.pics[entry.pic_slot];
    if (entry.used_slot >= 0)
        item->pic_used = entry.pics[entry.used_slot];
    item->props = properties_create_random(entry.low, entry.high);
    objekt_apply_rule(entry, item);
    return item;
}

objekt_* objekt_create_stone() {
    return objekt_create_kind(OBJEKT_STONE);
}
objekt_* objekt_create_ring() {
    return objekt_create_kind(OBJEKT_RING);
}
objekt_* objekt_create_diamond() {
    return objekt_create_kind(OBJEKT_DIAMOND);
}
objekt_* objekt_create_lamp() {
    return objekt_create_kind(OBJEKT_LAMP);
}
objekt_* objekt_create_cd() {
    return objekt_create_kind(OBJEKT_CD);
}
objekt_* objekt_create_bread() {
    return objekt_create_kind(OBJEKT_BREAD);
}
objekt_* objekt_create_beef_jerky() {
    return objekt_create_kind(OBJEKT_BEEF_JERKY);
}
objekt_* objekt_create_potion() {
    return objekt_create_kind(OBJEKT_POTION);
}
objekt_* objekt_create_red_potion() {
    return objekt_create_kind(OBJEKT_RED_POTION);
}
objekt_* objekt_create_green_potion() {
    return objekt_create_kind(OBJEKT_GREEN_POTION);
}
objekt_* objekt_create_stick() {
    return objekt_create_kind(OBJEKT_STICK);
}
objekt_* objekt_create_long_stick() {
    return objekt_create_kind(OBJEKT_LONG_STICK);
}
objekt_* objekt_create_frying_pan() {
    return objekt_create_kind(OBJEKT_FRYING_PAN);
}
objekt_* objekt_create_sword() {
    return objekt_create_kind(OBJEKT_SWORD);
}
objekt_* objekt_create_wand() {
    return objekt_create_kind(OBJEKT_WAND);
}

objekt_* objekt_create_random_thing(int level) {
    return objekt_create_from_bands(thing_bands, level);
}

objekt_* objekt_create_random_food(int level) {
    return objekt_create_from_bands(food_bands, level);
}

objekt_* objekt_create_random_weapon(int level) {
    return objekt_create_from_bands(weapon_bands, level);
}

objekt_* objekt_create_random(int level) {
    switch (rand() % 3) {
    case 0:
        return objekt_create_random_thing(level);
    case 1:
        return objekt_create_random_food(level);
    default:
        return objekt_create_random_weapon(level);
    }
}

objekt_* objekt_create_corpse(properties* dead, const char* creature_name, BITMAP* picture) {
    objekt_* item = objekt_alloc("food", "corpse of ", creature_name);
    if (!item)
        return nullptr;
    item->pic = picture;
    properties* props = properties_create_random(0, 0);
    item->props = props;
    if (!props)
        return item;
    // Start from the negated body, then keep half of it, shifted by one draw.
    if (dead)
        properties_take(*dead, props, 0);
    props->fullness = std::fabs(props->strength);
    int r = rand() % 10 - 5;
    props->health = props->health / 2 - r;
    props->strength = props->strength / 2 - r;
    props->armor = 0;
    props->damage = 0;
    // A corpse never heals or strengthens whoever eats it.
    if (props->health > 0)
        props->health = -props->health;
    if (props->strength > 0)
        props->strength = -props->strength;
    return item;
}

objekt_* objekt_create_explosion(const char* source_name, BITMAP* picture, int step_x, int step_y,
                                 int power) {
    BITMAP* copy = create_bitmap(32, 32);
    if (!copy)
        return nullptr;
    objekt_* item = objekt_alloc("explosion", "explosion of ", source_name);
    if (!item) {
        destroy_bitmap(copy);
        return nullptr;
    }
    // The explosion spreads by drawing on its own copy, never on the source.
    clear_to_color(copy, bitmap_mask_color(copy));
    if (picture)
        blit(picture, copy, 0, 0, 0, 0, 32, 32);
    item->pic = copy;
    item->age = 1;
    item->step_x = step_x;
    item->step_y = step_y;
    item->power = power;
    return item;
}

void objekt_remove(objekt_* item) {
    if (!item)
        return;
    if (objekt_is(item, "explosion") && item->pic)
        destroy_bitmap(item->pic);
    properties_remove(item->props);
    alloc_free(item);
}

int objekt_is(const objekt_* item, const char* type) {
    if (!item || !type)
        return 0;
    return strcmp(item->type, type) == 0 ? 1 : 0;
}
