// world_turn: every creature and explosion of the room acts once.
#pragma once

struct room_;

/// The world's half of a turn in `room`.
void monster_act(room_* room);

/// Loss of health from a blow or explosion of strength s against armor a.
int world_turn_hit_loss(int s, int armor);
