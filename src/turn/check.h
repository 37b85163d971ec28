// check: the player's body: healing, starving, and the carrying limit.
#pragma once

struct character_;
struct tile;

/// Heals, starves or ends the game by lost health, once per turn.
void user_check_health(character_* player);

/// Drops items beyond the carrying capacity; refreshes the effective stats.
void user_check_inventory(character_* player, tile* t);
