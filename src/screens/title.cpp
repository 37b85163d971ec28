// title: the wait on the title screen, with W for the kept games (see
// title.h). The list and the choice of a game are read from the keys
// themselves, unrecorded; the game loop plays the game picked, leaving the
// game about to begin as it was.
#include "screens/title.h"

#include <allegro.h>
#include <cstdio>

#include "screens/highscore.h"
#include "shell/assets.h"
#include "shell/keyboard.h"
#include "tape/recording.h"
#include "tape/recordings.h"
#include "tape/settings.h"

namespace {

/// The title's own lines, in the colour of its "press any key", on the dark
/// band under it: the hint for W, and one line of news.
constexpr int TITLE_RGB = 0xfff0c0;
constexpr int HINT_Y = 736, NEWS_Y = 750;

/// What W says on the title after it, by title_watch_outcome, and when there
/// is nothing to watch.
constexpr const char* watch_news[] = {
    /* TITLE_WATCH_ENDED */ "",
    /* TITLE_WATCH_STOPPED */ "",
    /* TITLE_WATCH_UNREADABLE */ "That game's recording is gone, damaged or unfinished",
    /* TITLE_WATCH_BROKEN */ "That game's recording stopped fitting the game: it is damaged",
};
constexpr const char* nothing_kept = "No game has been kept to watch yet";

/// The title picture as it was shown, to come back to after W, and what
/// plays a kept game.
BITMAP* title_picture = nullptr;
int (*watcher)(int entry) = nullptr;

/// Shows the title picture again with the hint for W (when there is a game
/// to watch) and the line `news`.
void title_show(const char* news) {
    if (title_picture)
        blit(title_picture, bmp, 0, 0, 0, 0, bmp->w, bmp->h);
    recordings_game_ games[HIGHSCORE_COUNT + 1];
    if (recordings_list(games) > 0)
        text_draw_centre(bmp, "W watches a kept game again", 512, HINT_Y, TITLE_RGB);
    if (news && news[0])
        text_draw_centre(bmp, news, 512, NEWS_Y, TITLE_RGB);
    assets_show(bmp);
}

/// True if a listed game has the place `number`.
bool title_listed(const recordings_game_* games, int count, int number) {
    for (int i = 0; i < count; i++)
        if (games[i].place == number)
            return true;
    return false;
}

/// True if a listed game's place begins with the digits of `number` and
/// has more.
bool title_grows(const recordings_game_* games, int count, int number) {
    for (int i = 0; number > 0 && i < count; i++)
        if (games[i].place / 10 == number)
            return true;
    return false;
}

/// The digit held (on the main keyboard or the keypad), or -1.
int title_digit_held() {
    for (int d = 0; d <= 9; d++)
        if (key[KEY_0 + d] || key[KEY_0_PAD + d])
            return d;
    return -1;
}

/// Lets the player pick a game of the list by its number: a number no other
/// one begins with picks at once, Enter picks the number typed, Backspace
/// takes a digit back. The place picked (0: the last game), or -1 for
/// Escape.
int title_pick(const recordings_game_* games, int count) {
    int typed = -1; // none yet
    for (;;) {
        char shown[32] = "";
        if (typed >= 0)
            snprintf(shown, sizeof shown, "%d", typed);
        highscore_draw_kept(bmp, games, count, shown);
        assets_show(bmp);
        zelkokey_wait_quietly_fresh();
        const int digit = title_digit_held();
        const int longer = typed > 0 ? typed * 10 + digit : digit;
        if (key[KEY_ESC])
            return -1;
        if (digit >= 0 &&
            (title_listed(games, count, longer) || title_grows(games, count, longer))) {
            typed = longer;
            if (title_listed(games, count, typed) && !title_grows(games, count, typed))
                return typed;
        } else if (digit < 0 && key[KEY_BACKSPACE]) {
            typed = typed >= 10 ? typed / 10 : -1;
        } else if ((key[KEY_ENTER] || key[KEY_ENTER_PAD]) && title_listed(games, count, typed)) {
            return typed;
        }
    }
}

/// W on the title: the list of the kept games, and the one picked watched
/// again; then the title as it was, with what came of it.
void title_watch() {
    recordings_game_ games[HIGHSCORE_COUNT + 1];
    const int count = recordings_list(games);
    int outcome = TITLE_WATCH_STOPPED;
    if (count > 0) {
        const int place = title_pick(games, count);
        if (place >= 0)
            outcome = watcher(place > 0 ? place : -1);
    }
    zelkokey_wait_quietly(0); // the key that ended it is no key of the title
    title_show(count > 0 ? watch_news[outcome] : nothing_kept);
}

} // namespace

void title_wait(int (*watch)(int entry)) {
    if (recording_replaying() || !watch) {
        zelkokey_wait_fresh();
        return;
    }
    title_picture = create_bitmap(bmp->w, bmp->h);
    if (title_picture)
        blit(bmp, title_picture, 0, 0, 0, 0, bmp->w, bmp->h);
    watcher = watch;
    title_show(settings_trouble());
    zelkokey_set_aside(KEY_W, title_watch);
    zelkokey_wait_fresh();
    zelkokey_set_aside(0, nullptr);
    if (title_picture)
        destroy_bitmap(title_picture);
    title_picture = nullptr;
}
