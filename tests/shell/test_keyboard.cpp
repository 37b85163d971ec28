// Tests of the command keys, the number field and the text field, driven by
// the scripted keyboard.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <unistd.h>

#include "headless.h"
#include "main/game.h"
#include "shell/assets.h"
#include "shell/entry.h"
#include "shell/keyboard.h"
#include "shell/sound.h"
#include "tape/recording.h"

class Keyboard : public ::testing::Test {
  protected:
    void SetUp() override { headless_init(); }
};

TEST_F(Keyboard, CommandKeysFollowTheTableOrder) {
    keys_hold({KEY_1_PAD, KEY_Q});
    EXPECT_EQ(zelkokey_get_a_key(), 1);
    keys_release();
    zelkokey_poll();
    keys_hold({KEY_ENTER});
    EXPECT_EQ(zelkokey_get_a_key(), 5);
    struct {
        int scancode, code;
    } cases[] = {{KEY_P, 5},
                 {KEY_5_PAD, 5},
                 {KEY_DOWN, 2},
                 {KEY_LEFT, 4},
                 {KEY_RIGHT, 6},
                 {KEY_UP, 8},
                 {KEY_7_PAD, 7},
                 {KEY_9_PAD, 9},
                 {KEY_3_PAD, 3},
                 {KEY_SPACE, 0},
                 {KEY_I, 10},
                 {KEY_Y, 11},
                 {KEY_N, 12},
                 {KEY_U, 13},
                 {KEY_D, 14},
                 {KEY_E, 15},
                 {KEY_Q, 16},
                 {KEY_Z, 17},
                 {KEY_ESC, ZELKOKEY_ESCAPE},
                 {KEY_HOME, 7},
                 {KEY_PGUP, 9},
                 {KEY_END, 1},
                 {KEY_PGDN, 3},
                 {KEY_1, 1},
                 {KEY_5, 5},
                 {KEY_9, 9}};
    for (auto c : cases) {
        keys_reset();
        keys_press(c.scancode);
        EXPECT_EQ(zelkokey_get_a_key(), c.code) << "scancode " << c.scancode;
    }
    // The keys without a keypad come after every older key of the table.
    keys_reset();
    keys_hold({KEY_HOME, KEY_Z});
    EXPECT_EQ(zelkokey_get_a_key(), ZK_ZAP);
}

TEST_F(Keyboard, GetAKeyIgnoresUnmappedKeysAndReturnsAtOnceWhenHeld) {
    keys_press(KEY_F1);
    keys_press(KEY_A);
    keys_hold_only({KEY_Z});
    EXPECT_EQ(zelkokey_get_a_key(), ZK_ZAP);
    long polls = keys_polls();
    EXPECT_EQ(zelkokey_get_a_key(), ZK_ZAP); // still held: no wait, no poll
    EXPECT_EQ(keys_polls(), polls);
    EXPECT_NE(ZELKOKEY_ESCAPE, ZK_YES);
}

TEST_F(Keyboard, ModifierKeysAreNotKeys) {
    key[KEY_LSHIFT] = 1;
    key[KEY_CAPSLOCK] = 1;
    EXPECT_EQ(zelkokey_check_for_key(), 0);
    key[KEY_A] = 1;
    EXPECT_EQ(zelkokey_check_for_key(), 1);
}

namespace {
int switch_presses = 0;
void keyboard_test_switch() {
    switch_presses++;
}
} // namespace

TEST_F(Keyboard, SwitchKeysActOncePerPressAndAreNeverAnAnswer) {
    switch_presses = 0;
    const zelkokey_switch_ alt_enter = {KEY_ENTER, 1, 1, keyboard_test_switch};
    const zelkokey_switch_ letter = {KEY_M, 0, 0, keyboard_test_switch};
    zelkokey_add_switch(&alt_enter);
    zelkokey_add_switch(&letter);
    keys_hold_only({KEY_ALT, KEY_ENTER}); // held two polls: acts once, then hidden
    keys_hold({KEY_ALT, KEY_ENTER});
    keys_press(KEY_M);
    keys_press(KEY_Z);
    EXPECT_EQ(zelkokey_get_a_key(), ZK_ZAP);
    EXPECT_EQ(switch_presses, 2);
    keys_reset();
    key[KEY_M] = 1; // down, but the poll has not looked since: still no answer
    EXPECT_EQ(zelkokey_check_for_key(), 0);
    keys_reset();
    keys_hold_only({KEY_ENTER}); // without Alt, Enter is the pick-up key again
    EXPECT_EQ(zelkokey_get_a_key(), ZK_CENTRE);
    keys_reset();
    keys_type("m\r"); // a name takes the letter, and the music stays as it was
    char name[8];
    zelkokey_TextIn(bmp, 0, 0, name, sizeof name);
    EXPECT_STREQ(name, "m");
    EXPECT_EQ(switch_presses, 2);
}

/// The keys that only steer the program (the screen switches, the music
/// switch, the control sheet's keys) are no key to a wait, and in the name
/// box they are not typed: a recording keeps only the name's own keys.
TEST_F(Keyboard, SteeringKeysAreNeverAnyKeyNorTypedNorRecorded) {
    switch_presses = 0;
    const zelkokey_switch_ screen_keys[] = {{KEY_F11, 0, 1, keyboard_test_switch},
                                            {KEY_ENTER, 1, 1, keyboard_test_switch}};
    for (const zelkokey_switch_& s : screen_keys)
        zelkokey_add_switch(&s);
    sound_init(1); // a silent run: M is the music switch all the same
    for (int k : {KEY_M, KEY_F1, KEY_SLASH, KEY_F11, KEY_M, KEY_A})
        keys_press(k);
    zelkokey_wait_press(); // only A goes on
    EXPECT_EQ(keys_remaining(), 1);
    EXPECT_EQ(switch_presses, 1);
    EXPECT_EQ(sound_music_is_on(), 1); // switched twice

    char tape[] = "/tmp/cave-tape-XXXXXX";
    close(mkstemp(tape));
    ASSERT_TRUE(recording_start(tape));
    keys_reset();
    keys_type("Ki");
    keys_char(KEY_F11, 0);
    keys_char_with(KEY_ALT, KEY_ENTER, '\r');
    keys_char(KEY_F1, 0);
    keys_char(KEY_SLASH, '?');
    keys_type("m\r");
    char name[16];
    zelkokey_TextIn(bmp, 0, 0, name, sizeof name);
    EXPECT_STREQ(name, "Kim"); // Alt+Enter did not end it
    EXPECT_EQ(switch_presses, 3);
    recording_name_given(); // the file is written from here on
    EXPECT_TRUE(recording_finish());
    std::string typed;
    char line[64];
    FILE* f = fopen(tape, "r");
    while (f && fgets(line, sizeof line, f))
        if (strncmp(line, "char ", 5) == 0)
            typed += char(atoi(line + 5) & 0xff);
    if (f)
        fclose(f);
    unlink(tape);
    EXPECT_EQ(typed, "Kim\r");
    // What the library puts in its key buffer passes the same filter first.
    ASSERT_NE(keyboard_callback, nullptr);
    EXPECT_EQ(keyboard_callback(KEY_F11 << 8), 0);
    EXPECT_EQ(keyboard_callback(KEY_ENTER << 8 | 13), KEY_ENTER << 8 | 13);
    key[KEY_ALT] = 1;
    EXPECT_EQ(keyboard_callback(KEY_ENTER << 8 | 13), 0);
    key[KEY_ALT] = 0;
}

TEST_F(Keyboard, NumberEntry) {
    keys_press(KEY_ENTER); // before any digit: ignored
    keys_press(KEY_4);
    keys_press(KEY_2_PAD);
    keys_press(KEY_BACKSPACE);
    keys_press(KEY_7);
    keys_hold_only({KEY_ENTER});
    keys_release();
    EXPECT_EQ(zelkokey_get_a_number(bmp, 411, 372), 47);
    EXPECT_TRUE(has_text(screen, "47", 411, 372, 0xffffff));
    EXPECT_FALSE(has_text(screen, "427", 411, 372, 0xffffff));
}

/// A recording keeps the number typed as one answer, without the waits of
/// the field, and gives it back, shown in the field, with no key pressed.
TEST_F(Keyboard, NumberEntryIsRecordedAndReplayedWhole) {
    char tape[] = "/tmp/cave-tape-XXXXXX";
    close(mkstemp(tape));
    ASSERT_TRUE(recording_start(tape));
    recording_name_given(); // the file is made, as after the first game's name
    keys_press(KEY_1);
    keys_press(KEY_2);
    keys_press(KEY_ENTER);
    EXPECT_EQ(zelkokey_get_a_number(bmp, 0, 0), 12);
    keys_reset();
    keys_hold_only({KEY_ESC});
    zelkokey_poll();
    EXPECT_EQ(zelkokey_held(KEY_ESC), 1);
    EXPECT_TRUE(recording_finish());
    FILE* f = fopen(tape, "r");
    char text[256] = {};
    ASSERT_EQ(fread(text, 1, sizeof text - 1, f) > 0, true);
    fclose(f);
    EXPECT_STREQ(strchr(strchr(text, '\n') + 1, '\n') + 1, "number 12\nheld 59 1\n");

    FILE* g = fopen(tape, "w"); // the same answers as the first game's
    fprintf(g, "cave recording 1\ngame 0\nnumber 12\nheld 59 1\n");
    fclose(g);
    keys_reset();
    ASSERT_TRUE(recording_load(tape, 0, 0));
    EXPECT_EQ(recording_game_seed(99), 0u);
    EXPECT_EQ(zelkokey_get_a_number(bmp, 411, 372), 12);
    EXPECT_TRUE(has_text(screen, "12", 411, 372, 0xffffff));
    EXPECT_EQ(zelkokey_held(KEY_ESC), 1);
    EXPECT_TRUE(recording_finish());
    EXPECT_EQ(keys_polls(), 0);
    unlink(tape);
}

TEST_F(Keyboard, NumberEntryThreeAndFourTogetherGiveThree) {
    keys_hold({KEY_3, KEY_4});
    keys_press(KEY_ENTER);
    EXPECT_EQ(zelkokey_get_a_number(bmp, 0, 0), 3);
}

TEST_F(Keyboard, NumberEntryBackspaceOnEmptyAndZero) {
    keys_press(KEY_BACKSPACE);
    keys_press(KEY_1);
    keys_press(KEY_0_PAD);
    keys_press(KEY_ENTER);
    EXPECT_EQ(zelkokey_get_a_number(bmp, 0, 0), 10);
}

TEST_F(Keyboard, NumberEntryIgnoresADigitThatWouldOverflow) {
    for (int i = 0; i < 12; i++)
        keys_press(KEY_9);
    keys_press(KEY_ENTER);
    EXPECT_EQ(zelkokey_get_a_number(bmp, 0, 0), 999999999);
}

TEST_F(Keyboard, TextEntryAcceptsNamesOnly) {
    char name[150];
    keys_char(KEY_ENTER, '\r');  // Enter on an empty field: nothing
    keys_char(KEY_BACKSPACE, 8); // Backspace on an empty field: nothing
    keys_type("A Z");            // the space is refused
    keys_type("_!~{");
    keys_char(KEY_BACKSPACE, 8);
    keys_type("\r");
    zelkokey_TextIn(bmp, 411, 384, name, 150);
    EXPECT_STREQ(name, "AZ~");
    EXPECT_TRUE(has_text(screen, "AZ~", 411, 384, 0xffffff));
    EXPECT_EQ(keys_remaining(), 0);
}

TEST_F(Keyboard, TextEntryWipesLettersBeyondItsEraser) {
    char name[150];
    clear_to_color(bmp, 0x203040);
    keys_type("abcdefghijklmnopqrst"); // 20 letters: 160 pixels
    for (int i = 0; i < 3; i++)
        keys_char(KEY_BACKSPACE, 8);
    keys_type("\r");
    zelkokey_TextIn(bmp, 411, 384, name, 150);
    EXPECT_STREQ(name, "abcdefghijklmnopq");
    EXPECT_TRUE(has_text(screen, name, 411, 384, 0xffffff));
    // Right of the 17 letters the row is what it was before, up to the edge.
    EXPECT_EQ(count_rgb(screen, 411 + 8 * 17, 384, 1024 - 411 - 8 * 17, 8, 0x203040),
              (1024 - 411 - 8 * 17) * 8);
}

TEST_F(Keyboard, TextEntryEndsByItselfAtTheLimit) {
    char name[150];
    keys_type(std::string(149, 'x'));
    keys_type("yz");
    zelkokey_TextIn(bmp, 411, 384, name, 150);
    EXPECT_EQ(strlen(name), 149u);
    EXPECT_EQ(name[148], 'x');
    // The field closed on the 149th character: the later keys are unread.
    EXPECT_EQ(keys_remaining(), 4);
}

namespace {

long replay_clock = 0;             // ms on the replay's scripted clock
std::function<void()> replay_tick; // run at every slice of a pause

/// The replay's clock in these tests: time passes only as it sleeps.
void replay_sleep(int ms) {
    replay_clock += ms;
    if (replay_tick)
        replay_tick();
}

/// How long the replay pauses before its next answer, with `scancode` (0:
/// none) pressed just before it and let go after it (the replay sees it let
/// go only at a later answer).
long replay_next(int scancode, std::function<void()> tick = {}) {
    const long start = replay_clock;
    replay_tick = tick;
    key[scancode] = scancode != 0;
    int answer;
    EXPECT_TRUE(recording_replayed(REC_KEY, &answer));
    key[scancode] = 0;
    replay_tick = nullptr;
    return replay_clock - start;
}

} // namespace

/// In the window, Space pauses a replay and the right arrow steps it while
/// paused; + and - halve and double the pause within 0 to 2000 ms, and the
/// window title says so.
TEST_F(Keyboard, ReplayKeysSteerThePace) {
    char tape[] = "/tmp/cave-tape-XXXXXX";
    FILE* f = fdopen(mkstemp(tape), "w");
    fprintf(f, "cave recording 1\ngame 0\n");
    for (int i = 0; i < 40; i++)
        fprintf(f, "key %d\n", 2 + i % 2 * 2); // no answer repeats the one before
    fclose(f);
    ASSERT_TRUE(recording_load(tape, 100, 1));
    recording_set_clock(replay_sleep);
    recording_game_seed(0);
    EXPECT_EQ(replay_next(0), 100);
    EXPECT_STREQ(recording_title(), "replay");
    EXPECT_EQ(replay_next(KEY_EQUALS), 50);
    EXPECT_STREQ(recording_title(), "replay - 2x");
    EXPECT_EQ(replay_next(KEY_PLUS_PAD), 30); // 25 ms, in slices of 10
    EXPECT_STREQ(recording_title(), "replay - 4x");
    int minus = KEY_MINUS; // a key is seen let go between its presses
    for (long pause : {50, 100, 200, 400, 800, 1600, 2000, 2000}) {
        EXPECT_EQ(replay_next(minus), pause);
        minus = minus == KEY_MINUS ? KEY_MINUS_PAD : KEY_MINUS;
    }
    EXPECT_STREQ(recording_title(), "replay - 1/32x");

    // Paused, an answer comes only with a fresh press of the right arrow.
    const long paused_at = replay_clock;
    EXPECT_EQ(replay_next(KEY_SPACE, [&] { key[KEY_RIGHT] = replay_clock - paused_at >= 5000; }),
              5000);
    EXPECT_STREQ(recording_title(), "replay - paused");
    const long held_at = replay_clock;
    key[KEY_RIGHT] = 1; // still down from the step before: no step yet
    EXPECT_EQ(replay_next(0, [&] { key[KEY_RIGHT] = replay_clock - held_at >= 300; }), 300);
    key[KEY_RIGHT] = 0;
    EXPECT_EQ(replay_next(KEY_SPACE), 2000);
    EXPECT_STREQ(recording_title(), "replay - 1/32x");
    for (int i = 0; i < 12; i++)
        replay_next(i % 2 ? KEY_EQUALS : KEY_PLUS_PAD);
    EXPECT_EQ(replay_next(0), 0);
    EXPECT_STREQ(recording_title(), "replay - full speed");
    EXPECT_EQ(replay_next(KEY_MINUS), 10); // 1 ms: the slowest speed step below none
    recording_set_clock(nullptr);
    testing::internal::CaptureStderr();
    recording_finish(); // lines are left: said on stderr
    testing::internal::GetCapturedStderr();
    unlink(tape);
}
