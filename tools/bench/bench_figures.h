// bench_figures: the five measurements of the benchmark. Each prints its
// table of figures (median, min, max, ratio to a baseline timed in the same
// run) and the goal it is held to.
#pragma once

/// How many repetitions each figure takes (at least 20 by default).
struct bench_options {
    int reps;
};

/// draw_init and loading the player and the title, against reading the
/// same bytes from disk.
void bench_figure_startup(const bench_options& options);

/// Bytes per generated room and peak resident size after 100 rooms.
void bench_figure_memory();

/// draw_picture of the busy room against one clear and one full copy;
/// returns the median frame time in microseconds.
double bench_figure_frame(const bench_options& options);

/// monster_act in the turn room, also as a share of `frame_us`.
void bench_figure_turn(const bench_options& options, double frame_us);

/// Rooms generated per second for the room numbers 1 to 60.
void bench_figure_rooms(const bench_options& options);

/// Showing the picture full screen at four monitor sizes, each against one
/// unscaled copy of a picture of that screen's size.
void bench_figure_present(const bench_options& options);

/// The lines of a turn of the game in progress written to a file beside the
/// data with the command key's line flushed to the disk, against the same
/// lines written and flushed only; also as a share of `frame_us`.
void bench_figure_keep(const bench_options& options, double frame_us);
