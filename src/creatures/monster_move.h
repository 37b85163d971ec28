// monster_move: where a creature goes this turn.
#pragma once

struct character_;
struct room_;

/// Sets the creature's dir_x, dir_y; the baker may bake a bread.
void monster_move(character_* creature, room_* room, int x, int y);
