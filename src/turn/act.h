// act: the player's half of a turn: reading keys and carrying out actions.
#pragma once

struct character_;
struct tile;

/// The direction of an action code (1..9, keypad layout).
void act_direction(int code, int* dx, int* dy);

/// Carrying capacity: trunc(strength * 3 / 30) items.
int act_capacity(float strength);

/// Lowers the player's base fullness by `amount` when calculated fullness > 0.
void act_food_cost(character_* player, float amount);

/// Lays the player's corpse on its tile and takes the player off it.
void act_lay_corpse(character_* player, tile* t);

/// Reads keys until one action has taken the turn (or the game ended).
void user_act();
