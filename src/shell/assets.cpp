// assets: the picture tables of creatures, items, ground, inventory slots and
// message boxes, loaded once at start-up; a missing picture becomes a red
// square so it shows up on screen instead of stopping the game.
#include "shell/assets.h"

#include <allegro.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>
#include <sys/stat.h>

#include "main/game.h"

BITMAP* monsterpic[MONSTERPIC_COUNT];
BITMAP* neutralpic[NEUTRALPIC_COUNT];
BITMAP* thingpic[THINGPIC_COUNT];
BITMAP* foodpic[FOODPIC_COUNT];
BITMAP* weaponpic[WEAPONPIC_COUNT];
BITMAP* zappic[ZAPPIC_COUNT];
BITMAP* mappic[MAPPIC_COUNT];
BITMAP* inventorypic[INVENTORYPIC_COUNT];
BITMAP* msgpic[MSGPIC_COUNT];
BITMAP* error_pic;
BITMAP* prop_bg_pic;

namespace {

/// One picture table: where it lives and the files of its slots, in order.
struct picture_table {
    BITMAP** slots;
    int count;
    const char* files[15];
};

// slots        count               files, in slot order
const picture_table picture_tables[] = {
    {monsterpic,
     MONSTERPIC_COUNT,
     {"green_devil.bmp", "green_devil2.bmp", "green_devil_dead.bmp", "evil_eyes.bmp",
      "evil_eyes2.bmp", "evil_eyes_dead.bmp", "furball.bmp", "furball2.bmp", "furball_dead.bmp",
      "floating_eye.bmp", "floating_eye2.bmp", "floating_eye_dead.bmp", "grumbo_troll1.bmp",
      "grumbo_troll2.bmp", "grumbo_troll_dead.bmp"}},
    {neutralpic,
     NEUTRALPIC_COUNT,
     {"baker.bmp", "baker2.bmp", "baker_dead.bmp", "littlespider.bmp", "littlespider2.bmp",
      "littlespider_dead.bmp", "rat.bmp", "rat2.bmp", "rat_dead.bmp", "bat.bmp", "bat2.bmp",
      "bat_dead.bmp", "gnome.bmp", "gnome2.bmp", "gnome_dead.bmp"}},
    {thingpic, THINGPIC_COUNT, {"stone.bmp", "ring.bmp", "diamond.bmp", "lamp.bmp", "cd.bmp"}},
    {foodpic,
     FOODPIC_COUNT,
     {"bread.bmp", "beef_jerky.bmp", "potion.bmp", "red_potion.bmp", "green_potion.bmp"}},
    {weaponpic,
     WEAPONPIC_COUNT,
     {"stick.bmp", "stick_used.bmp", "long_stick.bmp", "long_stick_used.bmp", "stekpanna.bmp",
      "stekpanna_used.bmp", "sword.bmp", "sword_used.bmp", "wand.bmp", "wand_used.bmp"}},
    {mappic,
     MAPPIC_COUNT,
     {"empty.bmp", "floor.bmp", "wall.bmp", "door.bmp", "door_open.bmp", "door_out.bmp"}},
    {inventorypic,
     INVENTORYPIC_COUNT,
     {"invent_bg_bg.bmp", "invent_bg.bmp", "invent_bg_marked.bmp", "invent_bg_used.bmp"}},
    {msgpic, MSGPIC_COUNT, {"msg_bg.bmp", "msg_yes.bmp", "msg_no.bmp"}},
    {zappic, ZAPPIC_COUNT, {"wand_zap.bmp"}},
};

/// Reads a little-endian number of `n` bytes.
long assets_le(const unsigned char* p, int n) {
    long v = 0;
    for (int i = n - 1; i >= 0; i--)
        v = (v << 8) | p[i];
    return v;
}

/// A quick look at a BMP file before the library reads it: a truncated or
/// garbled file is treated as missing rather than trusted.
bool assets_bmp_looks_sound(const char* name) {
    FILE* f = fopen(name, "rb");
    if (!f)
        return false;
    unsigned char h[54];
    size_t got = fread(h, 1, sizeof h, f);
    fseek(f, 0, SEEK_END);
    long size = ftell(f);
    fclose(f);
    if (got != sizeof h || h[0] != 'B' || h[1] != 'M')
        return false;
    long offset = assets_le(h + 10, 4), header = assets_le(h + 14, 4);
    long w = (int32_t)assets_le(h + 18, 4), hgt = (int32_t)assets_le(h + 22, 4);
    long bits = assets_le(h + 28, 2), compression = assets_le(h + 30, 4);
    if (hgt < 0)
        hgt = -hgt;
    if (header < 12 || w <= 0 || hgt <= 0 || w > 8192 || hgt > 8192)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    if (compression != 0)
        return offset < size; // run-length files: the library checks them as it reads
    long row = ((w * bits + 31) / 32) * 4;
    return offset >= 26 && offset + row * hgt <= size;
}

/// The rows of a plain 24-bit BMP body (bottom row first, rows padded to
/// four bytes) into a new 32-bit bitmap, each pixel through makecol32 as the
/// library's own reading and colour conversion would make it.
BITMAP* assets_decode_rows(const unsigned char* body, int w, int h) {
    BITMAP* picture = create_bitmap_ex(32, w, h);
    if (!picture)
        return nullptr;
    const size_t row = ((size_t)w * 3 + 3) / 4 * 4;
    for (int y = 0; y < h; y++) {
        const unsigned char* p = body + (size_t)(h - 1 - y) * row;
        uint32_t* out = reinterpret_cast<uint32_t*>(picture->line[y]);
        for (int x = 0; x < w; x++, p += 3)
            out[x] = (uint32_t)makecol32(p[2], p[1], p[0]);
    }
    return picture;
}

/// Reads a plain BMP file (14 + 40 byte headers, 24 bits, uncompressed,
/// bottom-up, no palette) in one piece when the library would turn it into
/// a 32-bit bitmap; the pixels and the palette come out as from
/// load_bitmap, at a fraction of its cost. Null for any other file, which
/// is then left to the library.
BITMAP* assets_load_plain_bmp(const char* name) {
    if (get_color_depth() != 32 || !(get_color_conversion() & COLORCONV_24_TO_32))
        return nullptr;
    FILE* f = fopen(name, "rb");
    if (!f)
        return nullptr;
    std::vector<unsigned char> file;
    unsigned char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, f)) > 0)
        file.insert(file.end(), chunk, chunk + got);
    fclose(f);
    if (file.size() < 54 || file[0] != 'B' || file[1] != 'M')
        return nullptr;
    const unsigned char* h = file.data();
    const long w = (int32_t)assets_le(h + 18, 4), hgt = (int32_t)assets_le(h + 22, 4);
    const bool plain = assets_le(h + 10, 4) == 54 && assets_le(h + 14, 4) == 40 &&
                       assets_le(h + 28, 2) == 24 && assets_le(h + 30, 4) == 0 &&
                       assets_le(h + 46, 4) == 0 && w > 0 && hgt > 0 && w <= 8192 && hgt <= 8192;
    if (!plain || 54 + ((w * 3 + 3) / 4 * 4) * hgt > (long)file.size())
        return nullptr;
    BITMAP* picture = assets_decode_rows(h + 54, (int)w, (int)hgt);
    if (picture)
        generate_332_palette(pal); // what the library leaves for a true-colour file
    return picture;
}

/// A new bitmap of the given size filled with one colour.
BITMAP* assets_make_filled(int w, int h, int rgb) {
    BITMAP* b = create_bitmap(w, h);
    if (b)
        clear_to_color(b, color_rgb(rgb));
    return b;
}

} // namespace

const char* const assets_required_files[] = {
    "user.bmp",         "user_dead.bmp",    "TitelScreen.bmp",  "StoryScreen1.bmp",
    "StoryScreen2.bmp", "StoryScreen3.bmp", "StoryScreen4.bmp", "ControlInfo.bmp",
    "ByeBye.bmp",       "GameOver.bmp",     "lugn.wav",         "quiet.wav",
    "end.wav"};
const int assets_required_count = sizeof assets_required_files / sizeof assets_required_files[0];

int assets_table_file_count() {
    int n = 0;
    for (const picture_table& table : picture_tables)
        n += table.count;
    return n;
}

const char* assets_table_file(int index) {
    for (const picture_table& table : picture_tables) {
        if (index < table.count)
            return table.files[index];
        index -= table.count;
    }
    return nullptr;
}

int color_rgb(int rgb) {
    return makecol((rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff);
}

BITMAP* assets_load_bitmap(const char* name) {
    if (!assets_bmp_looks_sound(name))
        return nullptr;
    BITMAP* picture = assets_load_plain_bmp(name);
    return picture ? picture : load_bitmap(name, pal);
}

int assets_load_screen(BITMAP* target, const char* name) {
    BITMAP* picture = assets_load_bitmap(name);
    if (!picture) {
        clear_to_color(target, 0);
        return 0;
    }
    clear_to_color(target, 0);
    blit(picture, target, 0, 0, 0, 0, picture->w, picture->h);
    destroy_bitmap(picture);
    return 1;
}

void draw_init() {
    error_pic = assets_make_filled(32, 32, 0xff0000);
    for (const picture_table& table : picture_tables) {
        for (int i = 0; i < table.count; i++)
            table.slots[i] = assets_load_bitmap(table.files[i]);
        for (int i = 0; i < table.count; i++)
            if (!table.slots[i])
                table.slots[i] = error_pic;
    }
    prop_bg_pic = assets_make_filled(256, 72, 0);
}

void draw_release() {
    for (const picture_table& table : picture_tables) {
        for (int i = 0; i < table.count; i++) {
            if (table.slots[i] && table.slots[i] != error_pic)
                destroy_bitmap(table.slots[i]);
            table.slots[i] = nullptr;
        }
    }
    if (error_pic)
        destroy_bitmap(error_pic);
    if (prop_bg_pic)
        destroy_bitmap(prop_bg_pic);
    error_pic = prop_bg_pic = nullptr;
}

void assets_show(BITMAP* bitmap) {
    if (bitmap && screen)
        blit(bitmap, screen, 0, 0, 0, 0, 1024, 768);
}

void text_draw(BITMAP* bitmap, const char* text, int x, int y, int rgb) {
    textout_ex(bitmap, font, text, x, y, color_rgb(rgb), -1);
}

void text_draw_centre(BITMAP* bitmap, const char* text, int x, int y, int rgb) {
    textout_centre_ex(bitmap, font, text, x, y, color_rgb(rgb), -1);
}
