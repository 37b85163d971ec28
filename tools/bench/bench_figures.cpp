// bench_figures: the measurements. Every timed part is surrounded only by
// the stopwatch; whatever must be set up or released for a repetition is
// done outside it, and each measurement is interleaved with its baseline so
// that both see the same load on the machine.
#include "bench_figures.h"

#include <allegro.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>
#include <vector>

#include "bench_clock.h"
#include "bench_scene.h"
#include "creatures/world_turn.h"
#include "main/game.h"
#include "platform/scale.h"
#include "render/panel.h"
#include "render/room_view.h"
#include "shell/assets.h"
#include "shell/history.h"
#include "tape/recording.h"
#include "world/alloc.h"
#include "world/character.h"
#include "world/room.h"

namespace {

/// The full-screen picture loaded in the start-up figure.
constexpr const char* TITLE_FILE = "TitelScreen.bmp";
/// Rooms made for the memory figure and per repetition of the room figure.
constexpr int MEMORY_ROOMS = 100;
constexpr int GENERATED_ROOMS = 60;

/// Reads a whole file into `buffer`; returns the bytes read.
size_t bench_read_file(const char* name, std::vector<char>& buffer) {
    FILE* f = fopen(name, "rb");
    if (!f)
        return 0;
    size_t total = 0, got;
    while ((got = fread(buffer.data(), 1, buffer.size(), f)) > 0)
        total += got;
    fclose(f);
    return total;
}

/// Reads every file the start-up figure loads, the way the disk gives them.
size_t bench_read_startup_files() {
    static std::vector<char> buffer(1 << 20);
    size_t total = 0;
    for (int i = 0; i < assets_table_file_count(); i++)
        total += bench_read_file(assets_table_file(i), buffer);
    for (const char* name : {"user.bmp", "user.bmp", "user_dead.bmp", TITLE_FILE})
        total += bench_read_file(name, buffer);
    return total;
}

/// A number from /proc/self/status ("VmRSS", "VmHWM"), in kilobytes.
long bench_status_kb(const char* field) {
    FILE* f = fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long kb = -1;
    const size_t n = strlen(field);
    while (fgets(line, sizeof line, f))
        if (strncmp(line, field, n) == 0 && line[n] == ':')
            kb = atol(line + n + 1);
    fclose(f);
    return kb;
}

/// Bytes the C library has handed out, heap and mapped blocks together.
size_t bench_heap_bytes() {
    struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

/// Generates rooms numbered 1..count into a new list, each entered from below.
room_* bench_generate_rooms(int count) {
    room_* head = nullptr;
    for (int n = 1; n <= count; n++)
        room_add_new_room(&head, n, 13, ROOM_HEIGHT - 1, n - 1, 'n');
    return head;
}

/// Times one call of `work` in microseconds.
template <class F> double bench_time(F work) {
    const double t0 = bench_now_us();
    work();
    return bench_now_us() - t0;
}

/// Microseconds of processor time the calling thread has used.
double bench_thread_us() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

/// Microseconds to milliseconds.
double bench_ms(double us) {
    return us / 1000.0;
}

/// Makes the busy room the game's room, with a player of full pockets and a
/// full history, as the frame and present figures draw it.
void bench_enter_busy_room() {
    character_* player = bench_make_player();
    bench_fill_pack(player);
    cave = current_room = bench_busy_room(player);
    user = player;
    bench_fill_history();
}

/// Releases the busy room and its player.
void bench_leave_busy_room() {
    room_* room = current_room;
    character_* player = user;
    cave = current_room = nullptr;
    bench_free_room(room);
    user = nullptr;
    character_remove(player);
}

} // namespace

void bench_figure_startup(const bench_options& options) {
    std::vector<double> init, load, total, disk;
    size_t bytes = 0;
    for (int r = 0; r < options.reps; r++) {
        draw_release();
        const double t_init = bench_time([] { draw_init(); });
        character_* player = nullptr;
        const double t_load = bench_time([&] {
            player = character_create_user();
            assets_load_screen(bmp, TITLE_FILE);
        });
        character_remove(player);
        disk.push_back(bench_time([&] { bytes = bench_read_startup_files(); }));
        init.push_back(t_init);
        load.push_back(t_load);
        total.push_back(t_init + t_load);
    }
    const bench_summary base = bench_map(bench_summarise(disk), bench_ms);
    bench_print_header("Start-up: pictures from disk");
    bench_print("baseline: reading the same bytes (fread)", base, "ms");
    bench_print_note("(%zu bytes in %d files)", bytes, assets_table_file_count() + 4);
    bench_print_ratio("draw_init (every picture table)", bench_map(bench_summarise(init), bench_ms),
                      "ms", base);
    bench_print_ratio("player pictures + title picture", bench_map(bench_summarise(load), bench_ms),
                      "ms", base);
    bench_print_ratio("all of the above", bench_map(bench_summarise(total), bench_ms), "ms", base);
}

void bench_figure_memory() {
    const long rss_before = bench_status_kb("VmRSS");
    const size_t heap_before = bench_heap_bytes();
    const long calls_before = alloc_count();
    srand(2024);
    room_* rooms = bench_generate_rooms(MEMORY_ROOMS);
    const double per_room = (double)(bench_heap_bytes() - heap_before) / MEMORY_ROOMS;
    const double calls = (double)(alloc_count() - calls_before) / MEMORY_ROOMS;
    const long rss_after = bench_status_kb("VmRSS");
    const long hwm = bench_status_kb("VmHWM");
    room_remove_all(rooms);
    bench_print_header("Memory: 100 generated rooms (numbers 1 to 100)");
    printf("  %-44s %12zu bytes\n", "baseline: sizeof(room_) (560 tiles by value)", sizeof(room_));
    printf("  %-44s %12zu bytes\n", "  of which one tile", sizeof(tile));
    printf("  %-44s %12.0f bytes  %.2fx\n", "heap per room, contents included", per_room,
           per_room / sizeof(room_));
    printf("  %-44s %12.0f bytes\n", "  of which contents (items, creatures)",
           per_room - sizeof(room_));
    printf("  %-44s %12.1f calls\n", "  alloc_zeroed calls per room", calls);
    printf("  %-44s %12ld kB\n", "baseline: resident before the rooms", rss_before);
    printf("  %-44s %12ld kB  %.2fx\n", "resident after 100 rooms", rss_after,
           (double)rss_after / rss_before);
    printf("  %-44s %12ld kB  %.2fx\n", "peak resident (VmHWM) after 100 rooms", hwm,
           (double)hwm / rss_before);
}

double bench_figure_frame(const bench_options& options) {
    bench_enter_busy_room();
    draw_picture(0); // the first frame settles max_hp and the capacity
    std::vector<double> base, frame, grid, strip, panel, text;
    for (int r = 0; r < options.reps; r++) {
        base.push_back(bench_time([] {
            clear_to_color(bmp, 0);
            blit(bmp, screen, 0, 0, 0, 0, 1024, 768);
        }));
        frame.push_back(bench_time([r] { draw_picture(r & 1); }));
        grid.push_back(bench_time([r] { draw_room(current_room, r & 1); }));
        strip.push_back(bench_time([] { draw_inventory_in_frame(bmp, pal, user); }));
        panel.push_back(bench_time([] { draw_properties(bmp, pal, user); }));
        text.push_back(bench_time([] { event_history_draw(bmp, 7, 512, 672); }));
    }
    const bench_summary b = bench_summarise(base), f = bench_summarise(frame);
    bench_print_header("Frame: draw_picture of a busy room");
    bench_print("baseline: clear_to_color + one full blit", b, "us");
    bench_print_ratio("draw_picture (whole frame)", f, "us", b);
    bench_print_ratio("  draw_room (560 tiles, 7 beings, items)", bench_summarise(grid), "us", b);
    bench_print_ratio("  draw_inventory_in_frame (60 slots, box)", bench_summarise(strip), "us", b);
    bench_print_ratio("  draw_properties (panel)", bench_summarise(panel), "us", b);
    bench_print_ratio("  event_history_draw (7 lines)", bench_summarise(text), "us", b);
    bench_print_goal("frame / baseline <= 3", f.median / b.median, 3.0, "x");
    bench_leave_busy_room();
    return f.median;
}

void bench_figure_turn(const bench_options& options, double frame_us) {
    character_* player = bench_make_player();
    user = player;
    std::vector<double> turn;
    for (int r = 0; r < options.reps; r++) {
        room_* room = bench_turn_room(player);
        cave = current_room = room;
        character_calculate_properties(player, &users_calculated_properties);
        end_game = 0;
        srand(31337);
        turn.push_back(bench_time([room] { monster_act(room); }));
        cave = current_room = nullptr;
        bench_free_room(room);
    }
    const bench_summary t = bench_summarise(turn);
    const bench_summary share = {t.median / frame_us, t.min / frame_us, t.max / frame_us, t.count};
    bench_print_header("World turn: monster_act, 6 creatures and 10 live explosions");
    bench_print("monster_act", t, "us");
    printf("  %-44s %12.3f %12.3f %12.3f  %-6s\n", "share of the frame median", share.median,
           share.min, share.max, "frame");
    bench_print_goal("world turn / frame < 0.1", share.median, 0.1, "frame");
    user = nullptr;
    character_remove(player);
}

void bench_figure_rooms(const bench_options& options) {
    std::vector<double> made, base;
    for (int r = 0; r < options.reps; r++) {
        srand(99);
        room_* rooms = nullptr;
        made.push_back(bench_time([&] { rooms = bench_generate_rooms(GENERATED_ROOMS); }));
        room_remove_all(rooms);
        void* blocks[GENERATED_ROOMS];
        base.push_back(bench_time([&] {
            for (void*& block : blocks) {
                block = alloc_zeroed(sizeof(room_));
                if (block)
                    memset(block, 0, sizeof(room_)); // every page of the room touched
            }
        }));
        for (void* block : blocks)
            alloc_free(block);
    }
    auto per_room = [](double us) { return us / GENERATED_ROOMS; };
    const bench_summary m = bench_summarise(made), b = bench_summarise(base);
    bench_print_header("Room generation: room numbers 1 to 60");
    bench_print("baseline: allocate and write one room", bench_map(b, per_room), "us");
    bench_print_ratio("room_add_new_room, per room", bench_map(m, per_room), "us",
                      bench_map(b, per_room));
    auto rate = [](double us) { return GENERATED_ROOMS * 1e6 / us; };
    bench_print("rooms per second", bench_map(m, rate), "room/s");
}

namespace {

/// Two pictures of the busy room one turn apart: the beings in their other
/// frame and one more line in the history, as play shows them.
void bench_turn_pictures(BITMAP* first, BITMAP* second) {
    bench_enter_busy_room();
    draw_picture(0);
    blit(bmp, first, 0, 0, 0, 0, SCALE_PICTURE_W, SCALE_PICTURE_H);
    event_history_push("You went into a new room");
    draw_picture(1);
    blit(bmp, second, 0, 0, 0, 0, SCALE_PICTURE_W, SCALE_PICTURE_H);
    bench_leave_busy_room();
}

/// Prints a present figure of one screen size, its ratio to the copy `b`,
/// the goal of at most twice that copy when `goal`, and its processor time.
void bench_print_present(const char* what, const scale_plan_& plan, const std::vector<double>& wall,
                         const std::vector<double>& own, const bench_summary& b, bool goal) {
    char label[96];
    snprintf(label, sizeof label, "%s at %dx%d (x%.4g)", what, plan.w, plan.h,
             double(plan.w) / SCALE_PICTURE_W);
    const bench_summary s = bench_map(bench_summarise(wall), bench_ms);
    bench_print_ratio(label, s, "ms", b);
    if (goal)
        bench_print_goal("present / copy <= 2", s.median / b.median, 2.0, "x");
    // On a busy machine the wall clock also counts the other processes'
    // turns; the thread's own processor time does not.
    bench_print("  the same, processor time of the thread",
                bench_map(bench_summarise(own), bench_ms), "ms");
}

} // namespace

void bench_figure_present(const bench_options& options) {
    // Full-screen sizes of common monitors.
    // width height
    constexpr int sizes[][2] = {{1366, 768}, {1920, 1080}, {2560, 1440}, {3840, 2160}};
    bench_print_header("Present: the 1024x768 picture scaled to a full screen");
    BITMAP* turn[2] = {create_bitmap(SCALE_PICTURE_W, SCALE_PICTURE_H),
                       create_bitmap(SCALE_PICTURE_W, SCALE_PICTURE_H)};
    bench_turn_pictures(turn[0], turn[1]);
    assets_load_screen(bmp, TITLE_FILE);
    for (const auto& size : sizes) {
        BITMAP* target = create_bitmap(size[0], size[1]);
        BITMAP* whole = create_bitmap(size[0], size[1]);
        clear_to_color(whole, 0x203040);
        const scale_plan_ plan = scale_plan(size[0], size[1], scale_fit_factor(size[0], size[1]));
        std::vector<double> base, fresh, fresh_own, next, next_own;
        for (int r = 0; r < options.reps; r++) {
            base.push_back(bench_time([&] { blit(whole, target, 0, 0, 0, 0, size[0], size[1]); }));
            double t0 = bench_thread_us();
            scale_forget(); // a wholly new picture: every row written
            fresh.push_back(bench_time([&] { scale_blit(bmp, target, plan); }));
            fresh_own.push_back(bench_thread_us() - t0);
            scale_blit(turn[0], target, plan);
            t0 = bench_thread_us();
            next.push_back(bench_time([&] { scale_blit(turn[1], target, plan); }));
            next_own.push_back(bench_thread_us() - t0);
        }
        const bench_summary b = bench_map(bench_summarise(base), bench_ms);
        char label[64];
        snprintf(label, sizeof label, "baseline: one %dx%d copy", size[0], size[1]);
        bench_print(label, b, "ms");
        bench_print_present("next turn's picture", plan, next, next_own, b, true);
        bench_print_present("a wholly new picture", plan, fresh, fresh_own, b, false);
        if (size[0] == 3840)
            bench_print_goal("next turn at 3840x2160 <= 8 ms (processor)",
                             bench_summarise(next_own).median / 1000, 8.0, "ms");
        destroy_bitmap(whole);
        destroy_bitmap(target);
    }
    destroy_bitmap(turn[0]);
    destroy_bitmap(turn[1]);
}

/// One turn's lines of the game in progress as the keyboard routines write
/// them: the command key (which reaches the disk) and the wait for its release.
static void bench_write_turn(int code) {
    int answer;
    recording_replayed(REC_KEY, &answer);
    recording_kept(REC_KEY, code);
    recording_replayed(REC_RELEASE, &answer);
    recording_kept(REC_RELEASE, 0);
}

void bench_figure_keep(const bench_options& options, double frame_us) {
    // A file beside the data, on the disk the player's folder is usually on.
    char name[] = "bench-keep-XXXXXX";
    const int fd = mkstemp(name);
    FILE* file = fd >= 0 ? fdopen(fd, "w") : nullptr;
    if (!file) {
        printf("keep: no file could be made here\n");
        return;
    }
    constexpr int TURNS = 20;
    std::vector<double> flushed, synced;
    for (int r = 0; r < options.reps; r++) {
        flushed.push_back(bench_time([&] {
                              for (int t = 0; t < TURNS; t++)
                                  for (const char* line : {"key 6\n", "release\n"})
                                      fputs(line, file), fflush(file);
                          }) /
                          TURNS);
        recording_copy_to(file);
        synced.push_back(bench_time([&] {
                             for (int t = 0; t < TURNS; t++)
                                 bench_write_turn(t % 9 + 1);
                         }) /
                         TURNS);
        recording_copy_to(nullptr);
    }
    fclose(file);
    unlink(name);
    const bench_summary base = bench_summarise(flushed), turn = bench_summarise(synced);
    bench_print_header("Keep: the game in progress written as it goes, a turn's lines");
    bench_print("baseline: the lines written and flushed", base, "us");
    bench_print_ratio("the key's line on the disk too (fdatasync)", turn, "us", base);
    if (frame_us > 0)
        bench_print_note(
            "%.2f frames (draw_picture) a turn; at 5 keys a second, %.2f%% of the time",
            turn.median / frame_us, turn.median * 5 / 1e4);
}
