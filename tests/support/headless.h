// headless: Allegro without a display for tests, and the scripted keyboard.
//
// headless_init() sets up Allegro with memory bitmaps: `screen` and the back
// buffer `bmp` are 1024 x 768 memory bitmaps, colours are laid out 0xRRGGBB
// as on the real screen, and the picture tables are loaded from the working
// directory (the generated data folder). The scripted keyboard replaces the
// keyboard poll point: each poll applies the next step of the script to
// key[] (and queues its typed character for readkey()).
#pragma once
#include <allegro.h>

#include <functional>
#include <string>
#include <vector>

/// Sets up headless Allegro once per process, then resets the keyboard and
/// clears screen and bmp. Safe to call from every test's SetUp.
void headless_init();

/// The colour of a pixel as 0xRRGGBB.
int pixel_rgb(BITMAP* bitmap, int x, int y);

/// Counts pixels of colour 0xRRGGBB inside a rectangle.
int count_rgb(BITMAP* bitmap, int x, int y, int w, int h, int rgb);

/// The number of pixels in which two bitmaps of the same size differ.
int screens_differ(BITMAP* a, BITMAP* b);

/// 1 if the rectangle holds any pixel of colour 0xRRGGBB.
bool has_rgb(BITMAP* bitmap, int x, int y, int w, int h, int rgb);

/// Renders `text` in the built-in font to a scratch bitmap and tells whether
/// the same glyph pixels of colour `rgb` appear at (x, y) of `bitmap`.
bool has_text(BITMAP* bitmap, const char* text, int x, int y, int rgb);

/// Same for text centred on x (as textout_centre draws it).
bool has_text_centre(BITMAP* bitmap, const char* text, int x, int y, int rgb);

// ---- the scripted keyboard ----

/// Empties the script, releases every key and installs the scripted poll.
void keys_reset();

/// Holds the given keys for one poll, then releases them for one poll.
void keys_press(int scancode);
void keys_hold(const std::vector<int>& scancodes);

/// Holds keys for one poll without a release step after it.
void keys_hold_only(const std::vector<int>& scancodes);

/// Adds one poll with no key held.
void keys_release();

/// Adds one poll with no key held that runs `action` (for looking at the
/// screen while a scripted game waits for its next key).
void keys_call(std::function<void()> action);

/// Types text: each character is held (and queued for readkey), then released.
void keys_type(const std::string& text);

/// Types one character with the given scancode and character code.
void keys_char(int scancode, int ascii);

/// The same with a modifier key (KEY_ALT, ...) held along with it.
void keys_char_with(int modifier, int scancode, int ascii);

/// Steps of the script not yet applied.
int keys_remaining();

/// Polls made since keys_reset.
long keys_polls();

/// Once the script is used up, the keyboard alternates Escape held and
/// released; after this many such polls the test fails with an exception
/// (a screen waiting for keys the test did not script). Default 20000.
void keys_set_exhaust_limit(long polls);

/// Scancode of a printable character (letters, digits, a few marks).
int keys_scancode_of(char c);
