// music: the synthesiser that turns data/music/*.txt into looping WAV samples.
//
// A music file reads:
//
//   file NAME.wav           output name
//   tempo BPM               beats per minute
//   length BEATS            length of the loop in beats
//   echo BEATS FEEDBACK     optional echo: delay in beats, feedback 0..1
//   voice INSTRUMENT VOLUME a voice, followed by its notes on the next lines
//
// Notes are NAME:BEATS tokens: C4:1, F#3:0.5, Bb2:2, a chord C3+E3+G3:4, a
// rest r:2. A voice's notes repeat from its start until the loop is full.
// Instruments: pad, bell, pluck, bass, flute, drone. Every sound is rendered
// round the loop, so a note that rings past the end carries on at the start
// and the loop has no seam. The loop then fades in and out over its first
// and last 20 ms, so that it starts and ends on silence: no click when the
// music starts, and a seam from silence to silence. Every loop is mastered
// to the same peak, -1 dBFS.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

/// The sample rate of the music files.
constexpr int MUSIC_RATE = 22050;

/// A rendered loop and the name of its file.
struct music_loop {
    std::string file;
    std::vector<int16_t> samples;
};

/// Reads and renders one music file; false (with a message) on an error.
bool music_render_file(const std::string& path, music_loop& out);
