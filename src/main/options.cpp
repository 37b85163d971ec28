// options: the game's command line, in the usual GNU style: long options
// with "--name VALUE" or "--name=VALUE", a few short ones, "--" ending them.
#include "main/options.h"

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#ifndef CAVE_VERSION
#define CAVE_VERSION "1.0"
#endif

namespace {

/// The options: what each is called and where its value goes.
enum option_kind { OPT_FLAG, OPT_TEXT, OPT_SEED, OPT_DELAY, OPT_SCALE };

struct option_entry {
    const char* long_name; // without the leading "--"
    char short_name;       // 0: none
    option_kind kind;      // flag, or the kind of value it takes
    int flag_value;        // value a flag stores
    size_t offset;         // where in options_ it goes
};

// long name       short kind       flag  field
const option_entry option_table[] = {
    {"help", 'h', OPT_FLAG, 1, offsetof(options_, help)},
    {"version", 0, OPT_FLAG, 1, offsetof(options_, version)},
    {"windowed", 'w', OPT_FLAG, 1, offsetof(options_, windowed)},
    {"fullscreen", 0, OPT_FLAG, 0, offsetof(options_, windowed)},
    {"silent", 0, OPT_FLAG, 1, offsetof(options_, silent)},
    {"data", 0, OPT_TEXT, 0, offsetof(options_, data)},
    {"seed", 0, OPT_SEED, 0, offsetof(options_, seed)},
    {"record", 0, OPT_TEXT, 0, offsetof(options_, record)},
    {"replay", 0, OPT_TEXT, 0, offsetof(options_, replay)},
    {"replay-delay", 0, OPT_DELAY, 0, offsetof(options_, replay_delay)},
    {"scale", 0, OPT_SCALE, 0, offsetof(options_, scale)},
};

/// Says what is wrong with the command line; returns the exit status 2.
int options_complain(const char* what, const char* arg) {
    fprintf(stderr, "cave: %s '%s'; try 'cave --help'\n", what, arg);
    return 2;
}

/// The entry of a long option name (up to `len` characters), or null.
const option_entry* options_find_long(const char* name, size_t len) {
    for (const option_entry& e : option_table)
        if (strlen(e.long_name) == len && strncmp(e.long_name, name, len) == 0)
            return &e;
    return nullptr;
}

/// The entry of a short option letter, or null.
const option_entry* options_find_short(char letter) {
    for (const option_entry& e : option_table)
        if (e.short_name != 0 && e.short_name == letter)
            return &e;
    return nullptr;
}

/// Reads a whole decimal number from `text` within [low, high].
bool options_read_number(const char* text, long long low, long long high, long long* out) {
    if (*text == '\0' || *text == '-' || *text == '+' || *text == ' ')
        return false;
    errno = 0;
    char* end = nullptr;
    long long value = strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < low || value > high)
        return false;
    *out = value;
    return true;
}

/// Reads the picture scale, a decimal number from 0.5 to 8.
int options_read_scale(const char* value, options_* out) {
    char* end = nullptr;
    double scale = strtod(value, &end);
    if (*value == '\0' || *value == ' ' || *end != '\0' || !(scale >= 0.5 && scale <= 8))
        return options_complain("the scale must be a number from 0.5 to 8, not", value);
    out->scale = scale;
    return 0;
}

/// Stores `value` for option `e` into `out`; returns 0 or the exit status 2.
int options_store(const option_entry& e, const char* value, options_* out) {
    char* field = reinterpret_cast<char*>(out) + e.offset;
    long long number = 0;
    switch (e.kind) {
    case OPT_FLAG:
        *reinterpret_cast<int*>(field) = e.flag_value;
        return 0;
    case OPT_TEXT:
        if (*value == '\0')
            return options_complain("an empty value for", e.long_name);
        *reinterpret_cast<const char**>(field) = value;
        return 0;
    case OPT_SEED:
        if (!options_read_number(value, 0, UINT_MAX, &number))
            return options_complain("the seed must be a whole number from 0 to 4294967295, not",
                                    value);
        out->seed = static_cast<unsigned>(number);
        out->has_seed = 1;
        return 0;
    case OPT_DELAY:
        if (!options_read_number(value, 0, 60000, &number))
            return options_complain("the replay delay must be from 0 to 60000 ms, not", value);
        out->replay_delay = static_cast<int>(number);
        return 0;
    case OPT_SCALE:
        return options_read_scale(value, out);
    }
    return 2;
}

/// Handles one "--name" or "--name=value" at argv[*i]; may take argv[*i + 1].
int options_parse_long(int argc, char** argv, int* i, options_* out) {
    const char* arg = argv[*i] + 2;
    const char* equals = strchr(arg, '=');
    size_t len = equals ? static_cast<size_t>(equals - arg) : strlen(arg);
    const option_entry* e = options_find_long(arg, len);
    if (!e)
        return options_complain("unknown option", argv[*i]);
    if (e->kind == OPT_FLAG)
        return equals ? options_complain("no value is taken by", argv[*i])
                      : options_store(*e, nullptr, out);
    if (equals)
        return options_store(*e, equals + 1, out);
    if (*i + 1 >= argc)
        return options_complain("a value is missing after", argv[*i]);
    return options_store(*e, argv[++*i], out);
}

/// Handles a group of short flags such as "-w" or "-hw".
int options_parse_short(char** argv, int i, options_* out) {
    for (const char* c = argv[i] + 1; *c; c++) {
        const option_entry* e = options_find_short(*c);
        if (!e || e->kind != OPT_FLAG)
            return options_complain("unknown option", argv[i]);
        options_store(*e, nullptr, out);
    }
    return 0;
}

} // namespace

int options_parse(int argc, char** argv, options_* out) {
    *out = options_{};
    out->replay_delay = OPTIONS_DEFAULT_REPLAY_DELAY;
    for (int i = 1; i < argc; i++) {
        const char* arg = argv[i];
        int status = 0;
        if (strcmp(arg, "--") == 0) {
            if (i + 1 < argc)
                return options_complain("unexpected argument", argv[i + 1]);
            break;
        }
        if (strncmp(arg, "--", 2) == 0)
            status = options_parse_long(argc, argv, &i, out);
        else if (arg[0] == '-' && arg[1] != '\0')
            status = options_parse_short(argv, i, out);
        else
            status = options_complain("unexpected argument", arg);
        if (status != 0)
            return status;
    }
    return 0;
}

void options_print_usage(FILE* to) {
    fputs("Usage: cave [OPTION]...\n"
          "The Wizard's Cave: a turn-based dungeon game, played with the keyboard.\n"
          "\n"
          "  -w, --windowed       play in a window, the largest of 0.5, 0.75, 1, 1.25,\n"
          "                       1.5, 2, 2.5, 3 or 4 x 1024x768 within 90% of the screen\n"
          "      --fullscreen     play full screen at the screen's own size (the default)\n"
          "      --scale F        show the 1024x768 picture F times as large, F from 0.5\n"
          "                       to 8, decimals allowed (default: as large as fits)\n"
          "      --data DIR       read the pictures and samples from DIR\n"
          "                       (default: the working folder)\n"
          "      --silent         play without sound\n"
          "      --seed N         the first game's cave is seed N, the next N+1, ...\n"
          "      --record FILE    write the seeds and keys of the games to FILE\n"
          "      --replay FILE    play a recording back\n"
          "      --replay-delay MS  pause between replayed keys (default 150)\n"
          "  -h, --help           show this help and exit\n"
          "      --version        show the version and exit\n"
          "\n"
          "F11 or Alt+Enter switches between full screen and a window during play.\n"
          "The highscore table, highscore.zelko, is kept in the working folder.\n",
          to);
}

void options_print_version(FILE* to) {
    fprintf(to, "cave (The Wizard's Cave) %s\n", CAVE_VERSION);
}
