// sound: the looping music of the title, play and end screens.
#pragma once
#include <cstdint>
#include <vector>

struct SAMPLE;

/// Makes M the music switch, and installs sound if a device exists and
/// `silent` is 0; otherwise the game runs silent.
void sound_init(int silent);

/// Stops the current music and plays the named WAV file looping.
void sound_play_music(const char* name);

/// Stops the current music (the sample is kept until replaced).
void sound_stop_music();

/// Stops and frees the current music sample.
void sound_release();

/// The M key: switches the music off or back on (the loop the game plays
/// by then comes back), and keeps the choice in the player's settings.
void sound_switch_music();

/// Puts the music on or off as the player's settings say, at the start.
void sound_set_music_on(int on);

/// The loop the game plays now, even while the music is off ("": none).
const char* sound_music_name();

/// While held (`on` 1), the music the game asks for is only remembered and
/// none plays; let go (0), the loop the game plays by then starts.
void sound_hold(int on);

/// 1 while the player has the music on (the start), 0 once switched off.
int sound_music_is_on();

/// 1 if the file at `path` is a WAV sample the game trusts the library to
/// load and play: plain PCM of 8 or 16 bits, mono or stereo, at a sane rate,
/// laid out exactly as the file's size says and within the size limit.
int sound_wav_is_sound(const char* path);

/// Loads the named sample from the data folder when it passes the check;
/// a broken one gives null and is named on stderr, once per name.
SAMPLE* sound_load(const char* name);

/// Plays the loop `name` once round into memory through the capture driver
/// that stands in for the sound card in the headless library (the level
/// measurement and its test): two samples a frame, left then right; empty
/// when it cannot be played.
std::vector<int16_t> sound_mix_loop(const char* name);
