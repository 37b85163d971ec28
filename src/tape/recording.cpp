// recording: the tape of a run: the seeds and keyboard answers written to a
// file as the games go, or loaded from one and handed back to the keyboard
// routines (the format is described in recording.h and the README).
#include "tape/recording.h"

#include <allegro.h>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/display.h"
#include "platform/safefile.h"

namespace {

/// One event line of a loaded recording, in eight bytes: a tape takes at
/// most about the size of its file (every event line is at least six bytes).
struct recording_line_ {
    int32_t value;        // the code, number, character or scancode; a seed's 32 bits
    uint32_t number : 27; // its line number in the file (a file within the
                          // size limit has fewer lines)
    uint32_t kind : 4;    // a recording_kind
    uint32_t held : 1;    // held lines: 1 when the key was down
};

/// How each kind of line is written, what it may hold, and what the game
/// was waiting for when a line of that kind answered it.
struct recording_word {
    const char* word;
    int numbers; // numbers after the word: 0, 1, or 2 (scancode and state)
    long long low, high;
    const char* wanted;
};

// kind          word       numbers  lowest            highest      the game asks for
constexpr recording_word words[] = {
    /* REC_GAME */ {"game", 1, 0, UINT_MAX, "the start of a game"},
    /* REC_KEY */ {"key", 1, RECORDING_KEY_LOWEST, RECORDING_KEY_HIGHEST, "a command key"},
    /* REC_NUMBER */ {"number", 1, 0, INT_MAX, "a typed number"},
    /* REC_CHAR */ {"char", 1, 0, 0xffff, "a typed character"},
    /* REC_PRESS */ {"press", 0, 0, 0, "any key"},
    /* REC_RELEASE */ {"release", 0, 0, 0, "every key let go"},
    /* REC_HELD */ {"held", 2, 1, KEY_MAX - 1, "a look at a key"},
    /* REC_LEFT */ {"left", 0, 0, 0, "the end of the program"},
};
constexpr int word_count = sizeof words / sizeof words[0];

/// What the tape is doing.
enum recording_mode { MODE_OFF, MODE_RECORD, MODE_REPLAY };

/// The first version whose games ask before Escape or Q ends them.
constexpr int asking_version = 2;

/// Slice of the replay's pause between two looks at Escape, in ms.
constexpr int pause_slice_ms = 10;

/// The longest pause the viewer can slow a replay to, and the pace the
/// speed steps are counted from when a replay began without pauses.
constexpr int longest_pause_ms = 2000;
constexpr int standard_pause_ms = 150;

recording_mode mode = MODE_OFF;
int version = RECORDING_VERSION; // the version of the recording replayed
char file_name[1024];
FILE* out = nullptr;                  // the file written while recording
safefile_place_ out_place = {-1, ""}; // where it goes, until it is made
std::string held_back;                // the lines written before it is made
recording_line_* tape = nullptr;      // every event line loaded, in order
recording_line_* tape_end = nullptr;
recording_line_* next_line = nullptr; // tape_end when used up
int left_at = 0;                      // the line number of the tape's "left" line, or 0
int last_number = 0;                  // line number of the last line replayed
int depth = 0;                        // keyboard routines running, one inside another
int pause_ms = 0;
int watching = 0;
int last_kind = -1; // the last answer paused for, and its value
long long last_value = 0;
FILE* copy = nullptr;   // a second file that gets every event line too
bool copy_whole = true; // every line reached the copy

/// A kept game taken up: played back until its tape ends, then handed over
/// (at_end), and answered from then on by the keyboard or the answerer.
bool taking_up = false;
bool tape_ran_out = false; // the kept game's tape has ended: the answerer may answer
void (*at_tape_end)() = nullptr;
int (*answerer)(int kind, int scancode) = nullptr;
long long whole_bytes = 0; // the loaded file's length up to its last line played

/// The viewer's controls of a replay in the window: Space pauses, + and -
/// halve and double the pause, the right arrow steps one answer.
bool paused = false;
int first_pause_ms = 0; // the pause the replay began with
int speed_shift = 0;    // times the pause was halved since (negative: doubled)
bool keys_down[KEY_MAX];
void (*clock_sleep)(int ms) = nullptr; // the replay's clock (tests script it)
void (*idle)() = nullptr;              // run at every look at the viewer's keys
char title[64] = "";

/// Prints "cave: FILE: " and the message on stderr.
__attribute__((format(printf, 1, 0))) void recording_say(const char* format, va_list args) {
    fprintf(stderr, "cave: %s: ", file_name);
    vfprintf(stderr, format, args);
    fputc('\n', stderr);
}

/// Complains about the file; returns 0 for the loader to pass on.
__attribute__((format(printf, 1, 2))) int recording_refuse(const char* format, ...) {
    va_list args;
    va_start(args, format);
    recording_say(format, args);
    va_end(args);
    return 0;
}

/// What ends a replay that stops before its end, instead of the program.
void (*stop_hook)(int status) = nullptr;

/// A replay stops: the program ends with `status`, unless the game watches
/// a kept game from inside its run (see recording_set_stop).
[[noreturn]] void recording_stop(int status) {
    if (stop_hook)
        stop_hook(status);
    exit(status);
}

/// A replay that cannot go on: the message, then the replay stops; a kept
/// game taken up unwinds instead, for the game to set it aside.
[[noreturn]] __attribute__((format(printf, 1, 2))) void recording_fail(const char* format, ...) {
    va_list args;
    va_start(args, format);
    recording_say(format, args);
    va_end(args);
    if (taking_up)
        throw recording_misfit();
    recording_stop(1);
}

/// Frees the loaded lines.
void recording_free() {
    free(tape);
    tape = tape_end = next_line = nullptr;
    left_at = 0;
}

/// The number a line holds, as the game uses it (a seed's 32 bits unsigned).
long long recording_value(const recording_line_* line) {
    return line->kind == REC_GAME ? static_cast<long long>(static_cast<uint32_t>(line->value))
                                  : line->value;
}

/// Reads the numbers of a line of kind k from `text`; false if they are
/// missing, stray, or out of range.
bool recording_parse_numbers(const char* text, int k, recording_line_* line) {
    long long numbers[2] = {0, 0};
    for (int i = 0; i < words[k].numbers; i++) {
        if (text[0] != ' ' || !(text[1] == '-' || (text[1] >= '0' && text[1] <= '9')))
            return false;
        char* end;
        errno = 0;
        numbers[i] = strtoll(text + 1, &end, 10);
        if (errno != 0 || end == text + 1)
            return false;
        text = end;
    }
    if (*text != 0 || numbers[0] < words[k].low || numbers[0] > words[k].high)
        return false;
    if (k == REC_HELD && numbers[1] != 0 && numbers[1] != 1)
        return false;
    line->kind = uint32_t(k) & 15;
    line->value = static_cast<int32_t>(static_cast<uint32_t>(numbers[0]));
    line->held = numbers[1] != 0;
    return true;
}

/// Reads one event line; false when it is not one.
bool recording_parse(const char* text, recording_line_* line) {
    for (int k = 0; k < word_count; k++) {
        size_t length = strlen(words[k].word);
        if (strncmp(text, words[k].word, length) == 0)
            return recording_parse_numbers(text + length, k, line);
    }
    return false;
}

/// One line of the loaded file: where it starts and its length, without
/// its line end (and a carriage return before it); `cut` for a last line
/// without its line end.
struct recording_text_ {
    char* text = nullptr;
    size_t length = 0;
    bool cut = false;
};

/// The loaded file: its bytes (and a zero after them) and how far it is read.
struct recording_file_ {
    char* bytes;
    size_t size;
    size_t at;
};

/// Finds the next line of the file; false at its end.
bool recording_next_text(recording_file_* file, recording_text_* line) {
    if (file->at >= file->size)
        return false;
    line->text = file->bytes + file->at;
    const size_t left = file->size - file->at;
    const char* end = static_cast<const char*>(memchr(line->text, '\n', left));
    line->cut = !end;
    line->length = end ? size_t(end - line->text) : left;
    file->at += line->length + (end ? 1 : 0);
    if (line->length > 0 && line->text[line->length - 1] == '\r')
        line->length--;
    return true;
}

/// Ends the line's text with a zero, in the place of its line end.
const char* recording_terminate(recording_text_* line) {
    line->text[line->length] = 0;
    return line->text;
}

/// True for a line the loader skips: empty, only spaces and tabs, or a comment.
bool recording_skipped(const recording_text_& line) {
    size_t i = 0;
    while (i < line.length && (line.text[i] == ' ' || line.text[i] == '\t'))
        i++;
    return i == line.length || line.text[i] == '#';
}

/// Checks the version line: "cave recording " and digits only, a version
/// this game reads; 0 after a message naming line 1 when not.
int recording_check_version(recording_file_* file) {
    const char prefix[] = "cave recording ";
    recording_text_ line;
    const char* digits = nullptr;
    if (recording_next_text(file, &line) &&
        strncmp(recording_terminate(&line), prefix, sizeof prefix - 1) == 0)
        digits = line.text + sizeof prefix - 1;
    if (!digits || !digits[0] || strspn(digits, "0123456789") != strlen(digits))
        return recording_refuse("not a recording of this game (line 1 is not \"cave recording "
                                "%d\")",
                                RECORDING_VERSION);
    // Read only when short, so that no number of digits can overflow.
    while (digits[0] == '0' && digits[1])
        digits++;
    const int number = strlen(digits) <= 4 ? atoi(digits) : -1;
    if (number < RECORDING_OLDEST_VERSION || number > RECORDING_VERSION)
        return recording_refuse("line 1: a recording of version %.20s%s; this game plays "
                                "versions %d to %d",
                                digits, strlen(digits) > 20 ? "..." : "", RECORDING_OLDEST_VERSION,
                                RECORDING_VERSION);
    version = number;
    return 1;
}

/// Counts the lines after the version line that may be event lines (not
/// skipped, and at least as long as "press", the shortest): the tape holds
/// at most that many, each from six bytes of the file or more.
size_t recording_count_events(recording_file_ file) {
    size_t count = 0;
    recording_text_ line;
    while (recording_next_text(&file, &line))
        count += line.length >= 5 && !recording_skipped(line);
    return count;
}

/// Adds one event line to the end of the tape; 0 after a message when it is
/// damaged.
int recording_keep_line(const char* text, int number) {
    recording_line_ line = {};
    line.number = uint32_t(number);
    if (!recording_parse(text, &line))
        return recording_refuse("line %d is damaged: \"%.40s\"", number, text);
    if (tape_end == tape && line.kind != REC_GAME)
        return recording_refuse("line %d: the first event must be \"game SEED\"", number);
    if (left_at)
        return recording_refuse("line %d: nothing may follow \"left\" (line %d)", number, left_at);
    if (line.kind == REC_LEFT) {
        left_at = number; // not an answer: the mark of where the replay stops
        return 1;
    }
    *tape_end++ = line;
    return 1;
}

/// Loads the event lines after the version line into one array; 0 after a
/// message when one is damaged, when there is no memory for them, or when
/// the file holds no game. A last line cut off in the middle (the game
/// stopped while writing it) is left out, and the replay goes up to the line
/// before it.
int recording_read_lines(recording_file_* file) {
    const size_t most = recording_count_events(*file);
    tape = tape_end = static_cast<recording_line_*>(malloc((most ? most : 1) * sizeof *tape));
    if (!tape)
        return recording_refuse("out of memory for its %zu lines", most);
    recording_text_ line;
    whole_bytes = (long long)file->at;
    for (int number = 2; recording_next_text(file, &line); number++) {
        if (recording_skipped(line)) {
            if (!line.cut)
                whole_bytes = (long long)file->at;
            continue;
        }
        if (line.cut) {
            fprintf(stderr,
                    "cave: %s: line %d is cut off; the recording ended early and is replayed up "
                    "to line %d\n",
                    file_name, number, number - 1);
            break;
        }
        if (!recording_keep_line(recording_terminate(&line), number))
            return 0;
        if (!left_at)
            whole_bytes = (long long)file->at;
    }
    if (tape_end == tape)
        return recording_refuse("the whole file holds no game (no \"game SEED\" line)");
    return 1;
}

/// Reads the whole open file `fd` into *file, refusing (after one line) a
/// file that is no plain file or is over the size limit before reading it.
int recording_read_file(int fd, recording_file_* file) {
    struct stat info;
    if (fstat(fd, &info) != 0)
        return recording_refuse("cannot be read: %s", strerror(errno));
    if (!S_ISREG(info.st_mode))
        return recording_refuse("cannot be read: not a file");
    if (info.st_size > RECORDING_MOST_BYTES)
        return recording_refuse("is %lld bytes long, over the %d MiB a recording may be; it is "
                                "not read",
                                static_cast<long long>(info.st_size), RECORDING_MOST_BYTES >> 20);
    // One byte more than the size: a file that grew meanwhile is refused too.
    const size_t most = size_t(info.st_size) + 1;
    file->bytes = static_cast<char*>(malloc(most + 1));
    if (!file->bytes)
        return recording_refuse("out of memory for its %lld bytes",
                                static_cast<long long>(info.st_size));
    file->size = file->at = 0;
    while (file->size < most) {
        ssize_t got = pread(fd, file->bytes + file->size, most - file->size, off_t(file->size));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return recording_refuse("the file cannot be read: %s", strerror(errno));
        if (got == 0)
            break;
        file->size += size_t(got);
    }
    if (file->size == most)
        return recording_refuse("grows while it is read; it is not read");
    file->bytes[file->size] = 0;
    return 1;
}

/// Makes or empties the recording's file at the place checked at the start
/// (never through a link) and writes its first lines and those held back;
/// false after a message, the recording then stopped.
bool recording_open() {
    int fd = openat(out_place.folder, out_place.name,
                    O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    int error = fd < 0 ? errno : 0;
    struct stat info;
    if (fd >= 0) {
        error = fstat(fd, &info) != 0    ? errno
                : !S_ISREG(info.st_mode) ? EISDIR
                : ftruncate(fd, 0) != 0  ? errno
                                         : 0;
        if (error) {
            close(fd);
            fd = -1;
        }
    }
    safefile_release(&out_place);
    out = fd >= 0 ? fdopen(fd, "w") : nullptr;
    if (!out) {
        if (fd >= 0)
            close(fd);
        fprintf(stderr, "cave: %s: cannot be written (%s); the game is not recorded\n", file_name,
                error == EISDIR ? "not a file" : strerror(error));
        mode = MODE_OFF;
        return false;
    }
    const bool written = fprintf(out,
                                 "cave recording %d\n# The Wizard's Cave: seeds and keyboard "
                                 "answers\n%s",
                                 RECORDING_VERSION, held_back.c_str()) >= 0 &&
                         fflush(out) == 0;
    held_back.clear();
    if (!written) {
        fprintf(stderr, "cave: %s: cannot be written (%s); the recording stops here\n", file_name,
                strerror(errno));
        fclose(out);
        out = nullptr;
        mode = MODE_OFF;
    }
    return written;
}

/// The text of one event line, with its line end.
std::string recording_format(int kind, long long value, int held) {
    const recording_word& w = words[kind];
    char text[64];
    if (w.numbers == 0)
        snprintf(text, sizeof text, "%s\n", w.word);
    else if (w.numbers == 1)
        snprintf(text, sizeof text, "%s %lld\n", w.word, value);
    else
        snprintf(text, sizeof text, "%s %lld %d\n", w.word, value, held);
    return text;
}

/// Writes one line and hands it to the file at once, so that a crash leaves
/// every answer read so far; false when the write failed.
bool recording_put(FILE* to, const std::string& text) {
    return fputs(text.c_str(), to) >= 0 && fflush(to) == 0;
}

/// Writes one event line to the recording (held back until its file is
/// made) and to the copy; a failed write ends the recording, or drops the
/// copy.
void recording_write(int kind, long long value, int held) {
    const std::string text = recording_format(kind, value, held);
    if (copy && !recording_put(copy, text)) {
        copy = nullptr;
        copy_whole = false;
    } else if (copy && (kind == REC_KEY || kind == REC_NUMBER) && fileno(copy) >= 0) {
        fdatasync(fileno(copy)); // the player's decisions reach the disk as they are made
    }
    if (mode == MODE_RECORD && !out)
        held_back += text;
    else if (out && !recording_put(out, text)) {
        fprintf(stderr, "cave: %s: cannot be written (%s); the recording stops here\n", file_name,
                strerror(errno));
        fclose(out);
        out = nullptr;
        mode = MODE_OFF;
    }
}

/// 1 when event lines are written: to a recording, or to a copy outside a
/// replay.
bool recording_writing() {
    return mode == MODE_RECORD || (mode == MODE_OFF && copy);
}

/// Where a kept game's tape has ended: the game goes on as one played, its
/// answers written to the copy, once at_tape_end has handed it over. True
/// when that happens now.
bool recording_check_tape_end() {
    if (mode != MODE_REPLAY || !taking_up || next_line != tape_end)
        return false;
    taking_up = false;
    tape_ran_out = true;
    recording_free();
    mode = MODE_OFF;
    depth = 0;
    if (at_tape_end)
        at_tape_end();
    return true;
}

/// True when the answerer answers now, in place of the keyboard: past a
/// kept game's tape, for a routine no other called.
bool recording_answering() {
    return answerer && tape_ran_out && depth == 0 && mode == MODE_OFF;
}

/// The next line of the tape, which must be of `kind`; any other line, or
/// none, ends the program.
recording_line_* recording_take(int kind) {
    recording_line_* line = next_line;
    if (line == tape_end && left_at) {
        printf("cave: replay stopped where its game was left\n");
        recording_stop(0);
    }
    if (line == tape_end)
        recording_fail("the recording ends before the game does (after line %d)", last_number);
    if (line->kind != kind)
        recording_fail("line %d does not fit the game, which waits for %s there, not \"%s\" "
                       "(made by another version of the game?)",
                       line->number, words[kind].wanted, words[line->kind].word);
    next_line = line + 1;
    last_number = line->number;
    return line;
}

/// Sleeps `ms` on the replay's clock.
void recording_sleep(int ms) {
    if (clock_sleep) {
        clock_sleep(ms);
        return;
    }
    const timespec slice = {0, ms * 1000000L};
    nanosleep(&slice, nullptr);
}

/// True the first time `scancode` is seen down since it was last up.
bool recording_went_down(int scancode) {
    const bool down = key[scancode] != 0, fresh = down && !keys_down[scancode];
    keys_down[scancode] = down;
    return fresh;
}

/// The pause at speed step `shift`: the first pause (or the standard one
/// for a replay begun without pauses) halved `shift` times, or doubled.
int recording_pause_at(int shift) {
    const int base = first_pause_ms > 0 ? first_pause_ms : standard_pause_ms;
    const long long pause = shift >= 0
                                ? (shift >= 31 ? 0 : base >> shift)
                                : static_cast<long long>(base) << (-shift > 20 ? 20 : -shift);
    return pause > longest_pause_ms ? longest_pause_ms : static_cast<int>(pause);
}

/// Says what the replay does in the window title, after the game's name,
/// and on the screen itself (full screen hides the title); "" says nothing.
void recording_tell(const char* text) {
    if (strcmp(text, title) == 0)
        return;
    snprintf(title, sizeof title, "%s", text);
    char window[sizeof title + 32];
    snprintf(window, sizeof window, "The Wizard's Cave%s%s", title[0] ? " - " : "", title);
    set_window_title(window);
    display_set_note(title);
}

/// Tells what the replay does: "replay", "replay - paused", "replay - 4x",
/// "replay - 1/2x" or "replay - full speed".
void recording_show_title() {
    char text[sizeof title];
    if (paused)
        snprintf(text, sizeof text, "replay - paused");
    else if (pause_ms == 0)
        snprintf(text, sizeof text, "replay - full speed");
    else if (speed_shift == 0)
        snprintf(text, sizeof text, "replay");
    else if (speed_shift > 0)
        snprintf(text, sizeof text, "replay - %dx", 1 << speed_shift);
    else
        snprintf(text, sizeof text, "replay - 1/%dx", 1 << -speed_shift);
    recording_tell(text);
}

/// Acts on the viewer's keys: Space pauses or resumes, + halves the pause
/// and - doubles it (within 0 to 2000 ms). True when the right arrow asks
/// for one step.
bool recording_controls() {
    if (recording_went_down(KEY_SPACE))
        paused = !paused;
    const bool faster = recording_went_down(KEY_EQUALS) | recording_went_down(KEY_PLUS_PAD);
    const bool slower = recording_went_down(KEY_MINUS) | recording_went_down(KEY_MINUS_PAD);
    if (faster && recording_pause_at(speed_shift + 1) < pause_ms)
        pause_ms = recording_pause_at(++speed_shift);
    if (slower && recording_pause_at(speed_shift - 1) > pause_ms)
        pause_ms = recording_pause_at(--speed_shift);
    recording_show_title();
    return recording_went_down(KEY_RIGHT);
}

/// In the real window, the pause before a replayed answer (none for the same
/// answer again, as a key held in a loop gives), during which the viewer's
/// keys steer the replay and Escape on the real keyboard stops it.
void recording_pause(int kind, long long value) {
    if (taking_up && idle)
        idle(); // no pauses, but a request to end the program is heard
    bool again = kind == last_kind && value == last_value;
    last_kind = kind;
    last_value = value;
    for (int waited = 0; watching; waited += pause_slice_ms) {
        if (idle)
            idle();
        if (key[KEY_ESC]) {
            printf("cave: replay stopped\n");
            recording_stop(0);
        }
        const bool step = recording_controls();
        if (paused ? step : again || waited >= pause_ms)
            return;
        recording_sleep(pause_slice_ms);
    }
}

} // namespace

int recording_start(const char* path) {
    snprintf(file_name, sizeof file_name, "%s", path);
    safefile_release(&out_place);
    int error = safefile_resolve(path, &out_place);
    struct stat info;
    if (!error && fstatat(out_place.folder, out_place.name, &info, AT_SYMLINK_NOFOLLOW) == 0)
        error = !S_ISREG(info.st_mode)                                          ? EISDIR
                : faccessat(out_place.folder, out_place.name, W_OK, AT_EACCESS) ? errno
                                                                                : 0;
    if (error) {
        safefile_release(&out_place);
        return recording_refuse("cannot be written: %s",
                                error == EISDIR ? "not a file" : strerror(error));
    }
    // The file itself is made or emptied only once the first game's name is
    // typed, so that a run that ends before loses no earlier one.
    held_back.clear();
    mode = MODE_RECORD;
    depth = 0;
    return 1;
}

void recording_name_given() {
    if (mode == MODE_RECORD && !out && out_place.folder >= 0)
        recording_open();
}

int recording_load(const char* path, int pause, int watch) {
    snprintf(file_name, sizeof file_name, "%s", path);
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return recording_refuse("cannot be read: %s", strerror(errno));
    int ok = recording_load_open(fd, path, pause, watch);
    close(fd);
    return ok;
}

int recording_load_open(int fd, const char* name, int pause, int watch) {
    snprintf(file_name, sizeof file_name, "%s", name);
    recording_free();
    taking_up = tape_ran_out = false;
    recording_file_ file = {};
    int ok = recording_read_file(fd, &file) && recording_check_version(&file) &&
             recording_read_lines(&file);
    free(file.bytes);
    if (!ok) {
        recording_free();
        version = RECORDING_VERSION;
        return 0;
    }
    next_line = tape;
    last_number = 1;
    pause_ms = first_pause_ms = pause;
    for (speed_shift = 0; pause == 0 && recording_pause_at(speed_shift) > 0;)
        speed_shift++; // begun without pauses: the step where they end
    paused = false;
    watching = watch;
    last_kind = -1;
    memset(keys_down, 0, sizeof keys_down);
    title[0] = 0; // told at the first pause, when the window is there
    mode = MODE_REPLAY;
    return 1;
}

int recording_take_up(int fd, const char* name, void (*at_end)(), long long* whole) {
    if (!recording_load_open(fd, name, 0, 0))
        return 0;
    taking_up = true;
    tape_ran_out = false;
    at_tape_end = at_end;
    *whole = whole_bytes;
    return 1;
}

int recording_taking_up() {
    return mode == MODE_REPLAY && taking_up;
}

void recording_set_answerer(int (*answer)(int kind, int scancode)) {
    answerer = answer;
}

int recording_finish() {
    int whole = 1;
    if (mode == MODE_REPLAY && next_line != tape_end && !taking_up) {
        recording_refuse("the games ended before the recording did (at line %d)",
                         int(next_line->number));
        whole = 0;
    }
    if (title[0])
        recording_tell(""); // the replay's state goes with it
    if (out)
        fclose(out);
    out = nullptr;
    safefile_release(&out_place);
    held_back.clear();
    recording_free();
    mode = MODE_OFF;
    version = RECORDING_VERSION;
    depth = 0;
    taking_up = tape_ran_out = false;
    at_tape_end = nullptr;
    return whole;
}

int recording_upcoming(long long* value, int* held) {
    if (mode != MODE_REPLAY || next_line == tape_end)
        return -1;
    *value = recording_value(next_line);
    *held = next_line->held;
    return next_line->kind;
}

int recording_replaying() {
    return mode == MODE_REPLAY;
}

int recording_asks_to_end() {
    return mode != MODE_REPLAY || version >= asking_version;
}

unsigned recording_game_seed(unsigned planned) {
    recording_check_tape_end();
    if (mode == MODE_REPLAY)
        return static_cast<unsigned>(recording_value(recording_take(REC_GAME)));
    if (recording_writing())
        recording_write(REC_GAME, planned, 0);
    return planned;
}

int recording_replayed(recording_kind kind, int* answer) {
    recording_check_tape_end();
    if (mode != MODE_REPLAY && recording_answering()) {
        *answer = answerer(kind, 0);
        if (recording_writing())
            recording_write(kind, *answer, 0);
        return 1;
    }
    if (mode != MODE_REPLAY) {
        depth++;
        return 0;
    }
    recording_line_* line = recording_take(kind);
    if (kind == REC_RELEASE)
        last_kind = -1; // the same key again after a release is a new press
    else
        recording_pause(kind, line->value);
    *answer = static_cast<int>(line->value);
    return 1;
}

int recording_kept(recording_kind kind, int answer) {
    depth--;
    if (recording_writing() && depth == 0)
        recording_write(kind, answer, 0);
    return answer;
}

int recording_look(int scancode, int held) {
    if (recording_check_tape_end())
        held = key[scancode] ? 1 : 0; // as the key is once handed over, not before
    if (recording_answering())
        held = answerer(REC_HELD, scancode) != 0;
    if (mode == MODE_REPLAY) {
        recording_line_* line = recording_take(REC_HELD);
        if (line->value != scancode)
            recording_fail("line %d does not fit the game, which looks at key %d there, not %lld",
                           int(line->number), scancode, static_cast<long long>(line->value));
        return line->held;
    }
    if (recording_writing() && depth == 0)
        recording_write(REC_HELD, scancode, held);
    return held;
}

void recording_note_left() {
    if (recording_writing())
        recording_write(REC_LEFT, 0, 0);
}

int recording_copy_to(FILE* to) {
    const int whole = copy_whole;
    copy = to;
    copy_whole = true;
    return whole;
}

void recording_set_idle(void (*run)()) {
    idle = run;
}

void recording_set_clock(void (*sleep)(int ms)) {
    clock_sleep = sleep;
}

const char* recording_title() {
    return title;
}

int recording_watched() {
    return mode == MODE_REPLAY && watching;
}

void recording_show_end(int on) {
    recording_tell(on ? "the replay has ended, press a key" : "");
}

void recording_set_stop(void (*stop)(int status)) {
    stop_hook = stop;
}

namespace {

/// The tape as it was set aside: what a recording being written needs to
/// go on afterwards (the replay's own state is not kept: nothing is set
/// aside during a replay).
struct recording_aside_ {
    bool held = false;
    recording_mode mode = MODE_OFF;
    char file_name[sizeof ::file_name] = "";
    FILE* out = nullptr;
    safefile_place_ out_place = {-1, ""};
    std::string held_back;
    int depth = 0;
    FILE* copy = nullptr;
    bool copy_whole = true;
};
recording_aside_ aside;

} // namespace

int recording_set_aside() {
    if (mode == MODE_REPLAY || aside.held)
        return 0;
    aside.held = true;
    aside.mode = mode;
    memcpy(aside.file_name, file_name, sizeof file_name);
    aside.out = out;
    aside.out_place = out_place;
    aside.held_back.swap(held_back);
    aside.depth = depth;
    aside.copy = copy;
    aside.copy_whole = copy_whole;
    mode = MODE_OFF;
    out = copy = nullptr;
    out_place = {-1, ""};
    depth = 0;
    copy_whole = true;
    return 1;
}

void recording_take_back() {
    if (!aside.held)
        return;
    if (title[0])
        recording_tell(""); // the replay's state goes with it
    recording_free();
    version = RECORDING_VERSION;
    mode = aside.mode;
    memcpy(file_name, aside.file_name, sizeof file_name);
    out = aside.out;
    out_place = aside.out_place;
    held_back.swap(aside.held_back);
    depth = aside.depth;
    copy = aside.copy;
    copy_whole = aside.copy_whole;
    aside = recording_aside_();
}
