// highscore: the score of a finished game and the table of the fifteen best
// on the highscore screen.
#pragma once

#include "tape/highscore_file.h"
#include "tape/recordings.h"

struct BITMAP;
struct character_;

int highscore_calculate_int(character_ player, int rooms, int end);
void highscore_write(highscore_* table, int count);
int highscore_check_if_high(int score, highscore_* table, int count);
int highscore_push(int score, const char* name, highscore_* table, int count);
void highscore_draw(BITMAP* bitmap, highscore_* table, int count, int lit);
int highscore_new_score(int score, highscore_* table, int count);

/// The mark beside the rows whose games can be watched again.
constexpr const char HIGHSCORE_MARK[] = "*";

/// Marks the rows of the drawn table whose games can be watched again (row
/// `lit` in its light) and says under the table how; nothing when none can.
void highscore_draw_marks(BITMAP* bitmap, highscore_* table, int count, int lit);

/// Draws the list of the kept games that can be watched (their place, 0 for
/// the last game, score and name) on black, with the number `typed` so far
/// under it.
void highscore_draw_kept(BITMAP* bitmap, const recordings_game_* games, int count,
                         const char* typed);
