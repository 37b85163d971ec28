// move: the player's step: walking, striking, talking and doors.
#pragma once

/// Carries out one step of the player standing at (x, y) in its direction.
void user_move(int x, int y);

/// The lowest room number no room of the cave carries yet.
int move_free_room_number();
