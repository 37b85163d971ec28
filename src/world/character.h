// character: every being of the cave, the creature catalogue, effective
// stats and death.
#pragma once
#include <cstdint>

struct BITMAP;
struct properties;
struct objekt_;
struct objektlist_;

struct character_ {
    char kind;           // 'u' player, 'm' monster, 'n' neutral creature
    char name[151];      // used in messages; empty for the player
    BITMAP* pic;         // first animation frame
    BITMAP* pic2;        // second animation frame
    BITMAP* pic_dead;    // corpse picture
    int32_t kills;       // player only: beings killed
    int32_t dir_x;       // direction of travel along columns, -1..1
    int32_t dir_y;       // direction of travel along rows, -1..1
    int32_t turn_x_odds; // 1 in this chance of a new dir_x when idle
    int32_t turn_y_odds; // the same for dir_y
    int32_t sight;       // half-width of the square the player is seen in
    int32_t alertness;   // half-width of the square other beings are noticed in
    int32_t special_odds; // baker: 1 in this chance of baking per turn
    int32_t moved;       // 1 once acted in the current world turn
    properties* props;   // own stats, owned
    objektlist_* inventory; // carried items, owned
    objekt_* weapon;     // the wielded item (one of the carried), or null
};

/// The creature catalogue, monsters first, in picture-table order.
enum character_breed {
    BREED_GREEN_DEVIL, BREED_EVIL_EYES, BREED_FUR_BALL, BREED_FLOATING_EYE_BALL, BREED_TROLL,
    BREED_CRAZY_BAKER, BREED_LITTLE_SPIDER, BREED_RAT, BREED_BAT, BREED_GNOME,
    BREED_COUNT
};

/// Makes one creature of the catalogue; null when memory runs out.
character_* character_create_breed(character_breed breed);

character_* character_create_GreenDevil();
character_* character_create_EvilEyes();
character_* character_create_FurBall();
character_* character_create_FloatingEyeBall();
character_* character_create_GrumboTheTroll();
character_* character_create_CrazyBaker();
character_* character_create_LittleSpider();
character_* character_create_Rat();
character_* character_create_Bat();
character_* character_create_Gnome();

character_* character_create_random_monster(int level);
character_* character_create_random_neutral(int level);
character_* character_create_random(int level);

/// The player, with its own three pictures; null when memory runs out.
character_* character_create_user();

/// 1 if the being is not null and is the player.
int character_is_user(const character_* being);

/// Fills `out` with own stats plus carried things and the wielded weapon,
/// clamped at zero; returns `out`.
properties* character_calculate_properties(character_* being, properties* out);

/// Turns a being into its remains (corpse or explosion). Frees a creature
/// that is not the player; the player record stays.
objekt_* character_kill(character_* being);

/// Frees a being with its stats and inventory; the player also frees its
/// three pictures. Null is ignored.
void character_remove(character_* being);
