// cave_bench: measures, headless and in one run, what a frame, a world turn,
// a generated room, the start-up, the rooms' memory and keeping the game in
// progress on the disk cost, each against a baseline timed in the same run.
//
// Usage: cave_bench [data-folder] [--reps N]
//                   [--only startup|memory|frame|turn|rooms|present|keep]
// Run it from the data folder (or name it): draw_init loads the pictures by
// plain file name.
#include <allegro.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench_clock.h"
#include "bench_figures.h"
#include "main/game.h"
#include "shell/assets.h"

namespace {

/// The command line: repetitions and the one figure wanted (null for all).
struct bench_args {
    bench_options options;
    const char* only;
    const char* folder;
};

/// Reads the command line; returns 0 on a mistake.
int bench_parse(int argc, char** argv, bench_args* args) {
    *args = {{30}, nullptr, nullptr};
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--reps") == 0 && i + 1 < argc)
            args->options.reps = atoi(argv[++i]);
        else if (strcmp(argv[i], "--only") == 0 && i + 1 < argc)
            args->only = argv[++i];
        else if (argv[i][0] != '-')
            args->folder = argv[i];
        else
            return 0;
    }
    return args->options.reps >= 1;
}

/// Allegro without a display: memory bitmaps for the screen and back buffer,
/// colours laid out 0xRRGGBB as on the real screen; then the picture tables.
int bench_start_allegro() {
    if (!game_init_headless())
        return 0;
    max_hp = 30.0f;
    draw_init();
    bmp = create_bitmap(1024, 768);
    return screen && bmp;
}

/// 1 if the figure `name` is wanted.
int bench_wants(const bench_args& args, const char* name) {
    return !args.only || strcmp(args.only, name) == 0;
}

} // namespace

int main(int argc, char** argv) {
    bench_args args;
    if (!bench_parse(argc, argv, &args)) {
        fprintf(stderr, "usage: cave_bench [data-folder] [--reps N] [--only startup|memory|"
                        "frame|turn|rooms|present|keep]\n");
        return 2;
    }
    if (args.folder && chdir(args.folder) != 0) {
        fprintf(stderr, "cave_bench: cannot enter %s\n", args.folder);
        return 1;
    }
    if (game_check_data_files() != 0 || !bench_start_allegro())
        return 1;
    printf("cave_bench: %d repetitions per figure; median, min and max of each\n",
           args.options.reps);
    if (bench_wants(args, "memory"))
        bench_figure_memory(); // first, so the peak size is the rooms' own
    if (bench_wants(args, "startup"))
        bench_figure_startup(args.options);
    double frame_us = 0;
    if (bench_wants(args, "frame") || bench_wants(args, "turn") || bench_wants(args, "keep"))
        frame_us = bench_figure_frame(args.options);
    if (bench_wants(args, "turn"))
        bench_figure_turn(args.options, frame_us);
    if (bench_wants(args, "rooms"))
        bench_figure_rooms(args.options);
    if (bench_wants(args, "present"))
        bench_figure_present(args.options);
    if (bench_wants(args, "keep"))
        bench_figure_keep(args.options, frame_us);
    destroy_bitmap(bmp);
    draw_release();
    return 0;
}
