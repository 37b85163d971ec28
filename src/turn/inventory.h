// inventory: the inventory screen: wield, drop and consume carried items.
#pragma once

struct character_;
struct tile;

/// The screen opened by the I key; `t` is the tile the player stands on.
void user_inventory(character_* player, tile* t);

/// Moves the cursor index by (dx, dy) over `count` items, with wrap-around.
int inventory_move_cursor(int index, int dx, int dy, int count);
