// check: the player's body between the turns. Healing eats up reserves, a
// starving player weakens, and health run out ends the game; whoever grows
// too weak for their load drops the items they can no longer carry.
#include "turn/check.h"

#include "shell/history.h"
#include "turn/act_rules.h"
#include "world/character.h"
#include "world/objekt.h"
#include "world/objektlist.h"
#include "world/properties.h"
#include "world/state.h"
#include "world/tile.h"

namespace {

/// Items the inventory strip can show, whatever the strength.
constexpr int CARRY_LIMIT = 60;

/// Below this fullness the player starves.
constexpr float STARVING = 15.0f;

/// What one turn of starving costs in health.
constexpr float STARVE_LOSS = 0.5f;

/// Healing bands: below the fraction of max_hp, health gained for fullness.
struct check_heal_band {
    float thirds; // the band ends at max_hp / 3 times this
    float health; // gained
    float food;   // paid in fullness
};

// below max_hp/3 x   health  fullness
constexpr check_heal_band check_heal_bands[] = {
    {1.0f, 0.5f, 1.0f},
    {2.0f, 0.25f, 0.5f},
};

/// Lets the player heal by the first band its health lies in.
void check_heal(properties* own, float h) {
    for (const check_heal_band& band : check_heal_bands)
        if (h < max_hp / 3 * band.thirds) {
            own->health += band.health;
            own->fullness -= band.food;
            return;
        }
}

} // namespace

void user_check_health(character_* player) {
    if (!player || !player->props)
        return;
    properties* own = player->props;
    const float h = users_calculated_properties.health;
    const float f = users_calculated_properties.fullness;
    const float health_before = own->health;
    if (f > 0)
        check_heal(own, h);
    if (h < 1) {
        end_game = END_KILLED;
        return;
    }
    if (f < STARVING) {
        own->health = health_before - STARVE_LOSS; // starving undoes the healing
        if (h - STARVE_LOSS < 1)
            end_game = END_STARVED;
    }
}

void user_check_inventory(character_* player, tile* t) {
    if (!player)
        return;
    for (;;) {
        character_calculate_properties(player, &users_calculated_properties);
        int count = objektlist_count_stuff(player->inventory);
        if (count == 0)
            return;
        int capacity = act_capacity(users_calculated_properties.strength);
        if (count <= CARRY_LIMIT && count <= capacity)
            return;
        if (!t)
            return; // nowhere to put anything down
        // The first item beyond what may be carried goes onto the floor.
        objekt_* item =
            objektlist_get(player->inventory, capacity < CARRY_LIMIT ? capacity : CARRY_LIMIT);
        if (!act_move_objekt(item, &player->inventory, &t->objekts))
            return; // no memory for the list node: try again at the next check
        event_history_push("You became too weak to carry all of your stuff");
        item->selected = 0;
        if (item->in_use && player->weapon == item)
            player->weapon = nullptr;
        item->in_use = 0;
    }
}
