// settings: what the player chose, kept for the next run in the small text
// file "settings" in the player's folder (tape/player_folder), one
// "key value" a line:
//
//   screen window|full     F11 or Alt+Enter: a window or full screen
//   window-size WxH        the window's size, as last set by its frame
//   music on|off           M: the music on or off
//
// A setting is written when the player changes it (by its key, or by the
// window's frame), never from the command line. Lines the game does not
// know (empty ones, comments, keys of another version) are kept as they
// are when the file is written again. A damaged file is said once and
// replaced by the defaults.
#pragma once

/// The largest settings file read, in bytes; a larger one is damaged.
enum { SETTINGS_MOST_BYTES = 4096 };

/// The window's largest side a file may name, in pixels.
enum { SETTINGS_MOST_PIXELS = 16384 };

/// The settings as the last run left them.
struct settings_ {
    int windowed;           // 1: a window; 0: full screen (the default)
    int window_w, window_h; // the window's size; 0 x 0: none chosen (the default)
    int music;              // 1: on (the default); 0: off
};

/// Reads the file from the player's folder: the defaults where it says
/// nothing, or when there is no file or no folder. A damaged file (a line
/// that is no "key value", a value the game does not take, over
/// SETTINGS_MOST_BYTES, no plain file) is said on stderr, replaced by the
/// defaults at once, and kept for the screen (settings_trouble).
settings_ settings_load();

/// The player chose a window (1) or full screen (0).
void settings_keep_screen(int windowed);

/// The player gave the window the size w x h by its frame.
void settings_keep_window_size(int w, int h);

/// The player switched the music on (1) or off (0).
void settings_keep_music(int on);

/// What went wrong with the file and has not been shown yet (a damaged file
/// replaced, a file that could not be written), as one line for the
/// screen; "" when nothing. Each trouble is handed out once.
const char* settings_trouble();
