// sound_capture: the library's own mixer, played into memory instead of a
// sound card, for the headless library (tests and the level measurement).
#pragma once

#include <cstdint>

/// The rate and channels the captured mix comes at (16-bit signed stereo).
constexpr int SOUND_CAPTURE_RATE = 44100;

/// Offers the capture driver as the only sound device of the headless
/// library (installed with SYSTEM_NONE); 0 under any other system driver.
/// Call it before the sound is installed.
int sound_capture_offer();

/// Mixes the next `frames` stereo frames of whatever plays into `out`
/// (2 * frames samples, left then right); 0 when the capture driver is
/// not the one installed.
int sound_capture_mix(int16_t* out, int frames);

/// How loud a captured mix is: RMS and peak in dBFS (against 32768), and
/// the samples at full scale.
struct sound_capture_level_ {
    double rms_db;
    double peak_db;
    long clipped;
};

/// Measures `count` captured samples.
sound_capture_level_ sound_capture_measure(const int16_t* mix, long count);
