// music_level: how loud the music is as a player hears it. Each loop is
// played by the game's own sound module through the library's own mixer
// (the capture driver stands in for the sound card), one whole loop is
// mixed, and its level is printed: RMS and peak in dBFS and the number of
// samples at full scale. The mix is also written as a WAV file, so that any
// audio tool (sox FILE -n stats) can check the figures.
//
// Usage: cave_music_level [data-folder] [out-folder]
//        (defaults: the working folder, and no WAV files)
#include <allegro.h>
#include <cstdio>
#include <string>
#include <vector>

#include "main/game.h"
#include "platform/sound_capture.h"
#include "shell/assets.h"
#include "shell/sound.h"

namespace {

/// Writes a 16-bit stereo WAV file of the mix; false when it cannot.
bool level_write_wav(const std::string& path, const std::vector<int16_t>& mix) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const unsigned data = static_cast<unsigned>(mix.size() * 2), rate = SOUND_CAPTURE_RATE;
    // "RIFF" size "WAVE", "fmt " 16: PCM, 2 channels, rate, bytes a second,
    // 4 bytes a frame, 16 bits; "data" size (little-endian words, as on x86)
    const unsigned head[] = {0x46464952u, 36 + data, 0x45564157u, 0x20746d66u, 16,  0x00020001u,
                             rate,        rate * 4,  0x00100004u, 0x61746164u, data};
    bool ok =
        fwrite(head, sizeof head, 1, f) == 1 && fwrite(mix.data(), 2, mix.size(), f) == mix.size();
    return fclose(f) == 0 && ok;
}

} // namespace

/// Prints the level of each music loop as the mixer plays it.
int main(int argc, char** argv) {
    if (argc > 1)
        assets_set_folder(argv[1]);
    const std::string out = argc > 2 ? argv[2] : "";
    if (!game_init_headless() || !sound_capture_offer()) {
        fprintf(stderr, "cave_music_level: the headless library did not start\n");
        return 1;
    }
    sound_init(0);
    printf("loop        RMS dBFS  peak dBFS  clipped  (through the mixer, volume 128, centre)\n");
    int status = 0;
    for (const char* name : {"lugn.wav", "quiet.wav", "end.wav"}) {
        const std::vector<int16_t> mix = sound_mix_loop(name);
        if (mix.empty()) {
            printf("%-10s  not played\n", name);
            status = 1;
            continue;
        }
        const sound_capture_level_ l = sound_capture_measure(mix.data(), long(mix.size()));
        printf("%-10s  %8.2f  %9.2f  %7ld\n", name, l.rms_db, l.peak_db, l.clipped);
        if (!out.empty() && !level_write_wav(out + "/mixed_" + name, mix)) {
            fprintf(stderr, "cave_music_level: cannot write %s/mixed_%s\n", out.c_str(), name);
            status = 1;
        }
    }
    sound_release();
    remove_sound();
    return status;
}
