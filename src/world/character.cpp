// character: the beings of the cave. The ten creatures come from one data
// table; the player is made apart with pictures of its own. Also the effective
// stats of a being and what is left of it when it dies.
#include "world/character.h"

#include <allegro.h>

#include <cstdlib>
#include <cstring>

#include "shell/assets.h"
#include "world/alloc.h"
#include "world/objekt.h"
#include "world/objektlist.h"
#include "world/properties.h"
#include "world/state.h"

namespace {

/// One entry of the creature catalogue.
struct breed_entry {
    char kind;
    const char* name;
    BITMAP** pictures; // picture table holding pic, pic2, pic_dead in a row
    int first_slot;
    int turn_x_odds;
    int turn_y_odds;
    int sight;
    int alertness;
    int special_odds;
    int stat_low;
    int stat_high;
};

// One row per breed, in enum order. low..high is the range of the six own
// stats; special is special_odds (1 in N per turn; only the baker acts on it).
// clang-format off
constexpr breed_entry breed_table[BREED_COUNT] = {
//   kind name                 pictures    slot  turn_x  turn_y  sight  alert  special   low  high
    {'m', "GreenDevil",        monsterpic,    0,      7,     10,     2,     3,       0,   20,   26},
    {'m', "EvilEyes",          monsterpic,    3,      3,      3,    20,     2,       0,   30,   40},
    {'m', "FurBall",           monsterpic,    6,      4,      2,     5,     1,       0,   45,   60},
    {'m', "FloatingEyeBall",   monsterpic,    9,      2,      2,    10,     2,       0,   60,   80},
    {'m', "Grumbo the Troll",  monsterpic,   12,     15,     15,     2,     1,       0,   90,  120},
    {'n', "CrazyBaker",        neutralpic,    0,      3,      2,     0,     0,     200,   30,   40},
    {'n', "LittleSpider",      neutralpic,    3,      4,      5,     5,     7,      25,   10,   13},
    {'n', "rat",               neutralpic,    6,      1,      1,     1,     2,      25,   20,   26},
    {'n', "bat",               neutralpic,    9,      1,      1,     0,     2,      25,   30,   40},
    {'n', "gnome",             neutralpic,   12,     10,     10,     1,    20,      25,  120,  160},
};
// clang-format on

/// Width of one band of the level pickers: five levels per creature.
constexpr int picker_band = 5;
/// Own stats of a new player.
constexpr int user_stat_low = 30;
constexpr int user_stat_high = 40;

/// The breed whose band holds v, counting from `first` (five breeds per kind).
character_breed breed_from_band(character_breed first, int v) {
    int band = v / picker_band;
    if (band > 4)
        band = 4;
    return static_cast<character_breed>(first + band);
}

/// Loads one of the player's own pictures; a missing file gets a private copy
/// of the red error square so the player still owns something to free.
BITMAP* user_picture(const char* file) {
    BITMAP* picture = assets_load_bitmap(file);
    if (picture || !error_pic)
        return picture;
    picture = create_bitmap(error_pic->w, error_pic->h);
    if (picture)
        blit(error_pic, picture, 0, 0, 0, 0, error_pic->w, error_pic->h);
    return picture;
}

/// Destroys a picture owned by the player (null is ignored).
void user_picture_free(BITMAP* picture) {
    if (picture)
        destroy_bitmap(picture);
}

} // namespace

/// Makes the catalogue creature of `breed` with fresh stats; null without memory.
character_* character_create_breed(character_breed breed) {
    if (breed < 0 || breed >= BREED_COUNT)
        return nullptr;
    const breed_entry& e = breed_table[breed];
    character_* being = static_cast<character_*>(alloc_zeroed(sizeof(character_)));
    if (!being)
        return nullptr;
    being->props = properties_create_random(e.stat_low, e.stat_high);
    if (!being->props) {
        // A creature without stats could not fight or be hurt: none at all.
        alloc_free(being);
        return nullptr;
    }
    being->kind = e.kind;
    strncpy(being->name, e.name, sizeof(being->name) - 1);
    being->pic = e.pictures[e.first_slot];
    being->pic2 = e.pictures[e.first_slot + 1];
    being->pic_dead = e.pictures[e.first_slot + 2];
    being->turn_x_odds = e.turn_x_odds;
    being->turn_y_odds = e.turn_y_odds;
    being->sight = e.sight;
    being->alertness = e.alertness;
    being->special_odds = e.special_odds;
    return being;
}

// The named constructors, one per breed of the catalogue.
// clang-format off
character_* character_create_GreenDevil() { return character_create_breed(BREED_GREEN_DEVIL); }
character_* character_create_EvilEyes() { return character_create_breed(BREED_EVIL_EYES); }
character_* character_create_FurBall() { return character_create_breed(BREED_FUR_BALL); }
character_* character_create_FloatingEyeBall() {
    return character_create_breed(BREED_FLOATING_EYE_BALL);
}
character_* character_create_GrumboTheTroll() { return character_create_breed(BREED_TROLL); }
character_* character_create_CrazyBaker() { return character_create_breed(BREED_CRAZY_BAKER); }
character_* character_create_LittleSpider() { return character_create_breed(BREED_LITTLE_SPIDER); }
character_* character_create_Rat() { return character_create_breed(BREED_RAT); }
character_* character_create_Bat() { return character_create_breed(BREED_BAT); }
character_* character_create_Gnome() { return character_create_breed(BREED_GNOME); }
// clang-format on

/// A monster whose band of five levels holds a draw from 0 to `level`.
character_* character_create_random_monster(int level) {
    int v = rand() % (level + 1);
    return character_create_breed(breed_from_band(BREED_GREEN_DEVIL, v));
}

/// A neutral creature whose band of five levels holds a draw from 0 to `level`.
character_* character_create_random_neutral(int level) {
    int v = rand() % (level + 1);
    return character_create_breed(breed_from_band(BREED_CRAZY_BAKER, v));
}

/// A random monster or neutral creature, the kind drawn first.
character_* character_create_random(int level) {
    if (rand() % 2 == 0)
        return character_create_random_monster(level);
    return character_create_random_neutral(level);
}

/// The player with its own pictures and stats; also sets its effective stats.
character_* character_create_user() {
    character_* player = static_cast<character_*>(alloc_zeroed(sizeof(character_)));
    if (!player)
        return nullptr;
    player->kind = 'u';
    player->pic = user_picture("user.bmp");
    player->pic2 = user_picture("user.bmp");
    player->pic_dead = user_picture("user_dead.bmp");
    player->props = properties_create_random(user_stat_low, user_stat_high);
    if (!player->props) {
        // No stats, no player: the caller goes on without one.
        character_remove(player);
        return nullptr;
    }
    character_calculate_properties(player, &users_calculated_properties);
    return player;
}

/// 1 for the player.
int character_is_user(const character_* being) {
    return being && being->kind == 'u' ? 1 : 0;
}

/// Own stats plus carried things and wielded items, clamped at zero, into `out`.
properties* character_calculate_properties(character_* being, properties* out) {
    if (!out)
        return nullptr;
    properties zero = {};
    *out = zero;
    if (!being)
        return out;
    if (being->props)
        properties_copy(being->props, out);
    for (objektlist_* node = being->inventory; node; node = node->next) {
        objekt_* item = node->objekt;
        if (!item || !item->props)
            continue;
        if (objekt_is(item, "thing") || item->in_use)
            properties_give(*item->props, out, 0);
    }
    return properties_check_properties(out);
}

/// The being's remains; a creature is freed, the player record stays.
objekt_* character_kill(character_* being) {
    if (!being)
        return nullptr;
    properties none = {};
    properties* dead = being->props ? being->props : &none;
    if (character_is_user(being))
        return objekt_create_corpse(dead, being->name, being->pic_dead);
    objekt_* remains;
    if (rand() % 4 != 0)
        remains = objekt_create_explosion(being->name, being->pic, 0, 0, 0);
    else
        remains = objekt_create_corpse(dead, being->name, being->pic_dead);
    properties_remove(being->props);
    objektlist_empty(being->inventory);
    alloc_free(being);
    return remains;
}

/// Frees a being with its stats, items and (the player's) own pictures.
void character_remove(character_* being) {
    if (!being)
        return;
    properties_remove(being->props);
    objektlist_empty(being->inventory);
    if (character_is_user(being)) {
        user_picture_free(being->pic);
        user_picture_free(being->pic2);
        user_picture_free(being->pic_dead);
    }
    alloc_free(being);
}
