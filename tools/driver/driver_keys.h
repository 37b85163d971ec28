// driver_keys: the random player's hands. A keyboard of our own, fed from a
// seeded generator that never touches rand(), so the game's random draws stay
// the game's: each poll of the game applies the next frame of a queue of key
// presses (a key held for one poll, then released for one), and the typed
// characters of those presses are handed to readkey() for the name box.
#pragma once
#include <cstdint>

/// A small seeded generator (xorshift64*), the driver's own.
struct driver_rng {
    uint64_t state;
};

/// Seeds the generator; every seed, 0 included, gives a usable state.
void driver_rng_seed(driver_rng* rng, uint64_t seed);

/// The next number from 0 to n - 1 (n > 0).
int driver_rng_below(driver_rng* rng, int n);

/// How the hands choose their next presses.
enum driver_mood {
    MOOD_PLAY, // random keys of every kind, weighted toward walking
    MOOD_END   // keys that get any screen of play to let go: Escape, a number, Q
};

/// Installs the keyboard hooks for readkey() and empties every queue.
void driver_keys_install();

/// Seeds the generator that picks the keys.
void driver_keys_seed(uint64_t seed);

/// Applies the next frame of the queue to key[]; plans new presses in the
/// given mood when the queue has run dry.
void driver_keys_step(driver_mood mood);

/// Drops the planned presses and holds `scancode` at the next step (then
/// releases it), for an answer that must come now.
void driver_keys_answer(int scancode);

/// Number of presses planned so far (for the report).
long driver_keys_presses();
