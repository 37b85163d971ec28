// title_watch: starts the game and times how long it takes until its title
// picture stands on the X screen, by taking screenshots of the root window
// as fast as the server gives them and comparing them with the picture file.
//
// Usage: cave_title_watch <title.bmp> <timeout-ms> <program> [arguments...]
// Runs the program in the current folder, prints "title_ms N" (-1 when the
// title did not show in time), "cpu_ms N" (the processor time the program
// had used by then) and "pid N", and leaves the program running,
// its output going to our error stream.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dirent.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

/// A picture as 0xRRGGBB values, row 0 on top.
struct watch_picture {
    int w = 0, h = 0;
    std::vector<uint32_t> rgb;
};

/// Screen pixels looked at: one in every WATCH_STEP columns and rows.
constexpr int WATCH_STEP = 16;
/// Largest difference of one colour channel that still counts as equal.
constexpr int WATCH_TOLERANCE = 12;
/// Share of the looked-at pixels that must match, in percent.
constexpr int WATCH_NEEDED = 90;
/// Pause between two screenshots (one takes about 5 ms).
constexpr int WATCH_PAUSE_US = 2000;

/// Milliseconds on a steady clock.
double watch_now_ms() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

/// A little-endian number of `n` bytes.
long watch_le(const unsigned char* p, int n) {
    long v = 0;
    for (int i = n - 1; i >= 0; i--)
        v = (v << 8) | p[i];
    return v;
}

/// Reads the rows of a 24-bit BMP body (stored bottom-up) into `out`.
bool watch_read_rows(FILE* f, long offset, watch_picture* out) {
    const long row = ((out->w * 24L + 31) / 32) * 4;
    std::vector<unsigned char> line(row);
    out->rgb.assign((size_t)out->w * out->h, 0);
    if (fseek(f, offset, SEEK_SET) != 0)
        return false;
    for (int y = out->h - 1; y >= 0; y--) {
        if (fread(line.data(), 1, row, f) != (size_t)row)
            return false;
        for (int x = 0; x < out->w; x++) {
            const unsigned char* p = &line[3 * x];
            out->rgb[(size_t)y * out->w + x] = (p[2] << 16) | (p[1] << 8) | p[0];
        }
    }
    return true;
}

/// Reads an uncompressed 24-bit BMP file; false if it is anything else.
bool watch_load_bmp(const char* path, watch_picture* out) {
    FILE* f = fopen(path, "rb");
    if (!f)
        return false;
    unsigned char h[54];
    bool ok = fread(h, 1, sizeof h, f) == sizeof h && h[0] == 'B' && h[1] == 'M' &&
              watch_le(h + 28, 2) == 24 && watch_le(h + 30, 4) == 0;
    if (ok) {
        out->w = (int)watch_le(h + 18, 4);
        out->h = (int)watch_le(h + 22, 4);
        ok = out->w > 0 && out->h > 0 && watch_read_rows(f, watch_le(h + 10, 4), out);
    }
    fclose(f);
    return ok;
}

/// The position of the lowest set bit of a colour mask.
int watch_shift(unsigned long mask) {
    int s = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        s++;
    }
    return s;
}

/// 1 if two 0xRRGGBB colours are equal within the tolerance.
int watch_close(uint32_t a, uint32_t b) {
    for (int s = 0; s <= 16; s += 8) {
        const int d = (int)((a >> s) & 0xff) - (int)((b >> s) & 0xff);
        if (d > WATCH_TOLERANCE || d < -WATCH_TOLERANCE)
            return 0;
    }
    return 1;
}

/// The 0xRRGGBB colour of one pixel of a screenshot.
uint32_t watch_rgb(XImage* shot, int x, int y) {
    const unsigned long p = XGetPixel(shot, x, y);
    return (((p & shot->red_mask) >> watch_shift(shot->red_mask)) << 16) |
           (((p & shot->green_mask) >> watch_shift(shot->green_mask)) << 8) |
           ((p & shot->blue_mask) >> watch_shift(shot->blue_mask));
}

/// Takes a screenshot of every WATCH_STEP-th row (a whole screen would take
/// the server longer than the game needs to start) and returns the share,
/// in percent, of the looked-at pixels that show the picture.
int watch_match(Display* display, Window root, const watch_picture& title) {
    int seen = 0, same = 0;
    for (int y = WATCH_STEP / 2; y < title.h; y += WATCH_STEP) {
        XImage* row = XGetImage(display, root, 0, y, title.w, 1, AllPlanes, ZPixmap);
        if (!row)
            return 0;
        for (int x = WATCH_STEP / 2; x < title.w; x += WATCH_STEP) {
            same += watch_close(watch_rgb(row, x, 0), title.rgb[(size_t)y * title.w + x]);
            seen++;
        }
        XDestroyImage(row);
    }
    return seen ? 100 * same / seen : 0;
}

/// Processor time the program has used so far, all its threads, in ms (the
/// scheduler's nanosecond counts of every thread).
double watch_cpu_ms(pid_t pid) {
    char path[320];
    snprintf(path, sizeof path, "/proc/%d/task", (int)pid);
    DIR* tasks = opendir(path);
    if (!tasks)
        return -1;
    double ns = 0;
    while (const dirent* task = readdir(tasks)) {
        if (task->d_name[0] == '.')
            continue;
        snprintf(path, sizeof path, "/proc/%d/task/%s/schedstat", (int)pid, task->d_name);
        FILE* f = fopen(path, "r");
        double on_cpu = 0;
        if (f && fscanf(f, "%lf", &on_cpu) == 1)
            ns += on_cpu;
        if (f)
            fclose(f);
    }
    closedir(tasks);
    return ns / 1e6;
}

/// Starts the program in the background with its output sent to our error
/// stream (so that a caller reading our output is not kept waiting by it);
/// returns its process id.
pid_t watch_start(char** argv) {
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        execvp(argv[0], argv);
        perror("cave_title_watch: cannot start the program");
        _exit(127);
    }
    return pid;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: cave_title_watch <title.bmp> <timeout-ms> <program> [args...]\n");
        return 2;
    }
    watch_picture title;
    if (!watch_load_bmp(argv[1], &title)) {
        fprintf(stderr, "cave_title_watch: %s is no 24-bit BMP file\n", argv[1]);
        return 1;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        fprintf(stderr, "cave_title_watch: no X display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    if (watch_match(display, root, title) >= WATCH_NEEDED) {
        fprintf(stderr, "cave_title_watch: the screen shows the picture before the start\n");
        return 1;
    }
    const double timeout = atof(argv[2]);
    const double start = watch_now_ms();
    const pid_t pid = watch_start(argv + 3);
    double shown = -1;
    while (pid > 0 && watch_now_ms() - start < timeout) {
        if (watch_match(display, root, title) >= WATCH_NEEDED) {
            shown = watch_now_ms() - start;
            break;
        }
        usleep(WATCH_PAUSE_US); // leave the processors to the game and the server
    }
    printf("title_ms %.0f\ncpu_ms %.0f\npid %d\n", shown, watch_cpu_ms(pid), (int)pid);
    XCloseDisplay(display);
    return shown < 0 ? 3 : 0;
}
