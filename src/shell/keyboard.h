// keyboard: every wait for a key in the game goes through here.
//
// The waits poll the library's key[] state through zelkokey_poll, the one
// poll point: in the game it polls Allegro and sleeps for a few milliseconds,
// so that a waiting game leaves the processor idle; tests replace it with a
// scripted keyboard. It is also where a waiting game notices that it is
// asked to end (platform/leave). A replayed recording (tape/recording)
// answers the waits instead of the keyboard.
#pragma once

/// What zelkokey_get_a_key returns when it stops because Escape is held.
enum { ZELKOKEY_ESCAPE = -1 };

/// The action codes of the command keys.
enum zelkokey_code {
    ZK_STAND = 0, ZK_DOWN_LEFT = 1, ZK_DOWN = 2, ZK_DOWN_RIGHT = 3, ZK_LEFT = 4,
    ZK_CENTRE = 5, ZK_RIGHT = 6, ZK_UP_LEFT = 7, ZK_UP = 8, ZK_UP_RIGHT = 9,
    ZK_INVENTORY = 10, ZK_YES = 11, ZK_NO = 12, ZK_USE = 13, ZK_DROP = 14,
    ZK_EAT = 15, ZK_QUIT = 16, ZK_ZAP = 17
};

/// A switch key: the poll point acts on it itself whenever the game waits for
/// a key (the full-screen switch, the music switch), so it is never an answer
/// to a wait and never recorded.
struct zelkokey_switch_ {
    int scancode;     // the key
    int with_alt;     // 1: only with Alt held; 0: only without it
    int in_text;      // 1: also while a name is typed (0 for keys that type)
    void (*action)(); // what the key does
};

/// Adds a switch key (at most eight); with Alt, its key is not also a press.
void zelkokey_add_switch(const zelkokey_switch_* entry);

/// Removes every switch key (tests).
void zelkokey_clear_switches();

/// Acts on the switch keys that went down since the last look; called by the
/// poll point, and by any loop that watches the keyboard on its own.
void zelkokey_check_switches();

/// Sets `scancode` aside at the waits for a key (W on the title screen): it
/// is no key to them and never recorded, and when it goes down (without
/// Alt), `action` runs, during which it is not set aside. 0: none.
void zelkokey_set_aside(int scancode, void (*action)());

/// 1 if any key with a scancode from 0 to 114 is held; the modifiers, the
/// switch keys, the keys of the control sheet (F1, ?) and a key set aside
/// don't count: they only steer the program and are never "any key".
int zelkokey_check_for_key();

/// Waits until a command key is held and returns its action code, or
/// ZELKOKEY_ESCAPE when Escape is held.
int zelkokey_get_a_key();

/// The poll point: called once by every pass of every wait.
void zelkokey_poll();

/// While on, a name is being typed: the switch keys that type letters rest.
void zelkokey_set_typing(int on);

/// Sets what F1 or ? shows at a command wait (the control sheet, which must
/// put the screen back as it was); null: the keys do nothing.
void zelkokey_set_help(void (*show)());

/// Sets what the poll point runs once the program is asked from outside to
/// end (the window's close button, a signal): the game, which knows its
/// screen, ends the program. Null: the request is not looked at.
void zelkokey_set_leave(void (*leave)());

/// Waits, unrecorded, until no key is held (`down` 0) or one is (1): for a
/// sheet that no turn and no recording may see.
void zelkokey_wait_quietly(int down);

/// Waits, unrecorded, until every key is up and then one goes down.
void zelkokey_wait_quietly_fresh();

/// Replaces the poll point (tests); null restores the game's own.
void zelkokey_set_poll(void (*poll)());

/// Waits until no key is held.
void zelkokey_wait_release();

/// Waits until some key is held.
void zelkokey_wait_press();

/// The standard wait: until no key is held, then until a key is held.
void zelkokey_wait_fresh();

/// The standard wait, answered already: a key pressed before the game's
/// recording began (the title's key of a run that first asked about the
/// last game) is noted as its answer, as if it were pressed now.
void zelkokey_fresh_given();

/// Waits for a typed character and returns readkey()'s value; the keys that
/// only steer the program (F11, Alt+Enter, F1, ?) are passed over.
int zelkokey_read_key();

/// 1 if the key with this scancode is down: the game's own look at a key
/// between the waits above (kept in a recording like their answers).
int zelkokey_held(int scancode);
