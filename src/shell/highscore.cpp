// highscore: the score of a finished game and the table of the fifteen best.
//
// The table is kept in "highscore.zelko": one 154-byte record per entry, best
// first, each a 32-bit little-endian signed score and a 150-byte name field.
// The bytes are laid out one by one, so a file saved on one machine reads the
// same on any other. Saving never writes into the old file: the new table goes
// to a temporary file beside it, is flushed to disk and then renamed over the
// old one, so a crash, a full disk or a file-size limit leaves the previous
// table as it was. A table reached through a link is saved beside the file the
// link leads to. The save leaves alone a table the player cannot read (it
// would lose its entries) or has made read-only, never opens the temporary
// file through a link (someone else could aim it at another file), and clears
// away the temporary files of saves whose process died.
#include "shell/highscore.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
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

/// The folder part of `path` ("." when it has none).
std::string path_folder(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

/// The last part of `path`, after its folder.
std::string path_name(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

/// Follows `path` through symbolic links to the file they lead to, which
/// need not exist yet. False for a loop, and for a link that neither the
/// player nor the superuser made: no one else may aim the save elsewhere.
bool table_resolve(const char* path, std::string* target) {
    *target = path;
    for (int hops = 0; hops < 16; hops++) {
        struct stat info;
        if (lstat(target->c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return true;
        if (info.st_uid != geteuid() && info.st_uid != 0) {
            fprintf(stderr, "cave: %s is a link made by another user; the score is not saved\n",
                    target->c_str());
            return false;
        }
        char link[PATH_MAX];
        ssize_t length = readlink(target->c_str(), link, sizeof link - 1);
        if (length <= 0)
            return false;
        link[length] = '\0';
        *target = link[0] == '/' ? std::string(link) : path_folder(*target) + "/" + link;
    }
    return false;
}

/// True if the existing plain file can be opened and its first bytes read.
bool table_readable(const char* target) {
    int fd = open(target, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    unsigned char buffer[HIGHSCORE_RECORD];
    ssize_t got;
    do
        got = read(fd, buffer, sizeof buffer);
    while (got < 0 && errno == EINTR);
    int error = errno;
    close(fd);
    errno = error;
    return got >= 0;
}

/// Whether the table at `target` may be replaced: 1 if so (also when there
/// is none), with the mode the new file takes in *mode; 0 for a table the
/// player cannot read (said on stderr) or has made read-only.
int table_may_replace(const char* target, mode_t* mode) {
    mode_t mask = umask(0);
    umask(mask);
    *mode = 0666 & ~mask;
    struct stat info;
    if (stat(target, &info) != 0 || !S_ISREG(info.st_mode))
        return 1; // no table yet, or no file that could hold one
    if (!table_readable(target)) {
        fprintf(stderr,
                "cave: the highscore table %s cannot be read (%s); the score is not saved, "
                "so that its entries are kept\n",
                target, strerror(errno ? errno : EIO));
        return 0;
    }
    *mode = info.st_mode & 0777;
    return (info.st_mode & 0222) && faccessat(AT_FDCWD, target, W_OK, AT_EACCESS) == 0;
}

/// Removes from `folder` the temporary files ("NAME.tmp.PID" and
/// "NAME.tmp.PID.XXXXXX") of saves whose process no longer runs.
void table_remove_stale(const std::string& folder, const std::string& name) {
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    const std::string prefix = name + ".tmp.";
    while (dirent* entry = readdir(dir)) {
        if (strncmp(entry->d_name, prefix.c_str(), prefix.size()) != 0)
            continue;
        char* end = nullptr;
        long pid = strtol(entry->d_name + prefix.size(), &end, 10);
        bool ours = end && (*end == '\0' || *end == '.') && pid > 0 && pid <= INT_MAX;
        struct stat info;
        if (ours && pid != getpid() && kill(pid_t(pid), 0) != 0 && errno == ESRCH &&
            fstatat(dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)))
            unlinkat(dirfd(dir), entry->d_name, 0);
    }
    closedir(dir);
}

/// Writes all `size` bytes to `fd`; false on any failure.
bool fd_write_all(int fd, const unsigned char* bytes, size_t size) {
    while (size > 0) {
        ssize_t done = write(fd, bytes, size);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        bytes += done;
        size -= size_t(done);
    }
    return true;
}

/// Writes the bytes to a new temporary file in `folder`, made exclusively
/// (never through a link) and given `mode`, flushed to disk; its name into
/// *temporary. On failure nothing is left behind.
bool table_write_temporary(const std::string& folder, const std::string& name, mode_t mode,
                           const unsigned char* bytes, size_t size, std::string* temporary) {
    std::string pattern = folder + "/" + name + ".tmp." + std::to_string(getpid()) + ".XXXXXX";
    int fd = mkstemp(&pattern[0]);
    if (fd < 0)
        return false;
    *temporary = pattern;
    bool ok = fchmod(fd, mode) == 0 && fd_write_all(fd, bytes, size) && fsync(fd) == 0;
    if (close(fd) != 0 || !ok) {
        unlink(temporary->c_str());
        return false;
    }
    return true;
}

/// Replaces the table at `target` with the bytes when it may: written
/// beside it and renamed over it, the folder then flushed to disk.
void table_save(const std::string& target, const unsigned char* bytes, size_t size) {
    const std::string folder = path_folder(target), name = path_name(target);
    table_remove_stale(folder, name);
    mode_t mode;
    std::string temporary;
    if (!table_may_replace(target.c_str(), &mode) ||
        !table_write_temporary(folder, name, mode, bytes, size, &temporary))
        return;
    if (rename(temporary.c_str(), target.c_str()) != 0) {
        unlink(temporary.c_str());
        return;
    }
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
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
    long size = 0;
    FILE* file = highscore_file ? assets_open_plain(highscore_file, &size) : nullptr;
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
/// then renamed over it. On any failure the old file stays as it was; a
/// file-size limit only fails the save (its signal is ignored meanwhile).
void highscore_write(highscore_* table, int count) {
    if (!table || count <= 0 || !highscore_file)
        return;
    size_t size = size_t(count) * HIGHSCORE_RECORD;
    std::string bytes(size, '\0');
    unsigned char* data = reinterpret_cast<unsigned char*>(&bytes[0]);
    for (int i = 0; i < count; i++)
        record_encode(&table[i], data + size_t(i) * HIGHSCORE_RECORD);

    std::string target;
    if (!table_resolve(highscore_file, &target))
        return;
    struct sigaction ignore = {}, old = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &old);
    table_save(target, data, size);
    sigaction(SIGXFSZ, &old, nullptr);
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
/// the table onto the back buffer with the new row lit; returns that row's
/// index, -1 when the score has no place.
int highscore_new_score(int score, highscore_* table, int count) {
    int lit = -1;
    if (highscore_check_if_high(score, table, count))
        lit = highscore_push(score, username, table, count);
    highscore_draw(bmp, table, count, lit);
    return lit;
}
