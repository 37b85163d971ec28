// keyboard: the command keys, the waits for a key, the switch keys and the
// one poll point that every wait goes through.
#include "shell/keyboard.h"

#include <allegro.h>
#include <ctime>

#include "platform/display.h"
#include "platform/leave.h"
#include "tape/recording.h"

namespace {

/// The command keys in the order they are tested; the first held one wins.
struct key_binding {
    int scancode;
    int code;
};

// scancode       action code
// The keys after Z are for keyboards without a keypad, after the older ones
// so that those keep their order: Home, Page Up, End and Page Down lie like
// the keypad's corners, and the main keyboard's digits give the keypad's codes.
// clang-format off
constexpr key_binding command_keys[] = {
    {KEY_1_PAD, 1},        {KEY_2_PAD, 2},  {KEY_DOWN, 2},    {KEY_3_PAD, 3},
    {KEY_4_PAD, 4},        {KEY_LEFT, 4},   {KEY_6_PAD, 6},   {KEY_RIGHT, 6},
    {KEY_7_PAD, 7},        {KEY_8_PAD, 8},  {KEY_UP, 8},      {KEY_9_PAD, 9},
    {KEY_5_PAD, 5},        {KEY_P, 5},      {KEY_ENTER, 5},   {KEY_SPACE, ZK_STAND},
    {KEY_I, ZK_INVENTORY}, {KEY_Y, ZK_YES}, {KEY_N, ZK_NO},   {KEY_U, ZK_USE},
    {KEY_D, ZK_DROP},      {KEY_E, ZK_EAT}, {KEY_Q, ZK_QUIT}, {KEY_Z, ZK_ZAP},
    {KEY_HOME, 7},         {KEY_PGUP, 9},   {KEY_END, 1},     {KEY_PGDN, 3},
    {KEY_1, 1},            {KEY_2, 2},      {KEY_3, 3},       {KEY_4, 4},
    {KEY_5, 5},            {KEY_6, 6},      {KEY_7, 7},       {KEY_8, 8},
    {KEY_9, 9},
};
// clang-format on

/// How long the poll point sleeps: short against the 10 ms in which the
/// library takes in the keys, long enough to leave the processor idle.
constexpr long poll_pause_ns = 5 * 1000 * 1000;

/// The last scancode that counts as "a key" (modifiers and locks come after).
constexpr int last_plain_scancode = 114;

void (*poll_hook)() = nullptr;

/// The switch keys, and which of them are down: a key that acted stays
/// hidden from the waits until it is released.
constexpr int max_switches = 8;
zelkokey_switch_ switches[max_switches];
bool switch_down[max_switches];
int switch_count = 0;

/// 1 while a name is typed: the switch keys that type letters rest then.
bool typing_text = false;

/// 1 while Alt (or AltGr) is held.
bool keyboard_alt_held() {
    return key[KEY_ALT] || key[KEY_ALTGR];
}

/// What F1 or ? at a command wait shows (the control sheet); null: nothing.
void (*help_sheet)() = nullptr;

/// The key set aside at the waits (0: none), what it does, and whether it is
/// down since it last acted.
int aside_key = 0;
void (*aside_action)() = nullptr;
bool aside_down = false;

/// Runs the action of the key set aside when it goes down; it is not set
/// aside meanwhile, and acts again only once it has been let go.
void keyboard_check_aside() {
    if (!aside_key || !key[aside_key]) {
        aside_down = false;
        return;
    }
    if (aside_down || keyboard_alt_held())
        return;
    aside_down = true;
    const int scancode = aside_key;
    void (*action)() = aside_action;
    aside_key = 0;
    action();
    aside_key = scancode;
    aside_down = true; // its waits saw it let go: it must be let go again first
}

/// What ends the program when it is asked to from outside; null: nothing.
void (*leave_hook)() = nullptr;

/// Hands a request from outside to end the program to the game.
void keyboard_check_leave() {
    if (leave_hook && leave_requested())
        leave_hook();
}

/// 1 if the switch key, when down, is a switch now (Alt as it asks, and
/// no name being typed unless it works there too).
bool keyboard_switch_applies(const zelkokey_switch_& s) {
    return keyboard_alt_held() == (s.with_alt != 0) && (s.in_text || !typing_text);
}

/// 1 if `scancode` belongs to a switch key that is down: one that acted, or
/// one that will act at the next poll (the library may take a key in just
/// after the poll looked), so that a wait never takes it for its answer.
bool keyboard_switch_hides(int scancode) {
    for (int i = 0; i < switch_count; i++)
        if (switches[i].scancode == scancode &&
            (switch_down[i] || (key[scancode] && keyboard_switch_applies(switches[i]))))
            return true;
    return false;
}

/// The action code of the first command key held, or -2 when none is.
int keyboard_scan_command() {
    if (key[KEY_ESC])
        return ZELKOKEY_ESCAPE;
    for (const key_binding& k : command_keys)
        if (key[k.scancode] && !keyboard_switch_hides(k.scancode))
            return k.code;
    return -2;
}

/// The keys that call up the control sheet: F1, and the key of `?`.
constexpr int help_keys[] = {KEY_F1, KEY_SLASH};

/// 1 if `scancode` is a key of the control sheet.
bool keyboard_is_help_key(int scancode) {
    for (int k : help_keys)
        if (k == scancode)
            return true;
    return false;
}

/// The player asks for the control sheet: F1, or the key of `?`.
bool keyboard_help_asked() {
    for (int k : help_keys)
        if (key[k] && !keyboard_switch_hides(k))
            return true;
    return false;
}

/// 1 if a typed key (readkey's value) only steers the program, with Alt held
/// as `alt` says: a switch key that works while a name is typed (F11, Alt+
/// Enter), or a key of the control sheet. It is never a typed character.
bool keyboard_typed_steers(int typed, bool alt) {
    const int scancode = (typed >> 8) & 0xff;
    if (scancode == KEY_F1 || (typed & 0xff) == '?')
        return true;
    for (int i = 0; i < switch_count; i++)
        if (switches[i].scancode == scancode && switches[i].in_text &&
            alt == (switches[i].with_alt != 0))
            return true;
    return false;
}

/// The library hands every key it puts in the key buffer to this first, at
/// the moment it goes down (Alt as it was then): the keys that only steer the
/// program never reach the buffer, so no name box takes them for typing.
int keyboard_buffer_filter(int typed) {
    return keyboard_typed_steers(typed, keyboard_alt_held()) ? 0 : typed;
}

/// What the game does at every look at the real keyboard, in a wait or in a
/// replay's pause: the switch keys act, the display looks at its window, and
/// a request to end the program is handed on.
void keyboard_idle() {
    zelkokey_check_switches();
    display_watch();
    keyboard_check_leave();
}

} // namespace

// A recording holds the action codes as they are.
static_assert(int(ZELKOKEY_ESCAPE) == int(RECORDING_KEY_LOWEST) &&
                  int(ZK_ZAP) == int(RECORDING_KEY_HIGHEST),
              "the codes a recording holds are the action codes");

void zelkokey_add_switch(const zelkokey_switch_* entry) {
    // The switch keys act during a replay's pauses too, and never reach the
    // key buffer where they would be typed.
    recording_set_idle(keyboard_idle);
    keyboard_callback = keyboard_buffer_filter;
    if (entry && switch_count < max_switches) {
        switches[switch_count] = *entry;
        switch_down[switch_count++] = false;
    }
}

void zelkokey_clear_switches() {
    switch_count = 0;
}

void zelkokey_check_switches() {
    for (int i = 0; i < switch_count; i++) {
        const zelkokey_switch_& s = switches[i];
        if (!key[s.scancode]) {
            switch_down[i] = false;
        } else if (!switch_down[i] && keyboard_switch_applies(s)) {
            switch_down[i] = true;
            s.action();
        }
    }
    keyboard_check_aside();
}

void zelkokey_set_aside(int scancode, void (*action)()) {
    aside_key = action ? scancode : 0;
    aside_action = action;
    aside_down = aside_key && key[aside_key]; // a key already down acts once let go and pressed
}

void zelkokey_poll() {
    keyboard_check_leave();
    if (recording_replaying())
        return; // the recording answers: no keyboard to wait for
    if (poll_hook) {
        poll_hook();
        zelkokey_check_switches();
        return;
    }
    if (keyboard_needs_poll())
        poll_keyboard();
    // Give the processor away while the player thinks. The library's rest()
    // would spin on the process clock (no timer is installed), so sleep
    // instead; the library refreshes key[] only every 10 ms anyway.
    const timespec pause = {0, poll_pause_ns};
    nanosleep(&pause, nullptr);
    // Last, so that a switch key that went down while we slept is taken
    // before the waits look at the keys.
    keyboard_idle();
}

void zelkokey_set_typing(int on) {
    typing_text = on != 0;
}

void zelkokey_set_help(void (*show)()) {
    help_sheet = show;
}

void zelkokey_set_leave(void (*leave)()) {
    leave_hook = leave;
    recording_set_idle(keyboard_idle); // a replay's pauses notice it too
}

void zelkokey_wait_quietly(int down) {
    while ((zelkokey_check_for_key() != 0) != (down != 0))
        zelkokey_poll();
}

void zelkokey_wait_quietly_fresh() {
    zelkokey_wait_quietly(0);
    zelkokey_wait_quietly(1);
}

void zelkokey_set_poll(void (*poll)()) {
    poll_hook = poll;
}

int zelkokey_check_for_key() {
    for (int sc = 0; sc <= last_plain_scancode; sc++)
        if (key[sc] && sc != aside_key && !keyboard_switch_hides(sc) && !keyboard_is_help_key(sc))
            return 1;
    return 0;
}

void zelkokey_wait_release() {
    int none;
    if (recording_replayed(REC_RELEASE, &none))
        return;
    while (zelkokey_check_for_key())
        zelkokey_poll();
    recording_kept(REC_RELEASE, 0);
}

void zelkokey_wait_press() {
    int none;
    if (recording_replayed(REC_PRESS, &none))
        return;
    while (!zelkokey_check_for_key())
        zelkokey_poll();
    recording_kept(REC_PRESS, 0);
}

void zelkokey_wait_fresh() {
    zelkokey_wait_release();
    zelkokey_wait_press();
}

void zelkokey_fresh_given() {
    int none;
    if (!recording_replayed(REC_RELEASE, &none))
        recording_kept(REC_RELEASE, 0);
    if (!recording_replayed(REC_PRESS, &none))
        recording_kept(REC_PRESS, 0);
}

int zelkokey_get_a_key() {
    int code;
    if (recording_replayed(REC_KEY, &code))
        return code;
    for (;;) {
        code = keyboard_scan_command();
        if (code != -2)
            return recording_kept(REC_KEY, code);
        if (help_sheet && keyboard_help_asked())
            help_sheet();
        zelkokey_poll();
    }
}

int zelkokey_read_key() {
    int c;
    if (recording_replayed(REC_CHAR, &c))
        return c;
    for (;;) {
        while (!keypressed())
            zelkokey_poll();
        c = readkey();
        if (!keyboard_typed_steers(c, keyboard_alt_held()))
            return recording_kept(REC_CHAR, c);
    }
}

int zelkokey_held(int scancode) {
    return recording_look(scancode, key[scancode] ? 1 : 0);
}
