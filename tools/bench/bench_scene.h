// bench_scene: the rooms and the player the benchmark measures: a busy room
// for the frame (every tile painted, creatures, items, explosions, a full
// pack) and a room for the world turn. Both are made from a fixed seed, so
// every repetition does the same work.
#pragma once

struct character_;
struct room_;

/// Creatures placed in each benchmark room (the player comes on top).
enum { BENCH_CREATURES = 6, BENCH_EXPLOSIONS = 10, BENCH_PACK = 60 };

/// A new player strong enough to carry 60 items, or null.
character_* bench_make_player();

/// Fills the player's pack with 60 items; the wand is wielded and selected.
void bench_fill_pack(character_* player);

/// The busy room of the frame figure, with the player standing in it.
room_* bench_busy_room(character_* player);

/// The room of the world-turn figure: 6 creatures, 10 live explosions and
/// the player (too tough to die), all from one seed.
room_* bench_turn_room(character_* player);

/// Frees a benchmark room with everything on it but the player.
void bench_free_room(room_* room);

/// Fills the message log with seven lines of play, as after a fight.
void bench_fill_history();
