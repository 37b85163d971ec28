// recordings: every game kept, in the folder "recordings" in the player's
// folder (tape/player_folder), reached through its descriptor.
//
// Each game's recording is a new file named after the time, the process and
// a count ("20261208-063000-4242-1.rec"), made in the folder opened without
// following links and created exclusively, so it is never written through a
// link nor over any file. While its game goes on, the game's process holds a
// lock (flock) on it: that is how a live game's file is told from a file
// whose process is gone. A finished recording ends with the line
// "# end score S". The folder's "index" says which recording belongs to
// which entry of the table, with the entry's score and name, so an entry
// that has changed since (another table, an older game) is not mistaken for
// it, and lists the last games, newest first:
//
//   cave recordings 1
//   entry PLACE SCORE FILE NAME
//   last FILE
//
// The index is written like the table: to a temporary file made exclusively
// beside it, synced, renamed over it, and the folder synced; temporary files
// of writes that never finished are swept by the table's rule. Only the
// player's own files whose names are ours are removed, and never one a
// running process holds locked (its game goes on).
#include "tape/recordings.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tape/highscore_file.h"
#include "tape/player_folder.h"
#include "tape/recording.h"

namespace {

/// The index of the folder: the recording of each table entry and the last
/// games. An empty file name: none.
struct recordings_index_ {
    struct entry_ {
        int score;
        char file[64];
        char name[HIGHSCORE_NAME];
    } entries[HIGHSCORE_COUNT];
    char last[RECORDINGS_LAST][64];
};

bool enabled = false;
bool said = false;         // the folder's trouble has been told
FILE* game_file = nullptr; // the recording of the game being played
char game_name[64] = "";   // its file name
int game_count = 0;        // games begun by this process

/// The folder, for messages.
std::string recordings_folder() {
    return std::string(player_folder_where()) + "/recordings";
}

/// Tells, once a run, that the folder cannot be used.
void recordings_say(const char* why) {
    if (!said)
        fprintf(stderr, "cave: %s: the games cannot be kept there (%s); the game goes on\n",
                recordings_folder().c_str(), why);
    said = true;
}

/// Opens the folder (made first when `make`) in the player's folder, never
/// through a link; -1 when it cannot be. A run without a player's folder
/// has said so already.
int recordings_open_folder(bool make) {
    int dir = player_folder_open_folder("recordings", make);
    if (dir < 0 && make && player_folder_fd() >= 0)
        recordings_say(errno == ELOOP ? "it is a link" : strerror(errno));
    return dir;
}

/// The process that made a recording named `name`, or 0 when the name is
/// not one of ours (a name of the index must be, so the index cannot lead
/// out of the folder).
long recordings_maker(const char* name) {
    const size_t length = strlen(name);
    long day = 0, time = 0, pid = 0, count = 0;
    int used = 0;
    if (length < 5 || length >= 64 || strcmp(name + length - 4, ".rec") != 0 ||
        strspn(name, "0123456789-") != length - 4 ||
        sscanf(name, "%8ld-%6ld-%ld-%ld.rec%n", &day, &time, &pid, &count, &used) != 4 ||
        size_t(used) != length)
        return 0;
    return pid > 0 ? pid : 0;
}

/// Reads the index in the folder `dir` (an empty one when there is none).
void recordings_read_index(int dir, recordings_index_* index) {
    *index = recordings_index_();
    int fd = player_folder_open_file(dir, "index");
    FILE* in = fd >= 0 ? fdopen(fd, "r") : nullptr;
    if (!in) {
        if (fd >= 0)
            close(fd);
        return;
    }
    char line[512], file[64];
    int lasts = 0;
    while (fgets(line, sizeof line, in)) {
        line[strcspn(line, "\r\n")] = 0;
        int place = 0, score = 0, used = 0;
        if (sscanf(line, "entry %d %d %63s %n", &place, &score, file, &used) == 3 && place >= 1 &&
            place <= HIGHSCORE_COUNT && recordings_maker(file)) {
            recordings_index_::entry_& e = index->entries[place - 1];
            e.score = score;
            snprintf(e.file, sizeof e.file, "%s", file);
            snprintf(e.name, sizeof e.name, "%s", line + used);
        } else if (sscanf(line, "last %63s", file) == 1 && recordings_maker(file) &&
                   lasts < RECORDINGS_LAST) {
            snprintf(index->last[lasts++], sizeof index->last[0], "%s", file);
        }
    }
    fclose(in);
}

/// Writes the index to a new file in `dir`, made exclusively and synced,
/// and renames it over the old one; false with errno set when it could not.
bool recordings_write_index(int dir, const recordings_index_& index) {
    player_folder_sweep(dir, "index");
    char temporary[NAME_MAX + 1];
    int fd = player_folder_create_temporary(dir, "index", temporary, sizeof temporary);
    mode_t mask = umask(0);
    umask(mask);
    FILE* out = fd >= 0 && fchmod(fd, 0666 & ~mask) == 0 ? fdopen(fd, "w") : nullptr;
    if (!out) {
        if (fd >= 0) {
            close(fd);
            unlinkat(dir, temporary, 0);
        }
        return false;
    }
    fprintf(out, "cave recordings 1\n");
    for (int i = 0; i < HIGHSCORE_COUNT; i++)
        if (index.entries[i].file[0])
            fprintf(out, "entry %d %d %s %s\n", i + 1, index.entries[i].score,
                    index.entries[i].file, index.entries[i].name);
    for (const char* file : index.last)
        if (file[0])
            fprintf(out, "last %s\n", file);
    bool ok = fflush(out) == 0 && !ferror(out) && fsync(fd) == 0;
    ok = fclose(out) == 0 && ok && renameat(dir, temporary, dir, "index") == 0;
    if (!ok)
        unlinkat(dir, temporary, 0);
    else
        player_folder_sync(dir);
    return ok;
}

/// True if `entry` of the index stands for table entry `row`.
bool recordings_fits(const recordings_index_::entry_& entry, const highscore_& row) {
    return entry.file[0] && entry.score == row.score && strcmp(entry.name, row.name) == 0;
}

/// Ties the table as saved to the recordings in `moved` (the old entries
/// moved down past the new one, in table order): an entry keeps the
/// recording at its own place if it fits, else the first free one that does.
void recordings_tie(recordings_index_* index, const recordings_index_::entry_* moved, int count) {
    highscore_ table[HIGHSCORE_COUNT];
    highscore_read(table, HIGHSCORE_COUNT);
    bool taken[HIGHSCORE_COUNT + 1] = {};
    for (int i = 0; i < HIGHSCORE_COUNT; i++) {
        int pick = i < count && recordings_fits(moved[i], table[i]) ? i : -1;
        for (int j = 0; pick < 0 && j < count; j++)
            if (!taken[j] && recordings_fits(moved[j], table[i]))
                pick = j;
        index->entries[i] = recordings_index_::entry_();
        if (pick >= 0) {
            index->entries[i] = moved[pick];
            taken[pick] = true;
        }
    }
}

/// 1 if `file` is one of the recordings the index keeps.
bool recordings_kept(const recordings_index_& index, const char* file) {
    for (const auto& e : index.entries)
        if (strcmp(e.file, file) == 0)
            return true;
    for (const char* last : index.last)
        if (strcmp(last, file) == 0)
            return true;
    return false;
}

/// Removes the recording `name` from `dir` unless a running process holds
/// it locked (its game goes on): the lock is tried, and held while the file
/// goes, so that a game that has just made it sees it gone.
void recordings_remove_unless_live(int dir, const char* name) {
    int fd = player_folder_open_file(dir, name);
    struct stat info;
    if (fd < 0)
        return;
    if (fstat(fd, &info) == 0 && player_folder_ours(info.st_uid) &&
        flock(fd, LOCK_EX | LOCK_NB) == 0)
        unlinkat(dir, name, 0);
    close(fd);
}

/// Removes from `dir` our recordings that the index does not keep, but not
/// those of a game a running process still plays.
void recordings_prune(int dir, const recordings_index_& index) {
    int copy = openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* listing = copy >= 0 ? fdopendir(copy) : nullptr;
    if (!listing) {
        if (copy >= 0)
            close(copy);
        return;
    }
    while (dirent* item = readdir(listing))
        if (recordings_maker(item->d_name) && !recordings_kept(index, item->d_name) &&
            strcmp(item->d_name, game_name) != 0)
            recordings_remove_unless_live(dir, item->d_name);
    closedir(listing);
}

/// The score on the last line ("# end score S") of the open recording
/// `fd`; false when it has none (it is unfinished, or damaged).
bool recordings_end_score(int fd, int* score) {
    struct stat info;
    char tail[64];
    if (fstat(fd, &info) != 0 || info.st_size == 0)
        return false;
    const off_t from =
        info.st_size > off_t(sizeof tail - 1) ? info.st_size - off_t(sizeof tail - 1) : 0;
    ssize_t got = pread(fd, tail, size_t(info.st_size - from), from);
    if (got <= 0)
        return false;
    size_t length = size_t(got) - (tail[got - 1] == '\n');
    tail[length] = 0;
    const char* end = static_cast<const char*>(memrchr(tail, '\n', length));
    if (!end && from > 0)
        return false; // the last line began before the tail: far too long
    const char* line = end ? end + 1 : tail;
    int used = 0;
    return sscanf(line, "# end score %d%n", score, &used) == 1 && line[used] == 0;
}

/// Makes the next game's recording in `dir`, named after the time, the
/// process and the count, and locks it for as long as the game goes on; a
/// file pruned by another process before the lock took is made again. A
/// descriptor, or -1 with errno set.
int recordings_make(int dir) {
    for (int tries = 0; tries < 3; tries++) {
        char stamp[32];
        const time_t now = time(nullptr);
        strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", localtime(&now));
        snprintf(game_name, sizeof game_name, "%s-%ld-%d.rec", stamp, long(getpid()), ++game_count);
        int fd = player_folder_create(dir, game_name, 0666);
        struct stat info;
        if (fd < 0 || (flock(fd, LOCK_EX) == 0 && fstat(fd, &info) == 0 && info.st_nlink > 0))
            return fd;
        close(fd);
    }
    errno = ENOENT;
    return -1;
}

} // namespace

void recordings_enable(int on) {
    enabled = on != 0;
    said = false;
    // A file-size limit must fail a recording's writes (the copy is then
    // dropped and said), not end the game with its signal.
    if (enabled)
        signal(SIGXFSZ, SIG_IGN);
}

void recordings_game_begins() {
    if (!enabled || game_file)
        return;
    game_name[0] = 0;
    int dir = recordings_open_folder(true);
    if (dir < 0)
        return;
    int fd = recordings_make(dir);
    close(dir);
    game_file = fd >= 0 ? fdopen(fd, "w") : nullptr;
    if (!game_file) {
        recordings_say(strerror(errno));
        if (fd >= 0)
            close(fd);
        game_name[0] = 0;
        return;
    }
    fprintf(game_file, "cave recording %d\n# The Wizard's Cave: one game\n", RECORDING_VERSION);
    recording_copy_to(game_file);
}

void recordings_note_table(int place, int score, const char* name) {
    int dir = game_file ? recordings_open_folder(true) : -1;
    if (dir < 0)
        return;
    recordings_index_ index;
    recordings_read_index(dir, &index);
    recordings_index_::entry_ moved[HIGHSCORE_COUNT + 1] = {};
    int count = 0;
    for (int i = 0; i < HIGHSCORE_COUNT; i++) {
        if (i == place) {
            moved[count].score = score;
            snprintf(moved[count].file, sizeof moved[count].file, "%s", game_name);
            snprintf(moved[count++].name, sizeof moved[0].name, "%s", name ? name : "");
        }
        moved[count++] = index.entries[i];
    }
    recordings_tie(&index, moved, count);
    memmove(index.last[1], index.last[0], sizeof index.last[0] * (RECORDINGS_LAST - 1));
    snprintf(index.last[0], sizeof index.last[0], "%s", game_name);
    if (!recordings_write_index(dir, index))
        recordings_say(strerror(errno));
    close(dir);
}

void recordings_game_ends(int score) {
    if (!game_file)
        return;
    const bool whole = recording_copy_to(nullptr);
    fprintf(game_file, "# end score %d\n", score);
    const bool written = fclose(game_file) == 0 && whole;
    game_file = nullptr;
    int dir = recordings_open_folder(true);
    if (dir < 0)
        return;
    if (!written) {
        recordings_say("a recording could not be written whole");
        unlinkat(dir, game_name, 0);
    }
    game_name[0] = 0;
    recordings_index_ index;
    recordings_read_index(dir, &index);
    recordings_prune(dir, index);
    close(dir);
}

int recordings_any() {
    recordings_game_ games[HIGHSCORE_COUNT + 1];
    const int count = recordings_list(games);
    return count > 0 && games[0].place > 0;
}

/// The score the recording `file` in `dir` ends with; false when it is
/// gone, or unfinished or damaged.
static bool recordings_finished(int dir, const char* file, int* score) {
    const int fd = player_folder_open_file(dir, file);
    const bool finished = fd >= 0 && recordings_end_score(fd, score);
    if (fd >= 0)
        close(fd);
    return finished;
}

int recordings_list(recordings_game_* games) {
    const int dir = recordings_open_folder(false);
    if (dir < 0)
        return 0;
    recordings_index_ index;
    recordings_read_index(dir, &index);
    highscore_ table[HIGHSCORE_COUNT];
    highscore_read(table, HIGHSCORE_COUNT);
    int count = 0, score = 0;
    for (int i = 0; i < HIGHSCORE_COUNT; i++) {
        const recordings_index_::entry_& e = index.entries[i];
        // The game whose table is shown now ends its recording after it.
        if (!recordings_fits(e, table[i]) ||
            !((game_file && strcmp(e.file, game_name) == 0) ||
              (recordings_finished(dir, e.file, &score) && score == e.score)))
            continue;
        games[count] = {i + 1, table[i].score, ""};
        snprintf(games[count++].name, sizeof games[0].name, "%s", table[i].name);
    }
    if (index.last[0][0] && recordings_finished(dir, index.last[0], &score))
        games[count++] = {0, score, ""};
    close(dir);
    return count;
}

/// The file name of the recording of table entry `entry` (or, for -1, of
/// the last game) in the index of `dir`, and the score it must end with
/// (or -1: any); false after a line on stderr when it has none.
bool recordings_pick(int dir, int entry, char* file, int* score) {
    recordings_index_ index;
    recordings_read_index(dir, &index);
    *score = -1;
    if (entry < 0) {
        snprintf(file, 64, "%s", index.last[0]);
        if (!file[0])
            fprintf(stderr, "cave: no game has been kept yet\n");
        return file[0] != 0;
    }
    highscore_ table[HIGHSCORE_COUNT];
    highscore_read(table, HIGHSCORE_COUNT);
    if (entry > HIGHSCORE_COUNT || !recordings_fits(index.entries[entry - 1], table[entry - 1])) {
        fprintf(stderr,
                "cave: entry %d of the table has no recording (it was played before "
                "games were kept, or its recording was removed)\n",
                entry);
        return false;
    }
    snprintf(file, 64, "%s", index.entries[entry - 1].file);
    *score = table[entry - 1].score;
    return true;
}

int recordings_open_kept(int entry, char* name, size_t size) {
    int dir = recordings_open_folder(false);
    if (dir < 0) {
        fprintf(stderr, "cave: no game has been kept: there is no folder %s\n",
                recordings_folder().c_str());
        return -1;
    }
    char file[64];
    int wanted = -1, score = 0;
    int fd = recordings_pick(dir, entry, file, &wanted) ? player_folder_open_file(dir, file) : -2;
    close(dir);
    if (fd == -1 || (fd >= 0 && !recordings_end_score(fd, &score))) {
        fprintf(stderr, "cave: the recording %s/%s is gone, damaged or unfinished\n",
                recordings_folder().c_str(), file);
    } else if (fd >= 0 && wanted >= 0 && score != wanted) {
        fprintf(stderr, "cave: the recording %s/%s is of another game (score %d, not %d)\n",
                recordings_folder().c_str(), file, score, wanted);
    } else if (fd >= 0) {
        snprintf(name, size, "%s/%s", recordings_folder().c_str(), file);
        return fd;
    }
    if (fd >= 0)
        close(fd);
    return -1;
}
