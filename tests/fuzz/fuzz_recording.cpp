// fuzz_recording: any bytes as a recording to replay. The loader either
// refuses it with a message, or gives a tape that starts with a game and whose
// every answer, replayed in order, is one the loader's rules allow.
#include <allegro.h>
#include <climits>
#include <sys/mman.h>
#include <unistd.h>

#include "fuzz_support.h"
#include "shell/keyboard.h"
#include "tape/recording.h"

namespace {

/// Loads the scratch file with stderr caught in memory; true if it loaded,
/// and *said is set when the loader wrote anything.
bool load_quietly(bool* said) {
    static int caught = memfd_create("recording-messages", MFD_CLOEXEC);
    fuzz_require(caught >= 0 && ftruncate(caught, 0) == 0, "no memory file for the messages");
    int saved = dup(2);
    dup2(caught, 2);
    bool loaded = recording_load(fuzz_scratch(), 0, 0) != 0;
    dup2(saved, 2);
    close(saved);
    *said = lseek(caught, 0, SEEK_END) > 0;
    return loaded;
}

/// Replays one answer of `kind` whose line holds `value` and `held`.
void replay_answer(int kind, long long value, int held) {
    if (kind == REC_GAME) {
        fuzz_require(value >= 0 && value <= UINT_MAX, "a seed out of range");
        fuzz_require(recording_game_seed(0) == unsigned(value), "a seed replays otherwise");
    } else if (kind == REC_HELD) {
        fuzz_require(value >= 1 && value < KEY_MAX && (held == 0 || held == 1),
                     "a held line out of range");
        fuzz_require(recording_look(int(value), 0) == held, "a held key replays otherwise");
    } else {
        int answer = 0;
        fuzz_require(recording_replayed(recording_kind(kind), &answer) == 1 && answer == value,
                     "an answer replays otherwise");
        fuzz_require(kind != REC_KEY || (value >= ZELKOKEY_ESCAPE && value <= ZK_ZAP),
                     "a command key out of range");
        fuzz_require(kind != REC_NUMBER || value >= 0, "a negative number");
        fuzz_require(kind != REC_CHAR || (value >= 0 && value <= 0xffff),
                     "a character out of range");
        fuzz_require(kind == REC_KEY || kind == REC_NUMBER || kind == REC_CHAR || value == 0,
                     "a press or release with a number");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_init("tape.txt");
    fuzz_write_scratch(data, size);
    bool said = false;
    if (!load_quietly(&said)) {
        fuzz_require(said, "a recording refused without a message");
        return 0;
    }
    long long value = 0;
    int held = 0;
    fuzz_require(recording_upcoming(&value, &held) == REC_GAME,
                 "a tape that starts without a game");
    for (int kind; (kind = recording_upcoming(&value, &held)) >= 0;)
        replay_answer(kind, value, held);
    fuzz_require(recording_finish() == 1, "a tape played to its end is not whole");
    return 0;
}
