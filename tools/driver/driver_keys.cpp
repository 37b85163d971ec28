// driver_keys: the random player's keyboard. Presses are planned a gesture at
// a time (a step, a zap and its aim, a typed number and Enter, a letter of the
// name...) from a weighted table, and played out one frame per poll.
#include "driver_keys.h"

#include <allegro.h>

#include <cstdlib>

#include "main/game.h"
#include "world/character.h"
#include "world/room.h"

namespace {

/// One poll's worth of keyboard: the key held (0 for none, SEEK_DOOR for a
/// step toward a door worked out when the frame comes up) and the character
/// it types for readkey() (0 for none).
struct key_frame {
    int scancode;
    int typed;
};

/// The scancode of a frame that steps toward the nearest unexplored door.
constexpr int SEEK_DOOR = -1;

/// What a line of the gesture table plans.
enum gesture_kind {
    G_KEY,       // the one key of the line
    G_DIRECTION, // a step: a keypad direction or an arrow
    G_ZAP,       // Z, then a direction to aim at (keypad 5 included)
    G_NUMBER,    // one or two digits, then Enter, as the item lists want
    G_LETTER,    // a letter, as the name box wants
    G_SEEK       // a walk toward the nearest unexplored door, to go deeper
};

struct gesture {
    int weight; // chances in the sum of all weights
    gesture_kind kind;
    int scancode; // G_KEY only
    int typed;    // G_KEY only: the character the key types
};

// weight  kind          key            types
constexpr gesture play_gestures[] = {
    {300, G_DIRECTION, 0, 0},
    {80, G_SEEK, 0, 0},
    {40, G_KEY, KEY_SPACE, ' '},
    {30, G_KEY, KEY_P, 'p'},
    {20, G_KEY, KEY_ENTER, '\r'},
    {20, G_KEY, KEY_5_PAD, '5'},
    {50, G_KEY, KEY_I, 'i'},
    {40, G_KEY, KEY_E, 'e'},
    {30, G_KEY, KEY_U, 'u'},
    {30, G_KEY, KEY_D, 'd'},
    {30, G_KEY, KEY_Y, 'y'},
    {30, G_KEY, KEY_N, 'n'},
    {30, G_ZAP, 0, 0},
    {40, G_NUMBER, 0, 0},
    {30, G_LETTER, 0, 0},
    {10, G_KEY, KEY_BACKSPACE, 8},
    {1, G_KEY, KEY_Q, 'q'},
    {1, G_KEY, KEY_ESC, 27},
};

/// The keys that let go of any screen of play, pressed in turn once a game
/// has run long enough: Escape leaves play (Y says yes to ending it), boxes
/// and the inventory; a digit and Enter close an item list and the name box;
/// Q gives up.
constexpr key_frame end_cycle[] = {{KEY_ESC, 27},     {KEY_Y, 'y'}, {KEY_1, '1'},
                                   {KEY_ENTER, '\r'}, {KEY_Q, 'q'}, {KEY_Y, 'y'}};

/// The eight step keys of the keypad and the four arrows.
constexpr key_frame direction_keys[] = {
    {KEY_1_PAD, '1'}, {KEY_2_PAD, '2'}, {KEY_3_PAD, '3'}, {KEY_4_PAD, '4'},
    {KEY_6_PAD, '6'}, {KEY_7_PAD, '7'}, {KEY_8_PAD, '8'}, {KEY_9_PAD, '9'},
    {KEY_DOWN, 0},    {KEY_LEFT, 0},    {KEY_RIGHT, 0},   {KEY_UP, 0},
};

/// A first-in first-out queue of fixed size that never touches the heap, so
/// that the driver's own bookkeeping stays out of the games' memory figures.
template <typename T, int N> struct ring {
    T items[N];
    int head = 0;
    int count = 0;

    bool empty() const { return count == 0; }
    int size() const { return count; }
    void clear() { head = count = 0; }
    /// Adds at the back; a full queue drops the item.
    void push_back(const T& item) {
        if (count < N)
            items[(head + count++) % N] = item;
    }
    /// Takes from the front (not empty).
    T pop_front() {
        T item = items[head];
        head = (head + 1) % N;
        count--;
        return item;
    }
};

/// The most presses of one walk.
constexpr int longest_walk = 12;

/// The most steps of one walk toward a door.
constexpr int longest_seek = 40;

/// Characters queued for readkey() beyond this many are dropped: the game
/// reads them only in the name box.
constexpr int typed_limit = 4;

driver_rng rng;
ring<key_frame, 256> frames; // longer than the longest gesture
ring<int, typed_limit> typed;
long presses = 0;
int end_position = 0;

/// Plans one press: the key held for a poll, then nothing held for a poll.
void keys_plan_press(int scancode, int character) {
    frames.push_back({scancode, character});
    frames.push_back({0, 0});
    presses++;
}

/// A direction key; keypad 5 too when `centre` is set (aiming a zap). A walk
/// presses the same key up to `longest` times, so that the player crosses
/// rooms and finds their doors instead of shuffling about.
void keys_plan_direction(bool centre, int longest) {
    int n = sizeof direction_keys / sizeof direction_keys[0];
    int pick = driver_rng_below(&rng, centre ? n + 1 : n);
    int times = 1 + driver_rng_below(&rng, longest);
    for (int i = 0; i < times; i++) {
        if (pick == n)
            keys_plan_press(KEY_5_PAD, '5');
        else
            keys_plan_press(direction_keys[pick].scancode, direction_keys[pick].typed);
    }
}

/// One or two digits, on the main row or the keypad, then Enter.
void keys_plan_number() {
    int digits = 1 + driver_rng_below(&rng, 2);
    for (int i = 0; i < digits; i++) {
        int d = driver_rng_below(&rng, 10);
        int base = driver_rng_below(&rng, 2) ? KEY_0 : KEY_0_PAD;
        keys_plan_press(base + d, '0' + d);
    }
    keys_plan_press(KEY_ENTER, '\r');
}

/// A letter key typing its small or capital letter; not Q, whose meaning in
/// play (giving up) has a line of its own in the table.
void keys_plan_letter() {
    int letter = driver_rng_below(&rng, 25);
    if (letter >= 'q' - 'a')
        letter++;
    int capital = driver_rng_below(&rng, 2);
    keys_plan_press(KEY_A + letter, (capital ? 'A' : 'a') + letter);
}

/// The nearest door of the room to (x, y), unexplored ones first; false if
/// the room has none.
bool keys_nearest_door(const room_* room, int x, int y, int* door_x, int* door_y) {
    int best = -1;
    for (int i = 0; i < ROOM_WIDTH; i++)
        for (int j = 0; j < ROOM_HEIGHT; j++) {
            const tile* t = &room->tiles[i][j];
            if (!tile_is_door(t))
                continue;
            int distance = abs(i - x) + abs(j - y) + (t->door_target ? 1000 : 0);
            if (best < 0 || distance < best) {
                best = distance;
                *door_x = i;
                *door_y = j;
            }
        }
    return best >= 0;
}

/// Where the player stands in the current room; false if it is not there.
bool keys_find_player(int* x, int* y) {
    if (!current_room)
        return false;
    for (int i = 0; i < ROOM_WIDTH; i++)
        for (int j = 0; j < ROOM_HEIGHT; j++)
            if (character_is_user(current_room->tiles[i][j].being)) {
                *x = i;
                *y = j;
                return true;
            }
    return false;
}

/// 1 if a step onto (x, y) of the current room would meet a wall or leave
/// the grid.
bool keys_blocked(int x, int y) {
    return !room_in_grid(x, y) || tile_is_wall(&current_room->tiles[x][y]);
}

/// The keypad key of the step from the player toward the nearest door: the
/// diagonal, or along one axis when a wall stands in the diagonal's way; a
/// random step when walls block that too. 0 with no player or no door.
int keys_toward_door() {
    int x, y, tx, ty;
    if (!keys_find_player(&x, &y) || !keys_nearest_door(current_room, x, y, &tx, &ty))
        return 0;
    int dx = (tx > x) - (tx < x), dy = (ty > y) - (ty < y);
    if (dx && dy && keys_blocked(x + dx, y + dy)) {
        if (!keys_blocked(x + dx, y))
            dy = 0;
        else
            dx = 0;
    }
    if (keys_blocked(x + dx, y + dy))
        return direction_keys[driver_rng_below(&rng, 8)].scancode;
    // keypad layout: 7 8 9 on top, 1 2 3 at the bottom
    static constexpr int pad[3][3] = {{KEY_7_PAD, KEY_8_PAD, KEY_9_PAD},
                                      {KEY_4_PAD, KEY_5_PAD, KEY_6_PAD},
                                      {KEY_1_PAD, KEY_2_PAD, KEY_3_PAD}};
    return pad[dy + 1][dx + 1];
}

/// Picks a line of the gesture table by weight.
const gesture& keys_pick_gesture() {
    int total = 0;
    for (const gesture& g : play_gestures)
        total += g.weight;
    int roll = driver_rng_below(&rng, total);
    for (const gesture& g : play_gestures) {
        if (roll < g.weight)
            return g;
        roll -= g.weight;
    }
    return play_gestures[0];
}

/// Plans the presses of one random gesture.
void keys_plan_play() {
    const gesture& g = keys_pick_gesture();
    switch (g.kind) {
    case G_KEY:
        keys_plan_press(g.scancode, g.typed);
        break;
    case G_DIRECTION:
        keys_plan_direction(false, longest_walk);
        break;
    case G_ZAP:
        keys_plan_press(KEY_Z, 'z');
        keys_plan_direction(true, 1);
        break;
    case G_NUMBER:
        keys_plan_number();
        break;
    case G_LETTER:
        keys_plan_letter();
        break;
    case G_SEEK:
        for (int i = 1 + driver_rng_below(&rng, longest_seek); i > 0; i--)
            keys_plan_press(SEEK_DOOR, 0);
        break;
    }
}

/// The next key of the cycle that ends a game.
void keys_plan_end() {
    const key_frame& k = end_cycle[end_position];
    end_position = (end_position + 1) % (int)(sizeof end_cycle / sizeof end_cycle[0]);
    keys_plan_press(k.scancode, k.typed);
}

int keys_keypressed() {
    return typed.empty() ? 0 : 1;
}

int keys_readkey() {
    if (typed.empty())
        return 0;
    return typed.pop_front();
}

} // namespace

void driver_rng_seed(driver_rng* r, uint64_t seed) {
    r->state = seed * 0x9e3779b97f4a7c15ull + 0x2545f4914f6cdd1dull;
    if (r->state == 0)
        r->state = 0x2545f4914f6cdd1dull;
}

int driver_rng_below(driver_rng* r, int n) {
    uint64_t x = r->state;
    x ^= x >> 12;
    x ^= x << 25;
    x ^= x >> 27;
    r->state = x;
    return (int)(((x * 0x2545f4914f6cdd1dull) >> 33) % (uint64_t)n);
}

void driver_keys_install() {
    install_keyboard_hooks(keys_keypressed, keys_readkey);
    frames.clear();
    typed.clear();
    presses = 0;
    end_position = 0;
}

void driver_keys_seed(uint64_t seed) {
    driver_rng_seed(&rng, seed);
}

void driver_keys_step(driver_mood mood) {
    if (frames.empty()) {
        if (mood == MOOD_END)
            keys_plan_end();
        else
            keys_plan_play();
    }
    key_frame f = frames.pop_front();
    if (f.scancode == SEEK_DOOR)
        f.scancode = keys_toward_door();
    for (int i = 0; i < KEY_MAX; i++)
        key[i] = 0;
    if (f.scancode)
        key[f.scancode] = 1;
    if (f.typed)
        typed.push_back((f.scancode << 8) | (f.typed & 0xff));
}

void driver_keys_answer(int scancode) {
    frames.clear();
    keys_plan_press(scancode, 0);
    driver_keys_step(MOOD_PLAY);
}

long driver_keys_presses() {
    return presses;
}
