// msgbox: the game's modal boxes: yes/no, item information, text lines and
// the name box.
#pragma once

struct BITMAP;
struct RGB;
struct objekt_;
struct properties;

/// Asks a yes/no question; 1 for Y, 0 for N or Escape.
int zelko_msgbox_YN(BITMAP* bitmap, const char* question);

/// The question the yes/no box waits for an answer to now; null when none.
const char* zelko_msgbox_asking();

/// Shows an item's picture, name and properties in a box at (x, y).
void zelko_msgbox_info_objekt(BITMAP* bitmap, RGB* palette, objekt_* item, int x, int y);

/// Paints the same item box without showing the bitmap (for a frame that is
/// shown whole once it is complete).
void zelko_msgbox_paint_info_objekt(BITMAP* bitmap, objekt_* item, int x, int y);

/// Shows three lines in the centred box; a line too long to end inside the
/// box from its usual place starts further left.
void zelko_msgbox_info_3(BITMAP* bitmap, RGB* palette, const char* a, const char* b, const char* c);

/// Shows seven lines in the centred box (long lines as in info_3).
void zelko_msgbox_info_7(BITMAP* bitmap, RGB* palette, const char* lines[7]);

/// Asks for a line of text into `buffer`.
void zelko_msgbox_TextIN(BITMAP* bitmap, const char* prompt, char* buffer, int size);

/// Shows the fields a gift or a loss changed, under `title`, in the
/// seven-line box over the room, and waits for a fresh key.
void zelko_msgbox_properties(const properties& change, const char* title);
