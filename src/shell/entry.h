// entry: the fields the player types into: a number (which item of a list)
// and a line of text (the name), echoed on the picture as they are typed.
#pragma once

struct BITMAP;

/// Lets the player type a number at (x, y) on `bitmap`; Enter ends it.
int zelkokey_get_a_number(BITMAP* bitmap, int x, int y);

/// Lets the player type a line of at most size - 1 characters at (x, y).
void zelkokey_TextIn(BITMAP* bitmap, int x, int y, char* buffer, int size);
