// fuzz_sample: any bytes as a music file. The check never crashes, and a
// file it lets through is one the library loads as the check read it: the
// rate, depth and channels of its format chunk and the frames of its data.
#include <allegro.h>
#include <cstring>

#include "fuzz_support.h"
#include "shell/sound.h"

namespace {
/// A little-endian number of `n` bytes.
long le(const uint8_t* p, int n) {
    long v = 0;
    for (int i = n - 1; i >= 0; i--)
        v = (v << 8) | p[i];
    return v;
}

/// The format chunk of a file the check passed (it lies inside the file).
const uint8_t* format_chunk(const uint8_t* data, size_t size) {
    for (size_t at = 12; at + 8 <= size; at += 8 + size_t(le(data + at + 4, 4)))
        if (memcmp(data + at, "fmt ", 4) == 0)
            return data + at + 8;
    return nullptr;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_init("input.wav");
    fuzz_write_scratch(data, size);
    if (!sound_wav_is_sound(fuzz_scratch()))
        return 0;
    const uint8_t* fmt = format_chunk(data, size);
    fuzz_require(fmt != nullptr, "a sound file without a format chunk");
    SAMPLE* sample = load_sample(fuzz_scratch());
    fuzz_require(sample != nullptr, "the library refuses a file the check passed");
    // The library marks a stereo sample with its own TRUE, which is -1.
    fuzz_require(sample->freq == le(fmt + 4, 4) && sample->bits == le(fmt + 14, 2) &&
                     (sample->stereo != 0) == (le(fmt + 2, 2) == 2) && sample->len > 0,
                 "the library read another format than the check");
    destroy_sample(sample);
    return 0;
}
