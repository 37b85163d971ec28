// highscore: the score of a finished game and the table of the fifteen best
// on the highscore screen; the table's file is kept by highscore_file.
#include "screens/highscore.h"

#include <allegro.h>
#include <cstdio>
#include <cstring>

#include "shell/assets.h"
#include "tape/recording.h"
#include "tape/recordings.h"
#include "world/character.h"
#include "world/objekt.h"
#include "world/objektlist.h"
#include "world/properties.h"
#include "world/state.h"

namespace {

// Table drawing: columns, first row, row height and colours.
enum {
    DRAW_PLACE_X = 293,
    DRAW_SCORE_X = 341,
    DRAW_NAME_X = 469,
    DRAW_HEADING_Y = 240,
    DRAW_FIRST_ROW_Y = 256,
    DRAW_ROW_HEIGHT = 16,
    DRAW_PROBLEM_X = 512,
    DRAW_PROBLEM_Y = 512,
    DRAW_MARK_X = DRAW_PLACE_X - 16,
    DRAW_HINT_Y = 528,
    DRAW_KEPT_Y = 208
};
const int COLOUR_HEADING = 0x7F0000;
const int COLOUR_LIT = 0xFFFFFF;
const int COLOUR_ROW = 0x7F7F7F;
const int COLOUR_PROBLEM = 0x7F0000;

/// Draws why the score was not saved under the table on the back buffer.
void highscore_draw_problem(BITMAP* bitmap) {
    if (!bitmap || !highscore_save_problem()[0])
        return;
    char line[160];
    snprintf(line, sizeof line, "Your score could not be saved: %s", highscore_save_problem());
    text_draw_centre(bitmap, line, DRAW_PROBLEM_X, DRAW_PROBLEM_Y, COLOUR_PROBLEM);
}

} // namespace

/// The score of a finished game: effective stats, a tenth of each carried
/// item's stats, 20 per room and 10 per kill, then the end cause's factor.
int highscore_calculate_int(character_ player, int rooms, int end) {
    int score = properties_sum_int(users_calculated_properties);
    for (objektlist_* node = player.inventory; node; node = node->next)
        if (node->objekt && node->objekt->props)
            score += properties_sum_int(*node->objekt->props) / 10;
    score += 20 * rooms;
    score += 10 * player.kills;
    switch (end) {
    case END_WAY_OUT:
        return score * 2;
    case END_KILLED:
    case END_STARVED:
        return score / 2;
    case END_QUIT:
        return score / 3;
    default:
        return score;
    }
}

/// Saves the table; a save that does not happen is also said under the table
/// on the back buffer.
void highscore_write(highscore_* table, int count) {
    highscore_save(table, count);
    highscore_draw_problem(bmp);
}

/// 1 if some entry scores strictly less than `score`, else 0.
int highscore_check_if_high(int score, highscore_* table, int count) {
    for (int i = 0; i < count; i++)
        if (table[i].score < score)
            return 1;
    return 0;
}

/// Puts the new entry above the first one it equals or beats, moving the
/// rest down (the last drops out); returns its index, -1 if it has no place.
int highscore_push(int score, const char* name, highscore_* table, int count) {
    int place = 0;
    while (place < count && table[place].score > score)
        place++;
    if (place == count)
        return -1;
    memmove(&table[place + 1], &table[place], sizeof(highscore_) * size_t(count - 1 - place));
    table[place].score = score;
    highscore_set_name(&table[place], name);
    return place;
}

/// Draws the headings and one row per entry; row `lit` in white.
void highscore_draw(BITMAP* bitmap, highscore_* table, int count, int lit) {
    text_draw(bitmap, "Place", DRAW_PLACE_X, DRAW_HEADING_Y, COLOUR_HEADING);
    text_draw(bitmap, "Score", DRAW_SCORE_X, DRAW_HEADING_Y, COLOUR_HEADING);
    text_draw(bitmap, "Name", DRAW_NAME_X, DRAW_HEADING_Y, COLOUR_HEADING);
    for (int i = 0; i < count; i++) {
        int y = DRAW_FIRST_ROW_Y + DRAW_ROW_HEIGHT * i;
        int colour = i == lit ? COLOUR_LIT : COLOUR_ROW;
        char text[16];
        snprintf(text, sizeof text, "%d.", i + 1);
        text_draw(bitmap, text, DRAW_PLACE_X, y, colour);
        snprintf(text, sizeof text, "%d", int(table[i].score));
        text_draw(bitmap, text, DRAW_SCORE_X, y, colour);
        text_draw(bitmap, table[i].name, DRAW_NAME_X, y, colour);
    }
}

/// Marks beside their place the rows of the drawn table whose games can be
/// watched again, in the row's colour, and says under the table how;
/// nothing when none can. A table drawn in a replay holds the watched game
/// at row `lit` over the saved ones, which move down a row from there.
void highscore_draw_marks(BITMAP* bitmap, highscore_* table, int count, int lit) {
    recordings_game_ games[HIGHSCORE_COUNT + 1];
    const int kept = recordings_list(games);
    const bool moved = recording_replaying() && lit >= 0;
    int marked = 0;
    for (int k = 0; k < kept && games[k].place > 0; k++) {
        const int row = games[k].place - 1 + (moved && games[k].place - 1 >= lit);
        if (row >= count || table[row].score != games[k].score ||
            strcmp(table[row].name, games[k].name) != 0)
            continue;
        text_draw(bitmap, HIGHSCORE_MARK, DRAW_MARK_X, DRAW_FIRST_ROW_Y + DRAW_ROW_HEIGHT * row,
                  row == lit ? COLOUR_LIT : COLOUR_ROW);
        marked++;
    }
    char hint[160];
    if (recordings_problem()[0]) { // the games cannot be kept: say why instead
        snprintf(hint, sizeof hint, "Your game could not be kept: %s", recordings_problem());
        text_draw_centre(bitmap, hint, DRAW_PROBLEM_X, DRAW_HINT_Y, COLOUR_PROBLEM);
        return;
    }
    snprintf(hint, sizeof hint,
             "W on the title screen or cave --watch N shows a game marked %s again",
             HIGHSCORE_MARK);
    if (marked > 0)
        text_draw_centre(bitmap, hint, DRAW_PROBLEM_X, DRAW_HINT_Y, COLOUR_ROW);
}

void highscore_draw_kept(BITMAP* bitmap, const recordings_game_* games, int count,
                         const char* typed) {
    clear_to_color(bitmap, 0);
    text_draw_centre(bitmap, "Kept games", DRAW_PROBLEM_X, DRAW_KEPT_Y, COLOUR_HEADING);
    text_draw(bitmap, "Place", DRAW_PLACE_X, DRAW_HEADING_Y, COLOUR_HEADING);
    text_draw(bitmap, "Score", DRAW_SCORE_X, DRAW_HEADING_Y, COLOUR_HEADING);
    text_draw(bitmap, "Name", DRAW_NAME_X, DRAW_HEADING_Y, COLOUR_HEADING);
    for (int i = 0; i < count; i++) {
        const int y = DRAW_FIRST_ROW_Y + DRAW_ROW_HEIGHT * i;
        char text[16];
        snprintf(text, sizeof text, "%d.", games[i].place);
        text_draw(bitmap, text, DRAW_PLACE_X, y, COLOUR_ROW);
        snprintf(text, sizeof text, "%d", games[i].score);
        text_draw(bitmap, text, DRAW_SCORE_X, y, COLOUR_ROW);
        text_draw(bitmap, games[i].place ? games[i].name : "the last game", DRAW_NAME_X, y,
                  COLOUR_ROW);
    }
    const int below = DRAW_FIRST_ROW_Y + DRAW_ROW_HEIGHT * (HIGHSCORE_COUNT + 2);
    text_draw_centre(bitmap, "Type the number of a game to watch it again; Escape goes back",
                     DRAW_PROBLEM_X, below, COLOUR_ROW);
    if (typed && typed[0])
        text_draw_centre(bitmap, typed, DRAW_PROBLEM_X, below + DRAW_ROW_HEIGHT, COLOUR_LIT);
}

/// Enters the player's name when the score belongs in the table, then draws
/// the table onto the back buffer with the new row lit; returns that row's
/// index, -1 when the score has no place.
int highscore_new_score(int score, highscore_* table, int count) {
    int lit = -1;
    if (highscore_check_if_high(score, table, count))
        lit = highscore_push(score, username, table, count);
    highscore_draw(bmp, table, count, lit);
    return lit;
}
