// room_view: paints the room and composes a whole game frame.
#pragma once

struct room_;

/// Paints `room` (ground, items, beings, weapons) into bmp.
void draw_room(room_* room, int frame);

/// Paints the whole frame of the current room and shows it.
void draw_picture(int frame);
