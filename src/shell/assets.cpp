// assets: the picture tables of creatures, items, ground, inventory slots and
// message boxes, loaded once at start-up; a missing picture becomes a red
// square so it shows up on screen instead of stopping the game.
#include "shell/assets.h"

#include <allegro.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cerrno>
#include <cstring>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/display.h"
#include "platform/safefile.h"

BITMAP* bmp;
PALETTE pal;
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

// The game reads every BMP file itself and never hands one to load_bitmap:
// the library trusts the files it reads (it starts the run-length data right
// after the palette whatever the offset field says, and follows moves past
// the picture's first line), so any check of ours would have to copy its
// every quirk to be safe. Decoding here, everything that is read is checked
// where it is read, and the pixels and palette come out as the library
// would make them for every file of the kinds below.

/// The largest picture side the game reads; its own are at most 1024.
const long BMP_MAX_SIDE = 2048;

/// What the headers of a BMP file say, once checked.
struct bmp_header {
    long w, h;       // bottom-up pictures only: h > 0
    int bits;        // 1, 4, 8 (with a palette), 24 or 32
    int compression; // 0 rows, 1 run-length 8 bits, 2 run-length 4 bits
    int64_t offset;  // where the pixels begin
    int colours;     // palette entries, 0 above 8 bits
};

/// An open BMP file with its headers and palette read and checked.
struct bmp_file {
    FILE* f;
    int64_t size;
    bmp_header hd;
    RGB palette[PAL_SIZE]; // 6-bit entries as pal holds them; unused ones black
    int colour[PAL_SIZE];  // the palette as colours of the target's depth
};

/// Reads a little-endian number of `n` bytes (at most 4), unsigned, the same
/// on every machine whatever the width of its `long`.
uint32_t assets_le(const unsigned char* p, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; i--)
        v = (v << 8) | p[i];
    return v;
}

/// Reads and checks the 54 bytes of headers: a bottom-up picture of sane
/// size in one of the kinds the game reads, its pixels inside the file.
bool bmp_read_header(FILE* f, int64_t size, bmp_header* hd) {
    unsigned char h[54];
    if (fread(h, 1, sizeof h, f) != sizeof h || h[0] != 'B' || h[1] != 'M' ||
        assets_le(h + 14, 4) != 40)
        return false;
    hd->w = (int32_t)assets_le(h + 18, 4);
    hd->h = (int32_t)assets_le(h + 22, 4);
    hd->bits = (int)assets_le(h + 28, 2);
    hd->compression = (int)assets_le(h + 30, 4);
    hd->offset = assets_le(h + 10, 4);
    uint32_t used = assets_le(h + 46, 4);
    bool indexed = hd->bits == 1 || hd->bits == 4 || hd->bits == 8;
    hd->colours = !indexed ? 0 : used ? int(std::min(used, 257u)) : 1 << hd->bits;
    bool kind = hd->compression == 0 ? indexed || hd->bits == 24 || hd->bits == 32
                                     : (hd->compression == 1 && hd->bits == 8) ||
                                           (hd->compression == 2 && hd->bits == 4);
    return kind && hd->w > 0 && hd->h > 0 && hd->w <= BMP_MAX_SIDE && hd->h <= BMP_MAX_SIDE &&
           hd->colours <= (indexed ? 1 << hd->bits : 0) && hd->offset >= 54 + 4 * hd->colours &&
           hd->offset < size;
}

/// Bytes of one stored row of plain pixels (rows are padded to 32 bits).
long bmp_row_bytes(const bmp_header& hd) {
    return (hd.w * hd.bits + 31) / 32 * 4;
}

/// Reads the palette after the headers (blue, green, red, unused; kept as
/// 6-bit values like pal) and turns it into colours of `depth` bits (none
/// for 0, when the file is only checked).
bool bmp_read_palette(bmp_file* b, int depth) {
    memset(b->palette, 0, sizeof b->palette);
    for (int i = 0; i < b->hd.colours; i++) {
        unsigned char e[4];
        if (fread(e, 1, 4, b->f) != 4)
            return false;
        b->palette[i] =
            RGB{(unsigned char)(e[2] / 4), (unsigned char)(e[1] / 4), (unsigned char)(e[0] / 4), 0};
    }
    for (int i = 0; depth && i < PAL_SIZE; i++)
        b->colour[i] = makecol_depth(depth, _rgb_scale_6[b->palette[i].r],
                                     _rgb_scale_6[b->palette[i].g], _rgb_scale_6[b->palette[i].b]);
    return true;
}

/// Opens a BMP file and reads its headers and palette for a target of
/// `depth` bits; false (and nothing left open) for any file the game does
/// not read: not plain, not of a known kind, or too short for its rows.
bool bmp_open(const char* name, int depth, bmp_file* b) {
    b->f = safefile_open_plain(name, &b->size);
    if (!b->f)
        return false;
    bool ok = bmp_read_header(b->f, b->size, &b->hd) && bmp_read_palette(b, depth);
    if (ok && b->hd.compression == 0)
        ok = b->hd.offset + int64_t(bmp_row_bytes(b->hd)) * b->hd.h <= b->size;
    if (!ok) {
        fclose(b->f);
        b->f = nullptr;
    }
    return ok;
}

/// Writes one pixel of a colour already at the target's depth.
inline void bmp_put(BITMAP* target, long x, long y, int c) {
    if (is_memory_bitmap(target) && bitmap_color_depth(target) == 32)
        reinterpret_cast<uint32_t*>(target->line[y])[x] = (uint32_t)c;
    else
        putpixel(target, (int)x, (int)y, c);
}

/// Turns one stored row of plain pixels into line `y` of the target.
void bmp_put_row(const bmp_file* b, const unsigned char* row, long y, BITMAP* target) {
    const int depth = bitmap_color_depth(target);
    for (long x = 0; x < b->hd.w; x++) {
        const unsigned char* p = row + x * b->hd.bits / 8;
        int c;
        if (b->hd.bits >= 24) // blue, green, red (and a byte left unused)
            c = depth == 32 ? makecol32(p[2], p[1], p[0]) : makecol_depth(depth, p[2], p[1], p[0]);
        else if (b->hd.bits == 8)
            c = b->colour[p[0]];
        else { // 4 or 1 bits, the leftmost pixel in the highest bits
            int shift = 8 - b->hd.bits - (int)(x * b->hd.bits % 8);
            c = b->colour[(p[0] >> shift) & ((1 << b->hd.bits) - 1)];
        }
        bmp_put(target, x, y, c);
    }
}

/// Reads the plain rows, bottom row first, into the target.
bool bmp_read_rows(bmp_file* b, BITMAP* target) {
    std::vector<unsigned char> row(bmp_row_bytes(b->hd));
    if (fseek(b->f, long(b->hd.offset), SEEK_SET) != 0)
        return false;
    for (long y = b->hd.h - 1; y >= 0; y--) {
        if (fread(row.data(), 1, row.size(), b->f) != row.size())
            return false;
        bmp_put_row(b, row.data(), y, target);
    }
    return true;
}

/// Writes `n` pixels of a run or copy from (x, y): the palette index of
/// pixel i is taken from `bytes` (a run repeats its one byte).
void bmp_put_runs(const bmp_file* b, long x, long y, int n, const unsigned char* bytes, bool run,
                  BITMAP* target) {
    for (int i = 0; target && i < n; i++) {
        unsigned char byte = bytes[run ? 0 : (b->hd.bits == 8 ? i : i / 2)];
        int index = b->hd.bits == 8 ? byte : (i % 2 ? byte & 15 : byte >> 4);
        bmp_put(target, x + i, y, b->colour[index]);
    }
}

/// Follows the runs of a run-length picture into the target (or only
/// checks them when it is null): every run, copy and move must stay inside
/// the picture, and the end must come within the bytes the largest valid
/// picture of this size needs, so no file is read further than that.
bool bmp_read_runs(bmp_file* b, BITMAP* target) {
    const long w = b->hd.w;
    long x = 0, y = b->hd.h - 1, budget = (2 * w + 4) * b->hd.h + 2;
    unsigned char bytes[256];
    if (fseek(b->f, long(b->hd.offset), SEEK_SET) != 0)
        return false;
    while ((budget -= 2) >= 0 && fread(bytes, 1, 2, b->f) == 2) {
        int count = bytes[0], value = bytes[1];
        if (count) { // a run of `count` pixels
            if (x + count > w)
                return false;
            bmp_put_runs(b, x, y, count, bytes + 1, true, target);
            x += count;
        } else if (value == 0 || value == 1) { // end of line, of picture
            x = 0;
            if (value == 1 || --y < 0) // past the top line the picture is done
                return true;
        } else if (value == 2) { // move right and up
            if ((budget -= 2) < 0 || fread(bytes, 1, 2, b->f) != 2)
                return false;
            x += bytes[0];
            y -= bytes[1];
            if (x > w || y < 0)
                return false;
        } else { // `value` pixels stored as they are, padded to 16 bits
            long stored = b->hd.bits == 8 ? value : (value + 1) / 2;
            stored += stored % 2;
            if (x + value > w || (budget -= stored) < 0 ||
                fread(bytes, 1, stored, b->f) != (size_t)stored)
                return false;
            bmp_put_runs(b, x, y, value, bytes, false, target);
            x += value;
        }
    }
    return false;
}

/// Decodes the pixels of an open BMP file into `target` from its top left
/// (a run-length picture starts filled with palette entry 0, as the library
/// leaves it); with no target it only checks them. Closes the file; on
/// success `pal` holds the file's palette (a made one above 8 bits).
bool bmp_decode(bmp_file* b, BITMAP* target) {
    bool ok;
    if (b->hd.compression == 0)
        ok = !target || bmp_read_rows(b, target);
    else {
        if (target)
            rectfill(target, 0, 0, (int)b->hd.w - 1, (int)b->hd.h - 1, b->colour[0]);
        ok = bmp_read_runs(b, target);
    }
    fclose(b->f);
    b->f = nullptr;
    if (ok && target && b->hd.colours)
        memcpy(pal, b->palette, sizeof b->palette);
    else if (ok && target)
        generate_332_palette(pal); // what the library leaves for a true-colour file
    return ok;
}

/// Reads a BMP file into a new bitmap at the current colour depth; null
/// when the game does not read it.
BITMAP* assets_decode_bitmap(const char* name) {
    bmp_file b;
    const int depth = get_color_depth();
    if (!bmp_open(name, depth, &b))
        return nullptr;
    BITMAP* picture = create_bitmap_ex(depth, (int)b.hd.w, (int)b.hd.h);
    if (!picture) {
        fclose(b.f);
        return nullptr;
    }
    if (!bmp_decode(&b, picture)) {
        destroy_bitmap(picture);
        picture = nullptr;
    }
    return picture;
}

/// Reads a full-screen picture straight into `target` when it fits there
/// (a memory bitmap clipped only at its edges), black around it, as loading
/// it and copying it there would; 0 when it cannot go so.
int assets_load_plain_screen(BITMAP* target, const char* name) {
    bmp_file b;
    const bool direct = is_memory_bitmap(target) && target->clip && target->cl <= 0 &&
                        target->ct <= 0 && target->cr >= target->w && target->cb >= target->h;
    if (!direct || !bmp_open(name, bitmap_color_depth(target), &b))
        return 0;
    if (b.hd.w > target->w || b.hd.h > target->h) {
        fclose(b.f);
        return 0;
    }
    clear_to_color(target, 0);
    return bmp_decode(&b, target);
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

bool assets_folder_exists() {
    struct stat info;
    if (data_folder.empty())
        return true;
    int error = stat(data_folder.c_str(), &info) != 0 ? errno : S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
    if (error == 0)
        return true;
    fprintf(stderr, "cave: %s: %s\n", data_folder.c_str(),
            error == ENOENT || error == ENOTDIR ? "no such folder" : strerror(error));
    return false;
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
    "ControlHelp.bmp",  "ByeBye.bmp",       "GameOver.bmp",     "lugn.wav",
    "quiet.wav",        "end.wav"};
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

int assets_picture_is_sound(const char* name) {
    bmp_file b;
    return bmp_open(assets_path(name).c_str(), 0, &b) && bmp_decode(&b, nullptr);
}

int color_rgb(int rgb) {
    return makecol((rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff);
}

BITMAP* assets_load_bitmap(const char* file) {
    return assets_decode_bitmap(assets_path(file).c_str());
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
    display_show(bitmap);
}

int assets_shown(BITMAP* out) {
    return display_shown(out);
}

void text_draw(BITMAP* bitmap, const char* text, int x, int y, int rgb) {
    textout_ex(bitmap, font, text, x, y, color_rgb(rgb), -1);
}

void text_draw_centre(BITMAP* bitmap, const char* text, int x, int y, int rgb) {
    textout_centre_ex(bitmap, font, text, x, y, color_rgb(rgb), -1);
}
