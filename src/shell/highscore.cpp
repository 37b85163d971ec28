// highscore: the score of a finished game and the table of the fifteen best.
//
// The table is kept in "highscore.zelko": one 154-byte record per entry, best
// first, each a 32-bit little-endian signed score and a 150-byte name field.
// The bytes are laid out one by one, so a file saved on one machine reads the
// same on any other. Saving never writes into the old file: the new table goes
// to a temporary file beside it, is flushed to disk and then renamed over the
// old one, so a crash or a full disk leaves the previous table as it was.
#include "shell/highscore.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "main/game.h"
#include "shell/assets.h"
#include "world/character.h"
#include "world/objekt.h"
#include "world/objektlist.h"
#include "world/properties.h"

const char* highscore_file = "highscore.zelko";

namespace {

const char* const DEFAULT_NAME = "Noobie";

// Table drawing: columns, first row, row height and colours.
enum {
    DRAW_PLACE_X = 293,
    DRAW_SCORE_X = 341,
    DRAW_NAME_X = 469,
    DRAW_HEADING_Y = 240,
    DRAW_FIRST_ROW_Y = 256,
    DRAW_ROW_HEIGHT = 16
};
const int COLOUR_HEADING = 0x7F0000;
const int COLOUR_LIT = 0xFFFFFF;
const int COLOUR_ROW = 0x7F7F7F;

/// Stores a name into an entry: at most 149 characters, zeros after them.
void entry_set_name(highscore_* entry, const char* name) {
    memset(entry->name, 0, sizeof entry->name);
    if (name)
        memcpy(entry->name, name, strnlen(name, HIGHSCORE_NAME - 1));
}

/// Entry `index` of the table used when there is no file: 3 x count - index.
void entry_set_default(highscore_* entry, int index, int count) {
    entry->score = 3 * count - index;
    entry_set_name(entry, DEFAULT_NAME);
}

/// Reads the 4-byte little-endian signed score at `bytes`.
int32_t score_decode(const unsigned char* bytes) {
    uint32_t value = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                     uint32_t(bytes[3]) << 24;
    return static_cast<int32_t>(value);
}

/// Writes `score` as 4 little-endian bytes at `bytes`.
void score_encode(int32_t score, unsigned char* bytes) {
    uint32_t value = static_cast<uint32_t>(score);
    for (int i = 0; i < 4; i++)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

/// Fills an entry from one whole record; a name field without a zero byte
/// is cut to 149 characters.
void record_decode(const unsigned char* record, highscore_* entry) {
    entry->score = score_decode(record);
    char name[HIGHSCORE_NAME];
    memcpy(name, record + 4, HIGHSCORE_NAME);
    name[HIGHSCORE_NAME - 1] = '\0';
    entry_set_name(entry, name);
}

/// Lays out one entry as a record: the score, the name, then zeros.
void record_encode(const highscore_* entry, unsigned char* record) {
    memset(record, 0, HIGHSCORE_RECORD);
    score_encode(entry->score, record);
    memcpy(record + 4, entry->name, strnlen(entry->name, HIGHSCORE_NAME - 1));
}

/// Writes `size` bytes to a new file `path` and makes sure they reached the
/// disk; 1 on success. A failed file is left for the caller to remove.
int file_write_durably(const char* path, const unsigned char* bytes, size_t size) {
    FILE* file = fopen(path, "wb");
    if (!file)
        return 0;
    int ok = fwrite(bytes, 1, size, file) == size;
    ok = ok && fflush(file) == 0;
    ok = ok && fsync(fileno(file)) == 0;
    if (fclose(file) != 0)
        ok = 0;
    return ok;
}

} // namespace

/// The score of a finished game: effective stats, a tenth of each carried
/// item's stats, 20 per room and 10 per kill, then the end cause's factor.
int highscore_calculate_int(character_ player, int rooms, int end) {
    int score = properties_sum_int(users_calculated_properties);
    for (objektlist_* node = player.inventory; node; node = node->next)
        if (node->objekt && node->objekt->props)
            score += properties_sum_int(*node->objekt->props) / 10;
    score += 20 * rooms;
    score += 10 * player.kills;
    switch (end) {
    case END_WAY_OUT:
        return score * 2;
    case END_KILLED:
    case END_STARVED:
        return score / 2;
    case END_QUIT:
        return score / 3;
    default:
        return score;
    }
}

/// Fills the table from the file. Records the file holds in full are kept;
/// the rest, or all of them when there is no file, come from the default table.
void highscore_read(highscore_* table, int count) {
    if (!table || count <= 0)
        return;
    std::string bytes(size_t(count) * HIGHSCORE_RECORD, '\0');
    size_t held = 0;
    // Only a plain file is read: a folder or a pipe of that name gives the
    // default table instead of an error or a game that hangs.
    FILE* file = assets_is_plain_file(highscore_file) ? fopen(highscore_file, "rb") : nullptr;
    if (file) {
        held = fread(&bytes[0], 1, bytes.size(), file);
        fclose(file);
    }
    const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (int i = 0; i < count; i++) {
        if ((size_t(i) + 1) * HIGHSCORE_RECORD <= held)
            record_decode(data + size_t(i) * HIGHSCORE_RECORD, &table[i]);
        else
            entry_set_default(&table[i], i, count);
    }
}

/// Saves the table: written whole to a temporary file beside the table file,
/// then renamed over it. On any failure the old file stays as it was.
void highscore_write(highscore_* table, int count) {
    if (!table || count <= 0 || !highscore_file)
        return;
    size_t size = size_t(count) * HIGHSCORE_RECORD;
    std::string bytes(size, '\0');
    unsigned char* data = reinterpret_cast<unsigned char*>(&bytes[0]);
    for (int i = 0; i < count; i++)
        record_encode(&table[i], data + size_t(i) * HIGHSCORE_RECORD);

    std::string temporary = std::string(highscore_file) + ".tmp." + std::to_string(getpid());
    int ok = file_write_durably(temporary.c_str(), data, size);
    ok = ok && rename(temporary.c_str(), highscore_file) == 0;
    if (!ok)
        remove(temporary.c_str());
}

/// 1 if some entry scores strictly less than `score`, else 0.
int highscore_check_if_high(int score, highscore_* table, int count) {
    for (int i = 0; i < count; i++)
        if (table[i].score < score)
            return 1;
    return 0;
}

/// Puts the new entry above the first one it equals or beats, moving the
/// rest down (the last drops out); returns its index, -1 if it has no place.
int highscore_push(int score, const char* name, highscore_* table, int count) {
    int place = 0;
    while (place < count && table[place].score > score)
        place++;
    if (place == count)
        return -1;
    memmove(&table[place + 1], &table[place], sizeof(highscore_) * size_t(count - 1 - place));
    table[place].score = score;
    entry_set_name(&table[place], name);
    return place;
}

/// Draws the headings and one row per entry; row `lit` in white.
void highscore_draw(BITMAP* bitmap, highscore_* table, int count, int lit) {
    text_draw(bitmap, "Place", DRAW_PLACE_X, DRAW_HEADING_Y, COLOUR_HEADING);
    text_draw(bitmap, "Score", DRAW_SCORE_X, DRAW_HEADING_Y, COLOUR_HEADING);
    text_draw(bitmap, "Name", DRAW_NAME_X, DRAW_HEADING_Y, COLOUR_HEADING);
    for (int i = 0; i < count; i++) {
        int y = DRAW_FIRST_ROW_Y + DRAW_ROW_HEIGHT * i;
        int colour = i == lit ? COLOUR_LIT : COLOUR_ROW;
        char text[16];
        snprintf(text, sizeof text, "%d.", i + 1);
        text_draw(bitmap, text, DRAW_PLACE_X, y, colour);
        snprintf(text, sizeof text, "%d", int(table[i].score));
        text_draw(bitmap, text, DRAW_SCORE_X, y, colour);
        text_draw(bitmap, table[i].name, DRAW_NAME_X, y, colour);
    }
}

/// Enters the player's name when the score belongs in the table, then draws
/// the table onto the back buffer with the new row lit.
void highscore_new_score(int score, highscore_* table, int count) {
    int lit = -1;
    if (highscore_check_if_high(score, table, count))
        lit = highscore_push(score, username, table, count);
    highscore_draw(bmp, table, count, lit);
}
