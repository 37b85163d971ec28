// sound: one looping music sample at a time; silent when there is no sound
// device.
#include "shell/sound.h"

#include <allegro.h>

#include "shell/assets.h"

namespace {
bool sound_ready = false;
SAMPLE* music = nullptr;
} // namespace

void sound_init(int silent) {
    if (silent)
        return;
    detect_digi_driver(DIGI_AUTODETECT);
    // Without a sound device the library installs its silent driver and
    // still succeeds; then there is no point in loading the music at all.
    sound_ready = install_sound(DIGI_AUTODETECT, MIDI_NONE, "") == 0 && digi_driver &&
                  digi_driver->id != DIGI_NONE;
}

void sound_stop_music() {
    if (sound_ready && music)
        stop_sample(music);
}

void sound_release() {
    sound_stop_music();
    if (music)
        destroy_sample(music);
    music = nullptr;
}

void sound_play_music(const char* name) {
    sound_release();
    if (!sound_ready)
        return;
    music = load_sample(assets_path(name).c_str());
    if (music)
        play_sample(music, 128, 128, 1000, 1);
}
