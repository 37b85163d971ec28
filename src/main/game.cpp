// game: the global game state and the loop of one run: the game an earlier
// run left taken up or given up, then title, name, story, the turns of play,
// the end screens, the score and the highscore table, and "Play again?".
#include "main/game.h"

#include <allegro.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <unistd.h>

#include "creatures/world_turn.h"
#include "main/options.h"
#include "platform/display.h"
#include "render/room_view.h"
#include "screens/help.h"
#include "screens/highscore.h"
#include "screens/msgbox.h"
#include "screens/title.h"
#include "shell/assets.h"
#include "shell/history.h"
#include "shell/keyboard.h"
#include "shell/sound.h"
#include "tape/player_folder.h"
#include "tape/recording.h"
#include "tape/recordings.h"
#include "turn/act.h"
#include "turn/act_rules.h"
#include "turn/check.h"
#include "world/character.h"
#include "world/properties.h"
#include "world/room.h"

int game_text_colour;
game_summary_ last_game;

namespace {

/// How the games of the run are seeded.
enum game_seeding { SEEDS_AS_THEY_COME, SEEDS_GIVEN, SEEDS_FROM_CLOCK };
game_seeding seeding = SEEDS_AS_THEY_COME;
unsigned next_seed;          // the seed of the next game, when seeds are given
bool watching_one = false;   // --watch: one kept game is played again
float watched_reference = 0; // the health reference the game watched began with, or 0
int watch_pause_ms = OPTIONS_DEFAULT_REPLAY_DELAY; // between its keys (--replay-delay)

/// The game an earlier run left: whether this run may take it up (not while
/// it writes or plays back a recording of its own), whether it is given up
/// now, and how many answers that took.
bool may_take_up = false;
bool giving_up = false;
int give_up_answers = 0;

/// Answers a game given up may take past its tape: more, and its waits do
/// not let it end.
constexpr int give_up_most_answers = 64;

/// The title's key was read before the game's recording began (the run asked
/// about the last game first): the next game does not ask for it again.
bool title_key_taken = false;

/// Where the run stands, for a request from outside to end the program.
enum game_phase {
    PHASE_NO_GAME, // the title, name and story screens, "Play again?"
    PHASE_PLAY,    // from the first turn until the game has ended
    PHASE_ENDING,  // the end screens before the table is saved
    PHASE_TABLE    // the table saved and shown, the game's recording still open
};
game_phase phase = PHASE_NO_GAME;

/// What the end of a game says for each end cause.
struct end_cause {
    const char* history_line; // pushed to the log at the end, or null
    const char* screen_line;  // second line of the game-over screen, or null
};

// cause             history line                                   end screen line
constexpr end_cause end_causes[] = {
    /* 0 Escape */ {nullptr, nullptr},
    /* 1 way out */ {nullptr, nullptr},
    /* 2 killed */ {nullptr, "You were killed by the gruesome monsters in the cave..."},
    /* 3 starved */
    {"You died from starvation in the horrible cave...",
     "You died from starvation in the horrible cave..."},
    /* 4 quit */
    {"You passed out from terror and was disposed of by the evil wizard...",
     "You passed out from terror and was disposed of by the evil wizard..."},
    /* 5 explosion */
    {"You were killed by an explosion!", "An explosion took your life! Evil wizard indeed..."},
    /* 6 magic */ {"You were killed by its magical powers...!", "A magical object killed you..."},
    /* 7 food */ {nullptr, "You ate something you really should not have..."},
};

/// The story screens shown after the first, then the control sheet.
constexpr const char* story_screens[] = {"StoryScreen2.bmp", "StoryScreen3.bmp", "StoryScreen4.bmp",
                                         "ControlInfo.bmp"};

/// Loads a full-screen picture into the back buffer.
void game_load_screen(const char* name) {
    assets_load_screen(bmp, name);
}

/// Title, name box and the story screens.
void game_show_intro() {
    game_load_screen("TitelScreen.bmp");
    assets_show(bmp);
    if (title_key_taken)
        zelkokey_fresh_given();
    else
        title_wait(game_watch_kept);
    title_key_taken = false;
    zelko_msgbox_TextIN(bmp, "What is your name?", username, 150);
    recording_name_given(); // a recording is made from here on: a quit before leaves an old one
    game_load_screen("StoryScreen1.bmp");
    assets_show(bmp);
    for (const char* name : story_screens) {
        game_load_screen(name);
        zelkokey_wait_fresh();
        assets_show(bmp);
    }
    zelkokey_wait_fresh();
    // The key that leaves the control sheet must not be the first turn's.
    zelkokey_wait_release();
}

/// The end screen for the cause in end_game.
void game_show_end_picture() {
    if (end_game == END_WAY_OUT) {
        game_load_screen("ByeBye.bmp");
        game_text_colour = 0x003b17;
        text_draw_centre(bmp, "Congratulations! You found your way out! Bye bye...", 512, 384,
                         game_text_colour);
        assets_show(bmp);
    } else if (end_game >= END_KILLED && end_game <= END_FOOD) {
        game_load_screen("GameOver.bmp");
        game_text_colour = 0x7f0000;
        text_draw_centre(bmp, "Game Over", 512, 384, game_text_colour);
        text_draw_centre(bmp, end_causes[end_game].screen_line, 512, 400, game_text_colour);
    }
}

/// The score of the game just ended, from the player record as it stands.
/// A game left with Escape scores as one given up.
int game_score() {
    character_ nobody;
    memset(&nobody, 0, sizeof nobody);
    const int cause = end_game == END_RUNNING && escape_ended ? END_QUIT : end_game;
    return highscore_calculate_int(user ? *user : nobody, room_number, cause);
}

/// Enters the score into the table (drawn on the back buffer) and saves it,
/// with the game's recording tied to its entry; a replay saves nothing.
void game_save_score(int score) {
    highscore_ table[HIGHSCORE_COUNT];
    clear_to_color(bmp, 0);
    highscore_read(table, HIGHSCORE_COUNT);
    int place = highscore_new_score(score, table, HIGHSCORE_COUNT);
    // A game watched again is not a new score; a game taken up is.
    if (!recording_replaying() || recording_taking_up()) {
        highscore_write(table, HIGHSCORE_COUNT);
        recordings_note_table(place, score, username);
    }
    highscore_draw_marks(bmp, table, HIGHSCORE_COUNT, place);
    phase = PHASE_TABLE;
}

/// What a run left in play says as it ends.
constexpr const char* game_kept_line =
    "cave: your game is kept; start the game again to go on with it\n";

/// The program is asked from outside (the window's close button, a signal)
/// to end: a replay stops, a game in play is left as it is, the score of a
/// game on its end screens is saved first and its recording finished, so
/// that it replays to where it was left; then the program ends, status 0.
void game_leave() {
    if (recording_taking_up()) {
        // Played back to be taken up: it stays as it was kept, wherever it is.
        fputs(game_kept_line, stderr);
    } else if (recording_replaying()) {
        printf("cave: replay stopped\n");
    } else if (phase == PHASE_PLAY) {
        recordings_sync();
        fputs(game_kept_line, stderr);
    } else if (phase == PHASE_ENDING || phase == PHASE_TABLE) {
        recording_note_left();
        if (phase == PHASE_ENDING)
            game_save_score(last_game.score);
        recordings_game_ends(last_game.score);
    }
    fflush(nullptr); // every line recorded so far reaches its file
    // Everything the game keeps is on the disk now. exit() would run the
    // graphics library's own teardown, which now and then waits for ever on
    // its X thread after that thread has just handed on a close request; the
    // system and the X server free what the program held as it ends.
    _exit(0);
}

/// Seeds the game about to begin from the recording being replayed, or from
/// the run's next seed (noted in a recording); else the generator goes on.
void game_seed_this_one() {
    if (seeding == SEEDS_AS_THEY_COME && !recording_replaying())
        return;
    if (recording_taking_up()) { // its own seed; the run's stay for its new games
        last_game.seed = recording_game_seed(0);
        last_game.seeded = 1;
        srand(last_game.seed);
        return;
    }
    if (seeding == SEEDS_FROM_CLOCK) {
        next_seed = static_cast<unsigned>(clock());
        seeding = SEEDS_GIVEN;
    }
    last_game.seed = recording_game_seed(next_seed++);
    last_game.seeded = 1;
    srand(last_game.seed);
}

/// Notes how the game just played ended; a seeded game tells its seed and
/// result on stdout.
void game_note_end() {
    last_game.end_cause = end_game;
    // The score counts the stats as the end screen's panel shows them, after
    // the last turn; work them out now, so this line and the table agree.
    if (user)
        character_calculate_properties(user, &users_calculated_properties);
    last_game.score = game_score();
    if (current_room && current_room->number > last_game.deepest_room)
        last_game.deepest_room = current_room->number;
    if (!last_game.seeded)
        return;
    printf("cave: that cave was seed %u\n", last_game.seed);
    printf("cave: end cause %d, score %d, %d turn%s, deepest room %d\n", last_game.end_cause,
           last_game.score, last_game.turns, last_game.turns == 1 ? "" : "s",
           last_game.deepest_room);
    fflush(stdout);
}

/// The last screen of a replay watched in the window stays, saying so,
/// until a key is pressed.
void game_show_replay_end() {
    recording_show_end(1);
    zelkokey_wait_quietly_fresh();
    recording_show_end(0);
}

/// Loads the kept game `entry` (a table place, or the last game) to be
/// watched with `pause_ms` between its keys, and the health reference it
/// began with into *reference (left as it is when it names none); false when
/// it cannot be played (said on stderr).
bool game_load_kept(int entry, int pause_ms, float* reference) {
    char name[4096];
    const int fd = recordings_open_kept(entry, name, sizeof name);
    const bool loaded = fd >= 0 && recording_load_open(fd, name, pause_ms, 1);
    float told = 0;
    if (loaded && recordings_reference(fd, &told) && told > 0)
        *reference = told;
    if (fd >= 0)
        close(fd);
    return loaded;
}

/// A kept game watched from the title that stops before its end, with the
/// status the program would have ended with.
struct game_watch_stop_ {
    int status;
};

/// Stops a kept game watched from the title: back up to game_watch_kept.
[[noreturn]] void game_stop_watch(int status) {
    throw game_watch_stop_{status};
}

/// What a game watched from the title changes of the run, so that the game
/// about to begin is as it was: its summary, phase and seeds, the state kept from
/// game to game (max_hp, the text colour, the name), the log and the music.
struct game_run_kept_ {
    game_summary_ summary;
    game_phase phase;
    game_seeding seeding;
    unsigned next_seed;
    float max_hp;
    int text_colour;
    char name[sizeof username];
    char log[EVENT_HISTORY_LINES][EVENT_HISTORY_WIDTH];
    std::string music;
};

/// Notes what a watched game changes of the run.
void game_keep_run(game_run_kept_* kept) {
    kept->summary = last_game;
    kept->phase = phase;
    kept->seeding = seeding;
    kept->next_seed = next_seed;
    kept->max_hp = max_hp;
    kept->text_colour = game_text_colour;
    memcpy(kept->name, username, sizeof username);
    memcpy(kept->log, event_history, sizeof event_history);
    kept->music = sound_music_name();
}

/// Puts back what a watched game changed of the run, and seeds the game
/// about to begin again: every game a player plays is seeded, the clock's
/// or the command line's seed, and nothing drew from it before its title.
void game_restore_run(const game_run_kept_& kept) {
    last_game = kept.summary;
    phase = kept.phase;
    seeding = kept.seeding;
    next_seed = kept.next_seed;
    max_hp = kept.max_hp;
    game_text_colour = kept.text_colour;
    memcpy(username, kept.name, sizeof username);
    memcpy(event_history, kept.log, sizeof event_history);
    if (kept.music.empty())
        sound_stop_music();
    else
        sound_play_music(kept.music.c_str());
    if (last_game.seeded)
        srand(last_game.seed);
}

} // namespace

int game_watch_kept(int entry) {
    game_run_kept_ kept;
    game_keep_run(&kept);
    if (!recording_set_aside())
        return TITLE_WATCH_UNREADABLE;
    // max_hp as the game watched began; put back after it.
    const bool loaded = game_load_kept(entry, watch_pause_ms, &max_hp);
    int outcome = loaded ? TITLE_WATCH_ENDED : TITLE_WATCH_UNREADABLE;
    if (loaded) {
        watching_one = true;
        recording_set_stop(game_stop_watch);
        try {
            game_play_one();
        } catch (const game_watch_stop_& stop) {
            outcome = stop.status == 0 ? TITLE_WATCH_STOPPED : TITLE_WATCH_BROKEN;
            game_release_world();
        }
        recording_set_stop(nullptr);
        watching_one = false;
    }
    recording_take_back(); // the run's own recording goes on, untouched
    if (outcome == TITLE_WATCH_ENDED)
        game_show_replay_end();
    game_restore_run(kept);
    return outcome;
}

/// The end of a game: end screen, score, history, highscore table.
int game_show_end() {
    sound_play_music("end.wav");
    if (end_game >= 0 && end_game <= END_FOOD && end_causes[end_game].history_line)
        event_history_push(end_causes[end_game].history_line);
    draw_picture(step);
    if (end_game != END_WAY_OUT) {
        text_draw_centre(bmp, "You are dead!", 512, 384, 0xff0000);
        assets_show(bmp);
    }
    zelkokey_wait_fresh();
    game_show_end_picture();
    int score = game_score();
    char number[16];
    snprintf(number, sizeof number, "%d", score);
    text_draw_centre(bmp, "Your score:", 512, 416, game_text_colour);
    text_draw_centre(bmp, number, 512, 432, game_text_colour);
    assets_show(bmp);
    zelkokey_wait_fresh();
    if (zelko_msgbox_YN(bmp, "View last history?")) {
        clear_to_color(bmp, color_rgb(0x0f0000));
        event_history_draw(bmp, 20, 341, 96);
        assets_show(bmp);
        zelkokey_wait_fresh();
    }
    game_save_score(score);
    assets_show(bmp);
    zelkokey_wait_fresh();
    if (!watching_one) // a game watched from the title is not the run's own
        recordings_game_ends(score);
    phase = PHASE_NO_GAME;
    // A game given up is followed by a new one without asking.
    int again = watching_one ? 0 : giving_up ? 1 : zelko_msgbox_YN(bmp, "Play again?");
    sound_stop_music();
    return again;
}

void game_init_state() {
    max_hp = 30.0f;
    game_text_colour = 0x7f0000;
    draw_init();
    zelkokey_set_help(help_show_sheet);
    zelkokey_set_leave(game_leave);
    properties_set_teller(zelko_msgbox_properties);
    bmp = create_bitmap(1024, 768);
    clear_to_color(bmp, color_rgb(0x002010));
    srand(clock());
}

void game_run_turns() {
    cave = current_room = room_create_first();
    user = room_find_user(current_room);
    step = 0;
    end_game = 0;
    escape_ended = 0;
    room_number = 0;
    last_game.turns = last_game.deepest_room = 0;
    phase = PHASE_PLAY;
    if (!watching_one)            // a game watched from the title is not the run's own
        recordings_play_begins(); // the game is in progress from now on, kept as it goes
    if (!cave || !user) {
        // Out of memory before the game could begin: end it at once, cleanly.
        event_history_push("The cave could not be made: out of memory");
        return;
    }
    sound_play_music("quiet.wav");
    while (end_game == 0 && !act_left_with_escape()) {
        step = step + 1 > 1 ? 0 : step + 1;
        last_game.turns++;
        if (current_room->number > last_game.deepest_room)
            last_game.deepest_room = current_room->number;
        draw_picture(step);
        user_act();
        if (end_game == 0)
            user_check_health(user);
        if (end_game != 0 || act_left_with_escape())
            continue;
        monster_act(current_room);
    }
}

void game_release_world() {
    room_remove_all(cave);
    character_remove(user);
    cave = current_room = nullptr;
    user = nullptr;
}

int game_play_one() {
    last_game = game_summary_();
    phase = PHASE_NO_GAME;
    if (!watching_one)
        recordings_game_begins(max_hp); // before the seed, the recording's first line
    game_seed_this_one();
    sound_play_music("lugn.wav");
    event_history_clear();
    game_show_intro();
    game_run_turns();
    phase = PHASE_ENDING;
    game_note_end();
    int again = game_show_end();
    game_release_world();
    return again;
}

namespace {

/// Where the tape of the game taken up ends: the player takes over, with the
/// picture the screen would show and the music of that moment; the keys
/// still held from the question go up first, so that none answers a wait.
void game_hand_over() {
    display_let_go(1);
    sound_hold(0);
    zelkokey_wait_quietly(0);
    clear_keybuf();
}

/// Past the tape of a game given up, answers its waits as a player giving
/// up would: Q at a command wait, yes to "Do you want to end this game?",
/// no to any other question, 0 for a number, any key where one is waited
/// for, and no key held. The answers are recorded like keys.
int game_give_up_answer(int kind, int scancode) {
    (void)scancode;
    if (++give_up_answers > give_up_most_answers) {
        fprintf(stderr, "cave: %s/%s: the game does not end when given up\n", player_folder_where(),
                RECORDINGS_IN_PROGRESS);
        throw recording_misfit();
    }
    const char* asking = zelko_msgbox_asking();
    if (kind == REC_KEY)
        return !asking ? ZK_QUIT : strcmp(asking, ACT_END_QUESTION) == 0 ? ZK_YES : ZK_NO;
    if (kind == REC_CHAR)
        return KEY_ENTER << 8 | '\r';
    return 0;
}

/// Says, over the title, that the last game cannot go on and where it was
/// set aside (as stderr does); the key that goes on is the title's.
void game_set_aside() {
    char aside[64];
    recordings_set_aside(aside, sizeof aside);
    sound_play_music("lugn.wav");
    game_load_screen("TitelScreen.bmp");
    zelko_msgbox_info_3(bmp, pal, "Your last game cannot go on.",
                        aside[0] ? "It was set aside in your folder as" : "", aside);
    zelkokey_wait_quietly_fresh();
    title_key_taken = true;
}

/// After a game taken up: the tape, the waits, the screen and the music as
/// a run has them (`quiet`: no music until the next game's).
void game_end_take_up(bool quiet) {
    if (recording_taking_up())
        recording_finish(); // its tape went on past its game, or did not fit
    recording_set_answerer(nullptr);
    giving_up = false;
    display_let_go(0);
    if (quiet)
        sound_stop_music();
    sound_hold(0);
}

/// Plays the game an earlier run left back, with no picture and no sound:
/// with `go_on`, to where it was left, where the player goes on with it;
/// else on to its end as a game given up, scored and in the table, and a new
/// game follows. One that cannot be played back is set aside. 0 when the
/// player then ends the run.
int game_take_up(int go_on) {
    const float run_reference = max_hp;
    float reference = max_hp;
    if (!recordings_take_up(go_on ? game_hand_over : nullptr, &reference)) {
        game_set_aside();
        return 1;
    }
    max_hp = reference;
    giving_up = !go_on;
    give_up_answers = 0;
    recording_set_answerer(go_on ? nullptr : game_give_up_answer);
    display_hold();
    sound_hold(1);
    int again = 1;
    bool fits = true;
    try {
        again = game_play_one();
    } catch (const recording_misfit&) {
        // A line deep in the game does not fit it: the game's own code has no
        // way back from a wait, so the game unwinds to here and is released.
        fits = false;
        zelkokey_set_typing(0);
        game_release_world();
        phase = PHASE_NO_GAME;
    }
    game_end_take_up(!go_on || !fits);
    if (!fits) {
        max_hp = run_reference;
        game_set_aside();
        return 1;
    }
    title_key_taken = !go_on;
    if (!go_on) { // N may still be held, and must not type into the new game's name
        zelkokey_wait_quietly(0);
        clear_keybuf();
    }
    return go_on ? again : 1;
}

/// When an earlier run left a game in progress that no running copy plays:
/// over the title, once a run and outside every game's recording, "Do you
/// want to go on with your last game?". 0 when the player then ends the run.
int game_offer_left_game() {
    if (!may_take_up || !recordings_find_left_game())
        return 1;
    sound_play_music("lugn.wav");
    game_load_screen("TitelScreen.bmp");
    assets_show(bmp);
    title_wait(game_watch_kept); // no game's recording has begun: nothing is recorded
    return game_take_up(zelko_msgbox_YN(bmp, "Do you want to go on with your last game?"));
}

} // namespace

void game_run() {
    if (watched_reference > 0)
        max_hp = watched_reference; // as the game watched began
    watched_reference = 0;
    int again = game_offer_left_game();
    while (again && game_play_one()) {
    }
}

void game_seed_games(int given, unsigned first) {
    seeding = given ? SEEDS_GIVEN : SEEDS_FROM_CLOCK;
    next_seed = first;
}

int game_prepare_run(const options_* options) {
    game_seed_games(options->has_seed, options->seed);
    recordings_enable(!options->replay && !options->watch);
    may_take_up = !options->replay && !options->watch && !options->record;
    watching_one = options->watch != 0;
    watch_pause_ms = options->replay_delay;
    watched_reference = 0;
    if (options->watch)
        return game_load_kept(options->watch, options->replay_delay, &watched_reference);
    if (options->record)
        return recording_start(options->record);
    if (options->replay)
        return recording_load(options->replay, options->replay_delay, 1);
    return 1;
}

int game_finish_run() {
    const bool watched = recording_watched();
    seeding = SEEDS_AS_THEY_COME;
    phase = PHASE_NO_GAME;
    recordings_enable(0);
    watching_one = false;
    may_take_up = title_key_taken = false;
    const int status = recording_finish() ? 0 : 1;
    if (watched)
        game_show_replay_end(); // the last screen stays until the viewer has seen it
    return status;
}

int game_init_headless() {
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        return 0;
    set_color_depth(32);
    // The real screen lays colours out as 0xRRGGBB; make memory bitmaps match.
    _rgb_r_shift_32 = 16;
    _rgb_g_shift_32 = 8;
    _rgb_b_shift_32 = 0;
    _rgb_a_shift_32 = 24;
    set_color_conversion(COLORCONV_TOTAL);
    screen = create_bitmap(1024, 768);
    if (!screen)
        return 0;
    clear_to_color(screen, 0);
    return 1;
}

int game_check_data_files() {
    int missing = 0;
    for (int i = 0; i < assets_required_count; i++) {
        const char* name = assets_required_files[i];
        size_t length = strlen(name);
        bool picture = length > 4 && strcmp(name + length - 4, ".bmp") == 0;
        if (picture ? !assets_picture_is_sound(name)
                    : access(assets_path(name).c_str(), R_OK) != 0) {
            if (missing == 0)
                fprintf(stderr, "cave: missing or damaged data files in this folder:\n");
            fprintf(stderr, "  %s\n", name);
            missing++;
        }
    }
    if (missing && *assets_folder()) {
        fprintf(stderr, "cave: looked in %s, the folder given with --data\n", assets_folder());
        fprintf(stderr, "cave: name the game's data folder with --data\n");
    } else if (missing) {
        char here[4096];
        const char* folder = getcwd(here, sizeof here);
        fprintf(stderr, "cave: looked in %s\n", folder ? folder : "?");
        fprintf(stderr, "cave: start the game from its data folder or name it with --data "
                        "(./play does this)\n");
    }
    return missing;
}
