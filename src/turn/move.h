// move: the player's step: walking, striking, talking and doors.
#pragma once

struct room_;

/// Carries out one step of the player standing at (x, y) in its direction.
void user_move(int x, int y);

/// The lowest room number no room of the cave carries yet.
int move_free_room_number();

/// Makes room for the player on tile (x, y) of `room`: a being standing there
/// (other than the player) moves to the nearest free floor tile. 0 when the
/// room has no free floor left, and nothing moved.
int move_clear_arrival(room_* room, int x, int y);
