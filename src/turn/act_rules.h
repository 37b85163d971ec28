// act_rules: what the actions of the player's turn share: the food they
// cost, the carrying capacity, the direction of a key, laying and moving
// items, the player's corpse, finding the player, the wait to read a box,
// and the command key read with the question before the game ends.
#pragma once

/// The question asked before Escape or Q ends the game.
extern const char* const ACT_END_QUESTION;

struct character_;
struct objekt_;
struct objektlist_;
struct room_;
struct tile;

/// The actions that cost food; each takes an amount that grows with the
/// calculated strength S: S / 600, 2 * (S * 3 / 600), (S + S) / 600,
/// S * 3 / 600 and S * 1.1 / 600.
enum act_cost_kind {
    COST_LIGHT, // stand still, a pick-up taken or refused, the inventory, eating
    COST_ZAP,   // zapping the wand
    COST_WALK,  // a step onto free floor or through a door
    COST_HIT,   // a blow at a monster
    COST_TALK   // a word with a neutral creature
};

/// The direction of an action code (1..9, keypad layout); (0, 0) otherwise.
void act_direction(int code, int* dx, int* dy);

/// Carrying capacity: trunc(strength * 3 / 30) items.
int act_capacity(float strength);

/// The food an action costs, from the calculated strength as last worked out.
float act_cost(act_cost_kind kind);

/// Lowers the player's base fullness by what `kind` costs when the
/// calculated fullness is above 0.
void act_food_cost(character_* player, act_cost_kind kind);

/// Lays the player's corpse on its tile and takes the player off it.
void act_lay_corpse(character_* player, tile* t);

/// Moves an item from one list to the end of another; 0 (and nothing moved)
/// when the new list could not take it.
int act_move_objekt(objekt_* item, objektlist_** from, objektlist_** to);

/// Finds the player in `room`, scanning rows top to bottom and each row left
/// to right; null when the player is not on the grid.
character_* act_find_player(room_* room, int* x, int* y);

/// Shows a box and waits for the player to read it: key release, key press.
void act_wait_dismiss();

/// Lays a new item at the end of a list; without memory for the list node
/// the item is freed instead of lost.
void act_lay_new(objekt_* item, objektlist_** items);

/// Reads a command key at a wait of play (the cave, the inventory, aiming
/// the wand). Where the game asks first, Escape and Q open "Do you want to
/// end this game?": no (or Escape) puts the screen back and reads again, as
/// if no key had been pressed; yes returns the key, Q having set end_game to
/// END_QUIT and Escape escape_ended.
int act_read_command();

/// 1 once the player has left the game with Escape: the question answered
/// yes or, in a replay of a game that did not ask, Escape held (a look the
/// recording keeps).
int act_left_with_escape();
