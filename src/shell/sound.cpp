// sound: one looping music sample at a time; silent when there is no sound
// device. Every sample is checked by the game before the library sees it:
// the library's WAV reader believes every number in the file, and its mixer
// falls over on a rate it cannot play, so a file that is not plainly right
// stays silent instead.
#include "shell/sound.h"

#include <allegro.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/safefile.h"
#include "platform/sound_capture.h"
#include "shell/assets.h"
#include "shell/keyboard.h"
#include "tape/settings.h"

namespace {
bool sound_ready = false;
SAMPLE* music = nullptr;

/// The loop the game plays now ("" when none), and whether the player has
/// the music on: switched off, the loop is only remembered, so that the
/// switch brings back what the game plays by then.
std::string music_name;
bool music_on = true;
bool music_held = false; // a game played back to be taken up: silent

/// The names of the broken samples already reported on stderr.
std::vector<std::string> reported;

// The largest sample file the game loads, and the rates it plays.
const int64_t WAV_MAX_SIZE = int64_t(32) << 20;
const uint32_t WAV_MIN_RATE = 1000;
const uint32_t WAV_MAX_RATE = 192000;

/// Reads a little-endian number of `n` bytes (at most 4), unsigned, so that
/// every machine checks exactly as this one does.
uint32_t wav_le(const unsigned char* p, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; i--)
        v = (v << 8) | p[i];
    return v;
}

/// True if the 16 bytes of a format chunk say plain PCM, 1 or 2 channels of
/// 8 or 16 bits at a rate the mixer plays, with the sizes that follow.
bool wav_format_is_sound(const unsigned char* fmt) {
    uint32_t channels = wav_le(fmt + 2, 2), rate = wav_le(fmt + 4, 4);
    uint32_t bits = wav_le(fmt + 14, 2), frame = wav_le(fmt + 12, 2);
    return wav_le(fmt, 2) == 1 && (channels == 1 || channels == 2) && (bits == 8 || bits == 16) &&
           rate >= WAV_MIN_RATE && rate <= WAV_MAX_RATE && frame == channels * bits / 8 &&
           wav_le(fmt + 8, 4) == rate * frame;
}

/// Walks the chunks after the RIFF header as the library reads them: one
/// after the other up to the data chunk, where it stops reading (so no pad
/// byte may come before it), each inside the file; one format chunk must come
/// before the one data chunk of whole frames, and the chunks must end where
/// the file ends. After the data chunk an odd-length chunk may be followed by
/// its RIFF pad byte.
bool wav_chunks_are_sound(FILE* f, int64_t size) {
    int64_t at = 12;
    uint32_t frame = 0, data = 0;
    while (at < size) {
        unsigned char head[8], fmt[16];
        if (at + 8 > size || fseek(f, long(at), SEEK_SET) != 0 || fread(head, 1, 8, f) != 8)
            return false;
        uint32_t length = wav_le(head + 4, 4);
        if (int64_t(length) > size - at - 8)
            return false;
        if (memcmp(head, "fmt ", 4) == 0) {
            if (frame || data || length < 16 || fread(fmt, 1, 16, f) != 16 ||
                !wav_format_is_sound(fmt))
                return false;
            frame = wav_le(fmt + 12, 2);
        } else if (memcmp(head, "data", 4) == 0) {
            if (!frame || data || length < frame || length % frame)
                return false;
            data = length;
        }
        at += 8 + int64_t(length);
        if (data && length % 2 && at < size)
            at++; // the pad byte after an odd chunk
    }
    return data > 0 && at == size;
}

/// Names a broken sample on stderr the first time it is met.
void sound_report_broken(const char* name) {
    for (const std::string& done : reported)
        if (done == name)
            return;
    reported.push_back(name);
    fprintf(stderr, "cave: the music %s is missing or damaged; it stays silent\n", name);
}
} // namespace

int sound_wav_is_sound(const char* path) {
    int64_t size = 0;
    FILE* f = safefile_open_plain(path, &size);
    if (!f)
        return 0;
    unsigned char riff[12];
    bool sound = size >= 12 && size <= WAV_MAX_SIZE && fread(riff, 1, 12, f) == 12 &&
                 memcmp(riff, "RIFF", 4) == 0 && memcmp(riff + 8, "WAVE", 4) == 0 &&
                 int64_t(wav_le(riff + 4, 4)) == size - 8 && wav_chunks_are_sound(f, size);
    fclose(f);
    return sound ? 1 : 0;
}

SAMPLE* sound_load(const char* name) {
    const std::string path = assets_path(name);
    SAMPLE* sample = sound_wav_is_sound(path.c_str()) ? load_sample(path.c_str()) : nullptr;
    if (!sample)
        sound_report_broken(name);
    return sample;
}

void sound_init(int silent) {
    // M is the music switch in a silent run too, so that it never counts as
    // any key, whatever the run plays.
    static const zelkokey_switch_ music_switch = {KEY_M, 0, 0, sound_switch_music};
    zelkokey_add_switch(&music_switch);
    if (silent)
        return;
    detect_digi_driver(DIGI_AUTODETECT);
    // The game plays one sample at a time, so that voice may use the
    // mixer's whole range instead of a share kept for others.
    set_volume_per_voice(0);
    // Without a sound device the library installs its silent driver and
    // still succeeds; then there is no point in loading the music at all.
    sound_ready = install_sound(DIGI_AUTODETECT, MIDI_NONE, "") == 0 && digi_driver &&
                  digi_driver->id != DIGI_NONE;
}

void sound_stop_music() {
    music_name.clear();
    if (sound_ready && music)
        stop_sample(music);
}

/// Loads and plays the remembered loop, when the music is on.
static void sound_start_music() {
    if (!sound_ready || !music_on || music_held || music_name.empty())
        return;
    music = sound_load(music_name.c_str());
    if (music)
        play_sample(music, 128, 128, 1000, 1);
}

/// Silences the music (`quiet`) keeping the name of the loop the game plays,
/// or starts that loop again when nothing plays.
static void sound_quiet(bool quiet) {
    if (quiet) {
        const std::string keep = music_name;
        sound_release();
        music_name = keep;
    } else if (!music) {
        sound_start_music();
    }
}

/// Puts the music on or off; switched on, the loop the game plays by then
/// comes back.
static void sound_music_to(bool on) {
    music_on = on;
    sound_quiet(!music_on);
}

void sound_switch_music() {
    sound_music_to(!music_on);
    settings_keep_music(music_on); // the next run starts as this one is left
}

void sound_set_music_on(int on) {
    sound_music_to(on != 0);
}

const char* sound_music_name() {
    return music_name.c_str();
}

void sound_hold(int on) {
    music_held = on != 0;
    sound_quiet(music_held);
}

int sound_music_is_on() {
    return music_on ? 1 : 0;
}

void sound_release() {
    sound_stop_music();
    if (music)
        destroy_sample(music);
    music = nullptr;
}

void sound_play_music(const char* name) {
    sound_release();
    music_name = name;
    sound_start_music();
}

std::vector<int16_t> sound_mix_loop(const char* name) {
    SAMPLE* probe = sound_load(name); // only for its length
    if (!probe)
        return {};
    const long frames =
        static_cast<long>(static_cast<double>(probe->len) * SOUND_CAPTURE_RATE / probe->freq);
    destroy_sample(probe);
    sound_play_music(name);
    std::vector<int16_t> mix(static_cast<size_t>(frames) * 2);
    if (!sound_capture_mix(mix.data(), static_cast<int>(frames)))
        mix.clear();
    sound_stop_music();
    return mix;
}
