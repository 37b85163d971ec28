// Game-flow tests: whole games of the shell played with the scripted keyboard.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "headless.h"
#include "main/game.h"
#include "main/options.h"
#include "platform/sound_capture.h"
#include "readme.h"
#include "screens/highscore.h"
#include "shell/assets.h"
#include "shell/history.h"
#include "shell/keyboard.h"
#include "shell/sound.h"
#include "table_folder.h"
#include "tape/player_folder.h"
#include "tape/recording.h"
#include "tape/recordings.h"
#include "tape/settings.h"
#include "world/character.h"
#include "world/room.h"

namespace {

/// Whole games, with their table in a folder of their own.
class Game : public TableFolderTest {
  protected:
    void SetUp() override {
        TableFolderTest::SetUp();
        game_text_colour = 0x7f0000;
        srand(7);
    }
    void TearDown() override {
        game_finish_run(); // no recording nor seeds of a test reach the next
        TableFolderTest::TearDown();
    }
};

/// Title key, the name, and the keys of the four story screens and the sheet.
/// The story is paged with A; the first turn starts once the key that leaves
/// the control sheet is released.
void script_intro(const char* name) {
    keys_press(KEY_SPACE);
    keys_type(std::string(name) + "\r");
    for (int i = 0; i < 5; i++)
        keys_press(KEY_A);
}

/// Escape or Q in play, and yes to "Do you want to end this game?".
void script_leave(int scancode) {
    keys_press(scancode);
    keys_press(KEY_Y);
}

/// Keys of the end: "You are dead!", the score, no history, the table, and
/// the answer to "Play again?".
void script_end(bool again, std::function<void()> at_score = {}) {
    keys_press(KEY_SPACE);
    if (at_score)
        keys_call(at_score);
    keys_press(KEY_SPACE);
    keys_press(KEY_N);
    keys_press(KEY_SPACE);
    keys_press(again ? KEY_Y : KEY_N);
}

/// The contents of a file.
std::string file_text(const std::string& path) {
    std::string text;
    if (FILE* f = fopen(path.c_str(), "r")) {
        for (int c; (c = fgetc(f)) != EOF;)
            text += char(c);
        fclose(f);
    }
    return text;
}

} // namespace

TEST_F(Game, EscapeEndsTheGameWithNoCause) {
    script_intro("Esko");
    bool saw_dead = false, saw_score = false;
    script_leave(KEY_ESC);
    keys_call([&] {
        saw_dead = has_text_centre(screen, "You are dead!", 512, 384, 0xff0000);
        // No end picture follows an Escape: the game screen is still there.
        saw_dead = saw_dead && has_rgb(screen, 0, 696, 256, 72, 0xffffff);
    });
    script_end(false,
               [&] { saw_score = has_text_centre(screen, "Your score:", 512, 416, 0x7f0000); });
    EXPECT_EQ(game_play_one(), 0);
    EXPECT_EQ(end_game, 0);
    EXPECT_STREQ(username, "Esko");
    EXPECT_TRUE(saw_dead);
    EXPECT_TRUE(saw_score);
    for (auto& line : event_history)
        EXPECT_EQ(strstr(line, "You passed out"), nullptr);
    EXPECT_EQ(keys_remaining(), 1); // only the release of the last N is left
}

TEST_F(Game, TheKeyThatLeavesTheControlSheetDoesNothingInPlay) {
    keys_press(KEY_SPACE);
    keys_type("Sheila\r");
    for (int i = 0; i < 4; i++)
        keys_press(KEY_A);
    keys_hold_only({KEY_SPACE}); // leaves the sheet and stays down a while
    keys_hold_only({KEY_SPACE});
    keys_release();
    script_leave(KEY_Q);
    script_end(false);
    EXPECT_EQ(game_play_one(), 0);
    EXPECT_EQ(end_game, END_QUIT);
    for (auto& line : event_history)
        EXPECT_EQ(strstr(line, "stand still"), nullptr) << line;
}

TEST_F(Game, QuitPushesItsCauseAndShowsGameOver) {
    script_intro("Quinn");
    script_leave(KEY_Q);
    bool saw_over = false;
    keys_press(KEY_SPACE); // past "You are dead!"
    keys_call([&] {
        saw_over = has_text_centre(screen, "Game Over", 512, 384, 0x7f0000) &&
                   has_text_centre(screen,
                                   "You passed out from terror and was disposed of by the "
                                   "evil wizard...",
                                   512, 400, 0x7f0000);
    });
    keys_press(KEY_SPACE);
    keys_press(KEY_N);
    keys_press(KEY_SPACE);
    keys_press(KEY_N);
    EXPECT_EQ(game_play_one(), 0);
    EXPECT_EQ(end_game, END_QUIT);
    EXPECT_TRUE(saw_over);
    EXPECT_STREQ(event_history[19],
                 "You passed out from terror and was disposed of by the evil wizard...");
}

TEST_F(Game, WonGameColourCarriesToALaterEscapeGame) {
    // The end of a won game, played straight from a fresh cave.
    cave = current_room = room_create_first();
    user = room_find_user(current_room);
    ASSERT_NE(user, nullptr);
    end_game = END_WAY_OUT;
    room_number = 30;
    bool saw_bye = false, no_dead = false;
    keys_call([&] { no_dead = !has_rgb(screen, 300, 380, 424, 12, 0xff0000); });
    keys_press(KEY_SPACE);
    keys_call([&] {
        saw_bye = has_text_centre(screen, "Congratulations! You found your way out! Bye bye...",
                                  512, 384, 0x003b17);
    });
    keys_press(KEY_SPACE);
    keys_press(KEY_N);
    keys_press(KEY_SPACE);
    keys_press(KEY_N);
    EXPECT_EQ(game_show_end(), 0);
    game_release_world();
    EXPECT_TRUE(no_dead);
    EXPECT_TRUE(saw_bye);
    EXPECT_EQ(game_text_colour, 0x003b17);

    keys_reset();
    script_intro("Later");
    script_leave(KEY_ESC);
    bool green_score = false;
    script_end(false,
               [&] { green_score = has_text_centre(screen, "Your score:", 512, 416, 0x003b17); });
    EXPECT_EQ(game_play_one(), 0);
    EXPECT_TRUE(green_score);
}

TEST_F(Game, PlayAgainStartsAFreshGameKeepingMaxHp) {
    max_hp = 55.0f;
    script_intro("One");
    script_leave(KEY_Q);
    script_end(true);
    room_* first_cave = nullptr;
    int seen_step = -1, seen_rooms = -1;
    bool log_empty = false;
    keys_press(KEY_SPACE); // title of the second game
    keys_call([&] { log_empty = event_history[19][0] == 0; });
    keys_type("Two\r");
    for (int i = 0; i < 5; i++)
        keys_press(KEY_A);
    keys_call([&] {
        first_cave = cave;
        seen_step = step;
        seen_rooms = room_number;
    });
    script_leave(KEY_ESC);
    script_end(false);
    game_run();
    EXPECT_TRUE(log_empty);
    EXPECT_NE(first_cave, nullptr);
    EXPECT_EQ(seen_step, 1); // the first turn of a game is drawn with frame 1
    EXPECT_EQ(seen_rooms, 0);
    EXPECT_GE(max_hp, 55.0f);
    EXPECT_STREQ(username, "Two");
    EXPECT_EQ(cave, nullptr); // the finished game was released
}

TEST_F(Game, HighscoreTableKeepsTheNameBetweenGames) {
    script_intro("Keeper");
    script_leave(KEY_ESC);
    script_end(false);
    game_play_one();
    highscore_ table[HIGHSCORE_COUNT];
    highscore_read(table, HIGHSCORE_COUNT);
    bool found = false;
    for (auto& e : table)
        found = found || strcmp(e.name, "Keeper") == 0;
    EXPECT_TRUE(found);
}

/// A scripted game with walks, the inventory, a wait and a give-up, recorded;
/// played again from the recording alone, it ends the same, leaves the same
/// log and screen, and does not touch the table. The answers to "Do you
/// want to end this game?" are in the recording like any other.
TEST_F(Game, RecordedGameReplaysToTheSameEnd) {
    std::string tape = std::string(dir) + "/r.txt";
    ASSERT_TRUE(recording_start(tape.c_str()));
    game_seed_games(1, 7);
    script_intro("Rex");
    for (int k : {KEY_RIGHT, KEY_ESC, KEY_N, KEY_RIGHT, KEY_DOWN, KEY_I, KEY_Q, KEY_ESC, KEY_I,
                  KEY_SPACE, KEY_9_PAD, KEY_UP})
        keys_press(k);
    script_leave(KEY_Q);
    script_end(false);
    testing::internal::CaptureStdout();
    EXPECT_EQ(game_play_one(), 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("cave: that cave was seed 7\n"),
              std::string::npos);
    EXPECT_EQ(game_finish_run(), 0);
    game_summary_ first = last_game;
    auto log = std::vector<std::string>(event_history, event_history + EVENT_HISTORY_LINES);
    BITMAP* seen = create_bitmap(screen->w, screen->h);
    blit(screen, seen, 0, 0, 0, 0, screen->w, screen->h);
    EXPECT_GE(first.turns, 8);          // every walk, the inventory and the wait took a turn
    ASSERT_EQ(unlink(file.c_str()), 0); // the replay starts from the same empty table
    const std::string lines = file_text(tape);
    EXPECT_EQ(lines.rfind("cave recording 2\n", 0), 0u);
    for (const char* answer : {"key -1\nrelease\nheld 59 0\nkey 12\nheld 59 0\nrelease\nkey 6\n",
                               "key 16\nrelease\nheld 59 0\nkey -1\nheld 59 1\nrelease\nkey 10\n",
                               "key 16\nrelease\nheld 59 0\nkey 11\nheld 59 0\nrelease\n"})
        EXPECT_NE(lines.find(answer), std::string::npos) << answer;

    keys_reset(); // no keys now: the recording alone answers
    clear_to_color(screen, 0);
    ASSERT_TRUE(recording_load(tape.c_str(), 0, 0));
    testing::internal::CaptureStdout();
    EXPECT_EQ(game_play_one(), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(recording_finish());
    EXPECT_EQ(last_game.seed, 7u);
    EXPECT_EQ(last_game.end_cause, END_QUIT);
    EXPECT_EQ(last_game.score, first.score);
    EXPECT_EQ(last_game.turns, first.turns);
    EXPECT_EQ(last_game.deepest_room, first.deepest_room);
    EXPECT_STREQ(username, "Rex");
    for (int i = 0; i < EVENT_HISTORY_LINES; i++)
        EXPECT_EQ(log[i], event_history[i]);
    EXPECT_EQ(screens_differ(seen, screen), 0);
    destroy_bitmap(seen);
    EXPECT_NE(access(file.c_str(), F_OK), 0); // no table was written
    unlink(tape.c_str());
}

/// A game of the first version left with Escape replays to the whole score
/// it was recorded with; the same cave left with Escape now, the question
/// answered yes, scores as a game given up: a third.
TEST_F(Game, EscapeScoresAsGivingUpButOldRecordingsKeepTheirScore) {
    max_hp = 30.0f; // as a run begins, where the recording was played
    ASSERT_TRUE(recording_load(CAVE_TEST_FILES "/fuzz/corpus/recording/escape_version_1", 0, 0));
    testing::internal::CaptureStdout();
    EXPECT_EQ(game_play_one(), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(recording_finish());
    EXPECT_EQ(last_game.end_cause, END_RUNNING);
    EXPECT_EQ(last_game.score, 198); // as the first version scored it

    game_seed_games(1, 5);
    script_intro("New");
    script_leave(KEY_ESC);
    script_end(false);
    testing::internal::CaptureStdout();
    EXPECT_EQ(game_play_one(), 0);
    const std::string told = testing::internal::GetCapturedStdout();
    EXPECT_EQ(last_game.end_cause, END_RUNNING);
    EXPECT_EQ(last_game.turns, 1);
    EXPECT_EQ(last_game.score, 198 / 3);
    EXPECT_NE(told.find("score 66, 1 turn, deepest room"), std::string::npos) << told;
}

/// Recordings that are damaged, of another version or cut short are
/// refused with a message naming the trouble, or end the program with 1.
TEST_F(Game, BadRecordingsAreRefused) {
    std::string tape = std::string(dir) + "/bad.txt";
    auto load = [&](const char* text) {
        FILE* f = fopen(tape.c_str(), "w");
        fputs(text, f);
        fclose(f);
        testing::internal::CaptureStderr();
        int ok = recording_load(tape.c_str(), 0, 0);
        recording_finish();
        std::string said = testing::internal::GetCapturedStderr();
        return ok ? std::string("loaded") : said;
    };
    EXPECT_NE(load("").find("not a recording"), std::string::npos);
    EXPECT_NE(load("cave recording 3\ngame 1\n").find("version 3"), std::string::npos);
    EXPECT_NE(load("cave recording 0\ngame 1\n").find("version 0"), std::string::npos);
    EXPECT_EQ(load("cave recording 2\ngame 1\nleft\n# end score 3\n"), "loaded");
    EXPECT_NE(load("cave recording 2\ngame 1\nleft\nkey 8\n").find("nothing may follow"),
              std::string::npos);
    EXPECT_NE(load("cave recording 1\n").find("holds no game"), std::string::npos);
    EXPECT_NE(load("cave recording 1\nkey 8\n").find("first event"), std::string::npos);
    for (const char* bad : {"key 18", "kex 8", "key 8 9", "held 59 2", "press 1", "key", "game -1",
                            "number 99999999999", "key  8"})
        EXPECT_NE(load(("cave recording 1\ngame 1\n" + std::string(bad) + "\n").c_str())
                      .find("line 3 is damaged"),
                  std::string::npos)
            << bad;
    EXPECT_EQ(load("cave recording 1\r\n# note\n\ngame 1\r\nheld 59 1\n"), "loaded");
    EXPECT_EQ(
        load(("cave recording 1\n \t\n#" + std::string(300, 'c') + "\ngame 1\n  \r\n").c_str()),
        "loaded");
    for (const char* version :
         {"cave recording 4294967297\n", "cave recording 18446744073709551617\n"})
        EXPECT_NE(load(version).find("line 1: a recording of version"), std::string::npos);
    for (const char* odd : {"cave recording 1x\n", "cave recording -1\n", "cave recording +1\n"})
        EXPECT_NE(load(odd).find("line 1 is not"), std::string::npos) << odd;
    EXPECT_NE(load("cave recording 1\n").find("the whole file holds no game"), std::string::npos);

    // Cut off in its last line: replayed up to the line before, and said so.
    load("cave recording 1\ngame 3\nkey 8\nke");
    testing::internal::CaptureStderr();
    ASSERT_TRUE(recording_load(tape.c_str(), 0, 0));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("line 4 is cut off"), std::string::npos);
    long long value = 0;
    int held = 0;
    EXPECT_EQ(recording_game_seed(0), 3u);
    EXPECT_EQ(recording_upcoming(&value, &held), REC_KEY);
    EXPECT_EQ(value, 8);
    recording_finish();

    // Recording over a file leaves it whole until a game begins.
    load("keep me\n");
    ASSERT_TRUE(recording_start(tape.c_str()));
    recording_finish();
    std::ifstream kept(tape);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep me\n");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(recording_load((tape + ".none").c_str(), 0, 0));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot be read"), std::string::npos);

    load("cave recording 1\ngame 3\nrelease\npress\nchar 5204\n"); // cut in the name
    ASSERT_TRUE(recording_load(tape.c_str(), 0, 0));
    EXPECT_EXIT(game_play_one(), testing::ExitedWithCode(1), "ends before the game does");
    load("cave recording 1\ngame 3\nkey 8\n");
    ASSERT_TRUE(recording_load(tape.c_str(), 0, 0));
    EXPECT_EXIT(game_play_one(), testing::ExitedWithCode(1), "line 3 does not fit");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(recording_finish()); // loaded here, but never played
    EXPECT_NE(testing::internal::GetCapturedStderr().find("ended before the recording did"),
              std::string::npos);
    unlink(tape.c_str());
}

/// The text of the kept recording of table entry `entry` (-1: the last
/// game), read through the descriptor the game opens; where it is into
/// `name`. "" when it has none.
static std::string kept_text(int entry, char* name, size_t size) {
    int fd = recordings_open_kept(entry, name, size);
    std::string text;
    char buffer[4096];
    for (ssize_t got; fd >= 0 && (got = read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, size_t(got));
    if (fd >= 0)
        close(fd);
    return text;
}

/// F1 and ? in play show the control sheet (the one that leads back to the
/// game) until a key is pressed, then the screen as it was; no turn passes
/// and nothing is recorded, so a game with help is the game without it.
TEST_F(Game, HelpLeavesTheScreenAndTheGameAsTheyWere) {
    BITMAP* before = create_bitmap(screen->w, screen->h);
    BITMAP* sheet = create_bitmap(1024, 768);
    assets_load_screen(sheet, "ControlHelp.bmp");
    int sheet_differ = -1, back_differ = -1;
    auto play = [&](const std::string& tape, bool help) {
        keys_reset();
        EXPECT_TRUE(recording_start(tape.c_str()));
        game_seed_games(1, 7);
        script_intro("Hal");
        keys_press(KEY_RIGHT);
        if (help) {
            keys_call([&] { blit(screen, before, 0, 0, 0, 0, screen->w, screen->h); });
            keys_press(KEY_F1);
            keys_call([&] { sheet_differ = screens_differ(screen, sheet); });
            keys_press(KEY_A);
            keys_call([&] { back_differ = screens_differ(screen, before); });
            keys_press(KEY_SLASH); // the key of ?, closed by Space, which is no turn here
            keys_press(KEY_SPACE);
        }
        keys_press(KEY_DOWN);
        script_leave(KEY_Q);
        script_end(false);
        testing::internal::CaptureStdout();
        game_play_one();
        testing::internal::GetCapturedStdout();
        game_finish_run();
        return last_game;
    };
    const std::string plain = std::string(dir) + "/plain.txt", helped = std::string(dir) + "/h.txt";
    game_summary_ without = play(plain, false), with = play(helped, true);
    EXPECT_EQ(sheet_differ, 0);
    EXPECT_EQ(back_differ, 0);
    EXPECT_EQ(with.turns, without.turns);
    EXPECT_EQ(with.score, without.score);
    EXPECT_EQ(file_text(helped), file_text(plain));
    EXPECT_NE(file_text(plain).find("key 2\n"), std::string::npos);
    destroy_bitmap(before);
    destroy_bitmap(sheet);
    unlink(plain.c_str());
    unlink(helped.c_str());
}

/// Every game played is kept in recordings/ beside the table: those of the
/// table's entries and of the last ten stay, the others go; --watch plays
/// an entry's game again to its score, and refuses one whose recording is
/// missing or damaged.
TEST_F(Game, EveryGameIsKeptAndCanBeWatched) {
    highscore_ table[HIGHSCORE_COUNT];
    for (int i = 0; i < HIGHSCORE_COUNT; i++)
        table[i] = {i == HIGHSCORE_COUNT - 1 ? -1000 : 1000, "Old"};
    highscore_write(table, HIGHSCORE_COUNT); // one place free: the first game takes it
    options_ options = {};
    options.has_seed = 1;
    options.seed = 49; // a cave whose score stays above those of the next eleven
    ASSERT_TRUE(game_prepare_run(&options));
    const char* watch_hint = "W on the title screen or cave --watch N shows a game marked * again";
    bool hint = false, marks = false;
    for (int game = 1; game <= 12; game++) {
        script_intro("Kim");
        keys_press(KEY_RIGHT);
        script_leave(game == 1 ? KEY_ESC : KEY_Q); // each scores as a game given up
        if (game < 12) {
            script_end(true);
            continue;
        }
        keys_press(KEY_SPACE);
        keys_press(KEY_SPACE);
        keys_press(KEY_N);
        keys_call([&] {
            hint = has_text_centre(screen, watch_hint, 512, 528, 0x7f7f7f);
            // The first game's row, the table's last, is marked; the old rows are not.
            marks = has_text(screen, "*", 277, 256 + 16 * 14, 0x7f7f7f) &&
                    count_rgb(screen, 277, 256, 8, 16 * 14, 0x7f7f7f) == 0;
        });
        keys_press(KEY_SPACE);
        keys_press(KEY_N);
    }
    // Games of other processes: one whose process still plays it holds it
    // locked and stays; those whose processes are gone go, however fresh; so
    // do the index's temporary files left for over an hour.
    const std::string folder = std::string(dir) + "/recordings";
    ASSERT_EQ(mkdir(folder.c_str(), 0777), 0);
    const std::string stale = folder + "/20200101-000000-999999-1.rec";
    const std::string fresh = folder + "/20200101-000000-999998-1.rec";
    const std::string live = folder + "/20200101-000000-999997-1.rec";
    const std::string index_left = folder + "/index.tmp.999996.Ab12Cd";
    for (const std::string& name : {stale, fresh, live, index_left})
        fclose(fopen(name.c_str(), "w"));
    const timespec two_days_ago[2] = {{time(nullptr) - 2 * 86400, 0},
                                      {time(nullptr) - 2 * 86400, 0}};
    for (const std::string& name : {stale, live, index_left})
        ASSERT_EQ(utimensat(AT_FDCWD, name.c_str(), two_days_ago, 0), 0);
    int held = open(live.c_str(), O_RDONLY | O_CLOEXEC); // as a running game holds its own
    ASSERT_EQ(flock(held, LOCK_SH), 0);
    testing::internal::CaptureStdout();
    game_run();
    const std::string played = testing::internal::GetCapturedStdout();
    EXPECT_EQ(game_finish_run(), 0);
    close(held);
    highscore_read(table, HIGHSCORE_COUNT);
    EXPECT_STREQ(table[14].name, "Kim");
    EXPECT_TRUE(hint);
    EXPECT_TRUE(marks);
    std::vector<std::string> kept;
    DIR* listing = opendir(folder.c_str());
    ASSERT_NE(listing, nullptr);
    while (dirent* item = readdir(listing))
        if (strstr(item->d_name, ".rec"))
            kept.push_back(item->d_name);
    closedir(listing);
    EXPECT_EQ(kept.size(), 12u); // the table's game (the first), the last ten, the live one
    EXPECT_EQ(access(live.c_str(), F_OK), 0);
    EXPECT_NE(access(fresh.c_str(), F_OK), 0);
    EXPECT_NE(access(stale.c_str(), F_OK), 0);
    EXPECT_NE(access(index_left.c_str(), F_OK), 0);

    char path[4096];
    EXPECT_NE(kept_text(15, path, sizeof path).find("game 49\n"), std::string::npos);
    EXPECT_NE(kept_text(OPTIONS_WATCH_LAST, path, sizeof path).find("game 60\n"),
              std::string::npos);
    options = {};
    options.watch = 15;
    ASSERT_TRUE(game_prepare_run(&options));
    keys_reset(); // the recording alone plays, then its last screen waits for a key
    bool ended_told = false;
    keys_call([&] {
        ended_told = has_text(screen, "the replay has ended, press a key", 757, 757, 0xffd890);
    });
    keys_press(KEY_F1); // no key to go on
    keys_press(KEY_A);
    testing::internal::CaptureStdout();
    game_run();
    const std::string watched = testing::internal::GetCapturedStdout();
    EXPECT_EQ(game_finish_run(), 0);
    EXPECT_TRUE(ended_told); // over the corner of the picture, with no margin
    EXPECT_EQ(keys_remaining(), 1);
    EXPECT_EQ(last_game.seed, 49u);
    const std::string seed = "cave: that cave was seed 49\n";
    const size_t at = played.find(seed);
    ASSERT_NE(at, std::string::npos);
    const std::string result = played.substr(at, played.find('\n', at + seed.size()) - at);
    EXPECT_EQ(watched.substr(0, result.size()), result); // the same end, score and turns

    for (int entry : {1, 16}) { // an entry from before, and none at all
        testing::internal::CaptureStderr();
        EXPECT_EQ(recordings_open_kept(entry, path, sizeof path), -1);
        EXPECT_NE(testing::internal::GetCapturedStderr().find("no recording"), std::string::npos);
    }
    std::string text = kept_text(15, path, sizeof path);
    ASSERT_NE(text, "");
    FILE* cut = fopen(path, "w");
    fputs(text.substr(0, text.size() / 2).c_str(), cut); // cut short, as by a crash
    fclose(cut);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(game_prepare_run(&options));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("damaged"), std::string::npos);
    unlink(path);
    testing::internal::CaptureStderr();
    EXPECT_EQ(recordings_open_kept(15, path, sizeof path), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("gone"), std::string::npos);
    for (const std::string& name : kept)
        unlink((folder + "/" + name).c_str());
    unlink((folder + "/index").c_str());
    rmdir(folder.c_str());
}

/// A table reached through a link keeps its games beside the file the link
/// leads to, and --watch finds them there, not a file of the same name
/// planted in a recordings/ beside the link.
TEST_F(Game, WatchFindsTheGamesOfALinkedTable) {
    const std::string real = std::string(dir) + "/real", planted = std::string(dir) + "/recordings";
    ASSERT_TRUE(mkdir(real.c_str(), 0700) == 0 && mkdir(planted.c_str(), 0700) == 0);
    ASSERT_EQ(symlink("real/highscore.zelko", file.c_str()), 0);
    ASSERT_EQ(player_folder_open(dir), 1);
    options_ options = {};
    options.has_seed = 1;
    options.seed = 40;
    for (int watch : {0, int(OPTIONS_WATCH_LAST)}) {
        options.watch = watch;
        ASSERT_TRUE(game_prepare_run(&options));
        script_intro("Lin");
        script_leave(KEY_Q);
        script_end(false);
        testing::internal::CaptureStdout();
        game_run();
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(game_finish_run(), 0);
        EXPECT_EQ(last_game.seed, 40u);
        for (const auto& kept : std::filesystem::directory_iterator(real + "/recordings"))
            std::ofstream(planted + "/" + kept.path().filename().string())
                << "cave recording 1\ngame 3\n# end score " << last_game.score << "\n";
        keys_reset(); // the recording alone plays the watched game
    }
}

namespace {

long watch_slices = 0;     // slices of the replay's pauses slept on its scripted clock
long watch_escape_at = -1; // the slice at which Escape goes down (-1: never)

/// The replay's clock of a kept game watched from the title: no time passes.
void watch_sleep(int) {
    if (++watch_slices == watch_escape_at)
        key[KEY_ESC] = 1;
}

} // namespace

/// W on the title lists the kept games; a number plays one with its last
/// screen waiting for a key, Escape stops one, and both come back to the
/// title. The game then begun is the game begun without W: the same seed,
/// end, log, --record file and kept recording.
TEST_F(Game, KeptGamesAreWatchedFromTheTitle) {
    highscore_ table[HIGHSCORE_COUNT];
    for (highscore_& row : table)
        row = {-1000, "Old"};
    highscore_write(table, HIGHSCORE_COUNT);
    options_ options = {};
    options.has_seed = 1;
    options.seed = 49;
    ASSERT_TRUE(game_prepare_run(&options)); // the game kept, at place 1
    std::ofstream(std::string(dir) + "/settings") << "music loud\n";
    testing::internal::CaptureStderr();
    settings_load();
    testing::internal::GetCapturedStderr();
    bool told = false, no_games = false;
    keys_call([&] {
        told = has_text_centre(screen,
                               "Your settings were damaged (line 1 gives music the value "
                               "\"loud\") and are set back to the defaults",
                               512, 750, 0xfff0c0);
    });
    keys_press(KEY_W);
    keys_call([&] {
        no_games =
            has_text_centre(screen, "No game has been kept to watch yet", 512, 750, 0xfff0c0);
    });
    script_intro("Kim");
    script_leave(KEY_Q);
    script_end(false);
    testing::internal::CaptureStdout();
    game_run();
    const std::string kept_game = testing::internal::GetCapturedStdout();
    game_finish_run();
    ASSERT_NE(kept_game.find("cave: that cave was seed 49"), std::string::npos);
    EXPECT_TRUE(told); // once, on the first title
    EXPECT_TRUE(no_games);

    recording_set_clock(watch_sleep);
    char path[4096];
    auto run = [&](const std::string& tape, bool watch) {
        options = {};
        options.has_seed = 1;
        options.seed = 60;
        options.replay_delay = 10;
        options.record = tape.c_str();
        EXPECT_TRUE(game_prepare_run(&options));
        keys_reset();
        bool listed = false, ended = false, back = false;
        if (watch) {
            keys_press(KEY_W);
            keys_call([&] {
                listed = has_text_centre(screen, "Kept games", 512, 208, 0x7f0000) &&
                         has_text(screen, "1.", 293, 256, 0x7f7f7f) &&
                         has_text(screen, "Kim", 469, 256, 0x7f7f7f) &&
                         has_text(screen, "0.", 293, 272, 0x7f7f7f) &&
                         has_text(screen, "the last game", 469, 272, 0x7f7f7f);
            });
            keys_press(KEY_1); // no other place begins with 1: picked at once
            keys_call([&] {
                ended = has_text(screen, "the replay has ended, press a key", 757, 757, 0xffd890);
            });
            keys_press(KEY_A);
            keys_call([&] {
                back = strcmp(sound_music_name(), "lugn.wav") == 0 &&
                       has_text_centre(screen, "W watches a kept game again", 512, 736, 0xfff0c0);
                watch_escape_at = watch_slices + 5; // the next one stops in its name box
            });
            keys_press(KEY_W);
            keys_press(KEY_1);
        }
        script_intro("Wes");
        keys_press(KEY_RIGHT);
        script_leave(KEY_Q);
        script_end(false);
        testing::internal::CaptureStdout();
        game_run();
        const std::string said = testing::internal::GetCapturedStdout();
        EXPECT_EQ(game_finish_run(), 0);
        EXPECT_EQ(listed && ended && back, watch);
        std::string log;
        for (const auto& line : event_history)
            log += std::string(line) + "\n";
        return std::vector<std::string>{said, log, file_text(tape),
                                        kept_text(OPTIONS_WATCH_LAST, path, sizeof path)};
    };
    const std::string watched = std::string(dir) + "/watched.rec",
                      plain = std::string(dir) + "/plain.rec";
    const std::vector<std::string> with = run(watched, true), without = run(plain, false);
    recording_set_clock(nullptr);
    EXPECT_EQ(watch_slices, watch_escape_at); // the second watch stopped at once
    // Stdout tells the watched game, then the replay stopped, then the game played.
    const std::string watched_end = kept_game + "cave: replay stopped\n" + without[0];
    EXPECT_EQ(with[0], watched_end);
    EXPECT_NE(with[0].find("cave: that cave was seed 60"), std::string::npos);
    for (size_t i = 1; i < with.size(); i++)
        EXPECT_EQ(with[i], without[i]) << i;
    EXPECT_NE(with[2].find("game 60\n"), std::string::npos);
}

/// --record over an earlier recording leaves it whole when the run ends at
/// the title or in the name box; the file is made once the name is typed.
TEST_F(Game, RecordingOverAFileKeepsItUntilTheNameIsTyped) {
    const std::string tape = std::string(dir) + "/keep.rec";
    const std::string earlier = "cave recording 1\ngame 5\n" + std::string(328 * 6, '#');
    for (const char* typed : {"", "Re", "Rex\r"}) { // the title, the name box, the story
        std::ofstream(tape) << earlier;
        keys_reset();
        if (*typed)
            keys_press(KEY_SPACE);
        keys_type(typed);
        keys_call([] { _exit(0); }); // the run ends here, as when its window is closed
        EXPECT_EXIT((recording_start(tape.c_str()), game_play_one()), testing::ExitedWithCode(0),
                    "");
        EXPECT_EQ(file_text(tape) == earlier, strlen(typed) < 3) << typed;
    }
    EXPECT_NE(file_text(tape).find("\nchar "), std::string::npos);
}

TEST(GameFiles, MissingDataFilesAreNamed) {
    char dir[] = "/tmp/cave-empty-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    ASSERT_EQ(chdir(dir), 0);
    testing::internal::CaptureStderr();
    int missing = game_check_data_files();
    std::string err = testing::internal::GetCapturedStderr();
    ASSERT_EQ(chdir(here), 0);
    rmdir(dir);
    EXPECT_EQ(missing, 14);
    EXPECT_NE(err.find("TitelScreen.bmp"), std::string::npos);
    EXPECT_NE(err.find("quiet.wav"), std::string::npos);
    EXPECT_NE(err.find(dir), std::string::npos);
    EXPECT_EQ(game_check_data_files(), 0); // the data folder itself has them all
}

/// M at any wait switches the music off and on, through the library's own
/// mixer; switched on again, the loop the game plays by then comes back.
TEST(MusicSwitch, MSilencesAndRestoresWhatPlaysNow) {
    headless_init();
    ASSERT_TRUE(sound_capture_offer());
    sound_init(0);
    const int frames = 22 * 512; // a quarter of a second, in whole blocks
    std::vector<int16_t> fresh(2 * frames), heard(2 * frames);
    sound_play_music("quiet.wav");
    ASSERT_TRUE(sound_capture_mix(fresh.data(), frames));
    EXPECT_NE(fresh, std::vector<int16_t>(2 * frames)) << "the loop is not heard";

    sound_play_music("lugn.wav");
    keys_press(KEY_M); // M is no answer to the wait: Space is
    keys_press(KEY_SPACE);
    zelkokey_wait_press();
    EXPECT_TRUE(key[KEY_SPACE]);
    EXPECT_EQ(sound_music_is_on(), 0);
    ASSERT_TRUE(sound_capture_mix(heard.data(), frames));
    EXPECT_EQ(heard, std::vector<int16_t>(2 * frames)) << "switched off, yet heard";
    sound_play_music("quiet.wav"); // the game moves on while it is off
    ASSERT_TRUE(sound_capture_mix(heard.data(), frames));
    EXPECT_EQ(heard, std::vector<int16_t>(2 * frames)) << "switched off, yet heard";

    keys_reset();
    keys_press(KEY_M);
    keys_press(KEY_SPACE);
    zelkokey_wait_press();
    EXPECT_EQ(sound_music_is_on(), 1);
    ASSERT_TRUE(sound_capture_mix(heard.data(), frames));
    EXPECT_EQ(heard, fresh) << "not the loop the game plays now, from its start";
    sound_release();
    remove_sound();
}

/// Each loop, mixed once round as the player hears it, is as loud as the
/// README says, and nothing clips.
TEST(MusicLevel, EveryLoopIsAsLoudAsTheReadmeSays) {
    headless_init();
    ASSERT_TRUE(sound_capture_offer());
    sound_init(0);
    const auto told = readme_match("title music \\(lugn\\) (-[0-9.]+) dBFS RMS, play \\(quiet\\) "
                                   "(-[0-9.]+), end (-[0-9.]+); every peak (-[0-9.]+) dBFS");
    ASSERT_EQ(told.size(), 4u) << "the README tells the level of each loop";
    const char* loops[] = {"lugn.wav", "quiet.wav", "end.wav"};
    for (int i = 0; i < 3; i++) {
        const std::vector<int16_t> mix = sound_mix_loop(loops[i]);
        ASSERT_FALSE(mix.empty()) << loops[i];
        const sound_capture_level_ level = sound_capture_measure(mix.data(), long(mix.size()));
        char rms[16], peak[16]; // as the README writes them: one decimal
        snprintf(rms, sizeof rms, "%.1f", level.rms_db);
        snprintf(peak, sizeof peak, "%.1f", level.peak_db);
        EXPECT_EQ(told[i], rms) << loops[i];
        EXPECT_EQ(told[3], peak) << loops[i];
        EXPECT_EQ(level.clipped, 0) << loops[i];
    }
    sound_release();
    remove_sound();
}
