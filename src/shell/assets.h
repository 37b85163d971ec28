// assets: the back buffer every screen is composed on and its palette, the
// picture tables loaded once at start-up, the made pictures, and the small
// drawing helpers every screen shares.
#pragma once
#include <allegro.h>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

extern BITMAP* bmp; // back buffer, 1024 x 768: every screen is composed here
extern PALETTE pal; // palette of the last loaded picture

enum {
    MONSTERPIC_COUNT = 15,
    NEUTRALPIC_COUNT = 15,
    THINGPIC_COUNT = 5,
    FOODPIC_COUNT = 5,
    WEAPONPIC_COUNT = 10,
    ZAPPIC_COUNT = 1,
    MAPPIC_COUNT = 6,
    INVENTORYPIC_COUNT = 4,
    MSGPIC_COUNT = 3
};

extern BITMAP* monsterpic[MONSTERPIC_COUNT];
extern BITMAP* neutralpic[NEUTRALPIC_COUNT];
extern BITMAP* thingpic[THINGPIC_COUNT];
extern BITMAP* foodpic[FOODPIC_COUNT];
extern BITMAP* weaponpic[WEAPONPIC_COUNT];
extern BITMAP* zappic[ZAPPIC_COUNT];
extern BITMAP* mappic[MAPPIC_COUNT];
extern BITMAP* inventorypic[INVENTORYPIC_COUNT];
extern BITMAP* msgpic[MSGPIC_COUNT];
extern BITMAP* error_pic;
extern BITMAP* prop_bg_pic;

/// Lets a bitmap go (null: nothing), for assets_bitmap_.
struct assets_bitmap_free_ {
    void operator()(BITMAP* bitmap) const {
        if (bitmap)
            destroy_bitmap(bitmap);
    }
};

/// A bitmap held across a wait for a key: let go however the wait ends (a
/// kept game watched from the title is stopped in the middle of its waits).
using assets_bitmap_ = std::unique_ptr<BITMAP, assets_bitmap_free_>;

/// Loads every picture table; a missing or unreadable file gets error_pic.
void draw_init();

/// Frees every table picture and the made pictures (end of the run).
void draw_release();

/// Decodes a BMP file by name into a new bitmap at the current colour depth
/// (palette into `pal`); null when it is missing or not one the game reads.
BITMAP* assets_load_bitmap(const char* name);

/// 1 if `name` is a BMP file the game reads: present, a plain file of a kind
/// it decodes, with sane headers and all the pixel data (or runs) it promises.
int assets_picture_is_sound(const char* name);

/// Loads a full-screen picture into `target` (1024 x 768); 0 if it failed.
int assets_load_screen(BITMAP* target, const char* name);

/// Sets the folder the pictures and samples are read from; null or "" means
/// the working folder.
void assets_set_folder(const char* folder);

/// The folder the data files are read from, "" for the working folder.
const char* assets_folder();

/// True if the data folder set is a folder that exists; else false after one
/// line on stderr ("cave: DIR: no such folder", or the system's reason).
bool assets_folder_exists();

/// Where the data file `name` is read from: the name inside the data folder.
std::string assets_path(const char* name);

/// The library colour for a 0xRRGGBB value at the current colour layout.
int color_rgb(int rgb);

/// Shows the whole 1024 x 768 bitmap on the screen, scaled to it.
void assets_show(BITMAP* bitmap);

/// Copies the 1024 x 768 picture the screen shows now into `out`; 0 when it
/// cannot be had.
int assets_shown(BITMAP* out);

/// Draws text left-aligned / centred on x, transparent background.
void text_draw(BITMAP* bitmap, const char* text, int x, int y, int rgb);
void text_draw_centre(BITMAP* bitmap, const char* text, int x, int y, int rgb);

/// The names of every data file the game needs and has no stand-in for.
extern const char* const assets_required_files[];
extern const int assets_required_count;

/// The number of table pictures, and the file of the index-th in loading order.
int assets_table_file_count();
const char* assets_table_file(int index);
