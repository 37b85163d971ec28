// sound: the looping music of the title, play and end screens.
#pragma once

/// Installs sound if a device exists and `silent` is 0; otherwise the game
/// runs silent.
void sound_init(int silent);

/// Stops the current music and plays the named WAV file looping.
void sound_play_music(const char* name);

/// Stops the current music (the sample is kept until replaced).
void sound_stop_music();

/// Stops and frees the current music sample.
void sound_release();
