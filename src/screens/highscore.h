// highscore: the score of a finished game and the table of the fifteen best
// on the highscore screen.
#pragma once

#include "tape/highscore_file.h"

struct BITMAP;
struct character_;

int highscore_calculate_int(character_ player, int rooms, int end);
void highscore_write(highscore_* table, int count);
int highscore_check_if_high(int score, highscore_* table, int count);
int highscore_push(int score, const char* name, highscore_* table, int count);
void highscore_draw(BITMAP* bitmap, highscore_* table, int count, int lit);
int highscore_new_score(int score, highscore_* table, int count);
