// sound_capture: a sound driver made of the library's software mixer alone.
// Every real driver of the library on this system hands its voices to the
// same mixer and copies its output to the card; this one leaves the output in
// memory, where it is read a block at a time. The headless library has no
// sound driver and no threads, so it also gets a single-thread mutex.
#include "platform/sound_capture.h"

#include <allegro.h>
#include <algorithm>
#include <cmath>
#include <allegro/internal/aintern.h>

namespace {

/// The mixer's block: 1024 samples, that is 512 stereo frames.
constexpr int capture_block = 1024;

/// Whether the mixer was set up by our driver.
bool capture_running = false;

/// The last mixed block and how much of it was handed out.
uint16_t block[capture_block];
int used = capture_block;

/// Sets up the mixer as a real driver would: 16-bit stereo at our rate.
int capture_init(int, int voices) {
    int v = voices;
    if (_mixer_init(capture_block, SOUND_CAPTURE_RATE, 1, 1, &v) != 0)
        return -1;
    digi_driver->voices = v;
    capture_running = true;
    used = capture_block;
    return 0;
}

/// Closes the mixer.
void capture_exit(int) {
    _mixer_exit();
    capture_running = false;
}

/// Always present.
int capture_detect(int) {
    return 1;
}

/// The size of a mixed block, in samples.
int capture_buffer_size() {
    return capture_block;
}

/// The driver: our set-up, and the mixer's own voices.
// clang-format off
DIGI_DRIVER capture_driver = {
    AL_ID('C', 'A', 'P', 'T'), "capture", "capture", "capture", 0, 0, MIXER_MAX_SFX,
    MIXER_DEF_SFX,
    capture_detect, capture_init, capture_exit, nullptr, nullptr,           // set-up
    nullptr, nullptr, capture_buffer_size,                                   // streams
    _mixer_init_voice, _mixer_release_voice, _mixer_start_voice,             // voices
    _mixer_stop_voice, _mixer_loop_voice,
    _mixer_get_position, _mixer_set_position,                                // position
    _mixer_get_volume, _mixer_set_volume, _mixer_ramp_volume,                // volume
    _mixer_stop_volume_ramp,
    _mixer_get_frequency, _mixer_set_frequency, _mixer_sweep_frequency,      // pitch
    _mixer_stop_frequency_sweep,
    _mixer_get_pan, _mixer_set_pan, _mixer_sweep_pan, _mixer_stop_pan_sweep, // pan
    _mixer_set_echo, _mixer_set_tremolo, _mixer_set_vibrato,                 // effects
    0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};             // no input
// clang-format on

// driver id                  driver           autodetect
_DRIVER_INFO capture_list[] = {{AL_ID('C', 'A', 'P', 'T'), &capture_driver, TRUE}, {0, nullptr, 0}};

/// The sound drivers the headless library offers: ours alone.
_DRIVER_INFO* capture_drivers() {
    return capture_list;
}

/// The one mutex of a program with one thread: nothing to lock.
int capture_mutex;
void* capture_mutex_create() {
    return &capture_mutex;
}
void capture_mutex_other(void*) {}

} // namespace

int sound_capture_offer() {
    if (!system_driver || system_driver->id != SYSTEM_NONE)
        return 0;
    system_driver->digi_drivers = capture_drivers;
    system_driver->create_mutex = capture_mutex_create;
    system_driver->destroy_mutex = capture_mutex_other;
    system_driver->lock_mutex = capture_mutex_other;
    system_driver->unlock_mutex = capture_mutex_other;
    return 1;
}

int sound_capture_mix(int16_t* out, int frames) {
    if (!capture_running || digi_driver != &capture_driver)
        return 0;
    // What is left of the last block comes first, so no sample is lost.
    for (int done = 0; done < frames * 2; done++) {
        if (used == capture_block) {
            // The mixer writes unsigned samples unless told they are signed.
            _mix_some_samples(reinterpret_cast<uintptr_t>(block), 0, 1);
            used = 0;
        }
        out[done] = static_cast<int16_t>(block[used++]);
    }
    return 1;
}

sound_capture_level_ sound_capture_measure(const int16_t* mix, long count) {
    double sum = 0, peak = 0;
    long clipped = 0;
    for (long i = 0; i < count; i++) {
        const double x = mix[i] / 32768.0;
        sum += x * x;
        peak = std::max(peak, std::fabs(x));
        clipped += (mix[i] == 32767 || mix[i] == -32768) ? 1 : 0;
    }
    const double n = count > 0 ? static_cast<double>(count) : 1.0;
    return {10 * std::log10(sum / n + 1e-20), 20 * std::log10(peak + 1e-10), clipped};
}
