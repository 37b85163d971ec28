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

/// Walks the runs of a run-length picture (8 or 4 bits a pixel) stored from
/// `offset` in the file: true only if every run, copy and move stays inside
/// the w x h picture and the end mark comes before the file ends. The
/// library follows the runs without looking where they write.
bool assets_runs_fit(FILE* f, long offset, long w, long h, int bits) {
    std::vector<unsigned char> d;
    if (fseek(f, offset, SEEK_SET) != 0)
        return false;
    for (int c; (c = fgetc(f)) != EOF;)
        d.push_back((unsigned char)c);
    long x = 0, line = h - 1; // the bottom line comes first
    for (size_t i = 0; i + 1 < d.size();) {
        long count = d[i], value = d[i + 1];
        i += 2;
        if (count == 0 && value == 0) { // end of line; past the top line the library stops
            x = 0;
            if (--line < 0)
                return true;
        } else if (count == 0 && value == 1) { // end of picture
            return true;
        } else if (count == 0 && value == 2) { // move right and up
            if (i + 1 >= d.size())
                return false;
            x += d[i];
            line -= d[i + 1];
            i += 2;
            if (x > w)
                return false;
        } else { // a run of `count` pixels, or `value` pixels copied as they are
            long pixels = count ? count : value;
            long bytes = count ? 0 : (bits == 8 ? value : (value + 1) / 2);
            i += bytes + bytes % 2; // copies are padded to 16 bits
            if (line < 0 || (x += pixels) > w || i > d.size())
                return false;
        }
    }
    return false;
}

/// A quick look at a BMP file before the library reads it: a truncated or
/// garbled file is treated as missing rather than trusted.
bool assets_bmp_looks_sound(const char* name) {
    if (!assets_is_plain_file(name))
        return false;
    FILE* f = fopen(name, "rb");
    if (!f)
        return false;
    unsigned char h[54] = {};
    size_t got = fread(h, 1, sizeof h, f);
    fseek(f, 0, SEEK_END);
    long size = ftell(f);
    long offset = assets_le(h + 10, 4), header = assets_le(h + 14, 4);
    long w = (int32_t)assets_le(h + 18, 4), hgt = (int32_t)assets_le(h + 22, 4);
    long bits = assets_le(h + 28, 2), compression = assets_le(h + 30, 4);
    // Top-down files (negative height) are beyond the library: not sound.
    bool sound = got == sizeof h && h[0] == 'B' && h[1] == 'M' && header >= 12 && w > 0 &&
                 hgt > 0 && w <= 8192 && hgt <= 8192 &&
                 (bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32);
    if (sound && (compression == 1 || compression == 2)) // run-length: 8 or 4 bits
        sound = header >= 40 && bits == (compression == 1 ? 8 : 4) && offset < size &&
                assets_runs_fit(f, offset, w, hgt, bits);
    else if (sound) // plain rows, or rows with colour masks at 16 or 32 bits
        sound = (compression == 0 || (compression == 3 && (bits == 16 || bits == 32))) &&
                offset >= 26 && offset + ((w * bits + 31) / 32) * 4 * hgt <= size;
    fclose(f);
    return sound;
}

/// Opens a plain BMP file (14 + 40 byte headers, 24 bits, uncompressed,
/// bottom-up, no palette, pixels right after the headers) when the library
/// would turn it into a 32-bit bitmap; returns the file positioned at its
/// pixels with the size in *w and *h, or null for any other file.
FILE* assets_open_plain_bmp(const char* name, int* w, int* h) {
    if (get_color_depth() != 32 || !(get_color_conversion() & COLORCONV_24_TO_32))
        return nullptr;
    FILE* f = fopen(name, "rb");
    if (!f)
        return nullptr;
    unsigned char head[54];
    bool plain = fread(head, 1, sizeof head, f) == sizeof head && head[0] == 'B' &&
                 head[1] == 'M' && assets_le(head + 10, 4) == 54 && assets_le(head + 14, 4) == 40 &&
                 assets_le(head + 28, 2) == 24 && assets_le(head + 30, 4) == 0 &&
                 assets_le(head + 46, 4) == 0;
    *w = (int32_t)assets_le(head + 18, 4);
    *h = (int32_t)assets_le(head + 22, 4);
    if (!plain || *w <= 0 || *h <= 0 || *w > 8192 || *h > 8192) {
        fclose(f);
        return nullptr;
    }
    return f;
}

/// Reads the pixel rows of an open plain BMP into `target` from (0, 0), each
/// pixel through makecol32 as the library's reading and colour conversion
/// make it; false if the file ends early.
bool assets_read_plain_rows(FILE* f, int w, int h, BITMAP* target) {
    std::vector<unsigned char> row(((size_t)w * 3 + 3) / 4 * 4);
    for (int y = h - 1; y >= 0; y--) { // the bottom row comes first
        if (fread(row.data(), 1, row.size(), f) != row.size())
            return false;
        const unsigned char* p = row.data();
        uint32_t* out = reinterpret_cast<uint32_t*>(target->line[y]);
        for (int x = 0; x < w; x++, p += 3)
            out[x] = (uint32_t)makecol32(p[2], p[1], p[0]);
    }
    return true;
}

/// Reads a plain BMP file row by row into a new 32-bit bitmap, with the
/// pixels and the palette load_bitmap would give, at a fraction of its
/// cost. Null for any other file, which is then left to the library.
BITMAP* assets_load_plain_bmp(const char* name) {
    int w, h;
    FILE* f = assets_open_plain_bmp(name, &w, &h);
    if (!f)
        return nullptr;
    BITMAP* picture = create_bitmap_ex(32, w, h);
    if (picture && !assets_read_plain_rows(f, w, h, picture)) {
        destroy_bitmap(picture);
        picture = nullptr;
    }
    fclose(f);
    if (picture)
        generate_332_palette(pal); // what the library leaves for a true-colour file
    return picture;
}

/// Reads a plain BMP full-screen picture straight into `target` (a 32-bit
/// memory bitmap clipped only at its edges, at least as large), black around
/// it, as loading it and copying it there would; 0 when it cannot go so.
int assets_load_plain_screen(BITMAP* target, const char* name) {
    int w, h;
    FILE* f = assets_bmp_looks_sound(name) ? assets_open_plain_bmp(name, &w, &h) : nullptr;
    if (!f)
        return 0;
    const bool direct = is_memory_bitmap(target) && bitmap_color_depth(target) == 32 &&
                        w <= target->w && h <= target->h && target->clip && target->cl <= 0 &&
                        target->ct <= 0 && target->cr >= target->w && target->cb >= target->h;
    bool done = false;
    if (direct) {
        clear_to_color(target, 0);
        done = assets_read_plain_rows(f, w, h, target);
    }
    fclose(f);
    if (done)
        generate_332_palette(pal);
    return done;
}

/// A new bitmap of the given size filled with one colour.
BITMAP* assets_make_filled(int w, int h, int rgb) {
    BITMAP* b = create_bitmap(w, h);
    if (b)
        clear_to_color(b, color_rgb(rgb));
    return b;
}

/// The data folder, "" for the working folder.
std::string data_folder;

} // namespace

void assets_set_folder(const char* folder) {
    data_folder = folder ? folder : "";
}

const char* assets_folder() {
    return data_folder.c_str();
}

std::string assets_path(const char* name) {
    if (data_folder.empty() || name[0] == '/')
        return name;
    std::string path = data_folder;
    if (path.back() != '/')
        path += '/';
    return path + name;
}

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

int assets_is_plain_file(const char* name) {
    struct stat info;
    return name && stat(name, &info) == 0 && S_ISREG(info.st_mode);
}

int assets_picture_is_sound(const char* name) {
    return assets_bmp_looks_sound(assets_path(name).c_str()) ? 1 : 0;
}

int color_rgb(int rgb) {
    return makecol((rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff);
}

BITMAP* assets_load_bitmap(const char* file) {
    const std::string path = assets_path(file);
    const char* name = path.c_str();
    if (!assets_bmp_looks_sound(name))
        return nullptr;
    BITMAP* picture = assets_load_plain_bmp(name);
    return picture ? picture : load_bitmap(name, pal);
}

int assets_load_screen(BITMAP* target, const char* name) {
    if (assets_load_plain_screen(target, assets_path(name).c_str()))
        return 1;
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
