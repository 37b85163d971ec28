// recordings: every game kept, in the player's folder (tape/player_folder),
// reached through its descriptor.
//
// A game's lines are held in memory until play begins; from then on the game
// is in progress, and its recording is the file "game-in-progress.rec" in the
// player's folder, written a line at a time. It is made under a temporary
// name, locked (flock) and filled, and only then takes its name, never over
// another's: a run that finds it there unlocked knows that the run playing it
// is gone, and may take the game up; a run that finds it locked (another copy
// of the game plays it) keeps its own game in recordings/ from the start.
// Once the game's score is saved, its recording moves to the folder
// "recordings", as every finished game's. A game in progress that cannot be
// played back is set aside under a name of its own, never removed.
//
// In recordings/ each game's recording is named after the time, the process
// and a count ("20261208-063000-4242-1.rec"), made in the folder opened
// without following links and exclusively, so it is never written through a
// link nor over any file. While its game goes on, the game's process holds
// its lock: that is how a live game's file is told from a file whose process
// is gone. A finished recording ends with the line "# end score S". The
// folder's "index" says which recording belongs to which entry of the table,
// with the entry's score and name, so an entry that has changed since
// (another table, an older game) is not mistaken for it, and lists the last
// games, newest first:
//
//   cave recordings 1
//   entry PLACE SCORE FILE NAME
//   last FILE
//
// The index is written like the table: to a temporary file made exclusively
// beside it, synced, renamed over it, and the folder synced; temporary files
// of writes that never finished are swept by the table's rule. One process
// at a time reads and writes it: each holds a lock on the folder meanwhile. Only the
// player's own files whose names are ours are removed, and never one a
// running process holds locked (its game goes on).
#include "tape/recordings.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/safefile.h"
#include "tape/highscore_file.h"
#include "tape/player_folder.h"
#include "tape/recording.h"

const char* const RECORDINGS_IN_PROGRESS = "game-in-progress.rec";

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
std::string problem;       // and what it was
FILE* game_file = nullptr; // the recording of the game being played, once play began
char game_name[64] = "";   // its file name in recordings/ ("" while in progress)
bool in_progress = false;  // game_file is the game in progress in the player's folder
bool game_whole = true;    // every line so far reached it
int game_count = 0;        // games begun by this process

/// The lines of the game about to be played, held in memory until play begins.
FILE* held = nullptr;
char* held_bytes = nullptr;
size_t held_size = 0;

/// The game in progress an earlier run left, open and locked, until it is
/// taken up (or set aside).
int left_fd = -1;

/// The line that notes the health reference a game begins with.
constexpr char reference_line[] = "# health reference at the start: ";

/// The folder, for messages.
std::string recordings_folder() {
    return std::string(player_folder_where()) + "/recordings";
}

/// Tells, once a run, that the folder cannot be used.
void recordings_say(const char* why) {
    if (!said)
        fprintf(stderr, "cave: %s: the games cannot be kept there (%s); the game goes on\n",
                recordings_folder().c_str(), why);
    if (!said)
        problem = why;
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
    FILE* out = fd >= 0 && fchmod(fd, safefile_plain_mode()) == 0 ? fdopen(fd, "w") : nullptr;
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

/// The local time now as the game's file names give it ("20261208-063000").
void recordings_stamp(char* stamp, size_t size) {
    const time_t now = time(nullptr);
    strftime(stamp, size, "%Y%m%d-%H%M%S", localtime(&now));
}

/// Names the game's recording in recordings/ after the time, the process
/// and the count.
void recordings_new_name() {
    char stamp[32];
    recordings_stamp(stamp, sizeof stamp);
    snprintf(game_name, sizeof game_name, "%s-%ld-%d.rec", stamp, long(getpid()), ++game_count);
}

/// Makes the next game's recording in `dir`, named after the time, the
/// process and the count, and locks it for as long as the game goes on; a
/// file pruned by another process before the lock took is made again. A
/// descriptor, or -1 with errno set.
int recordings_make(int dir) {
    for (int tries = 0; tries < 3; tries++) {
        recordings_new_name();
        int fd = player_folder_create(dir, game_name, 0666);
        struct stat info;
        if (fd < 0 || (flock(fd, LOCK_EX) == 0 && fstat(fd, &info) == 0 && info.st_nlink > 0))
            return fd;
        close(fd);
    }
    errno = ENOENT;
    return -1;
}

/// Drops the lines held before play began.
void recordings_drop_held() {
    if (held)
        fclose(held);
    free(held_bytes);
    held = nullptr;
    held_bytes = nullptr;
    held_size = 0;
}

/// Writes the lines held so far to `fd`; false with errno set when they did
/// not all reach it.
bool recordings_write_held(int fd) {
    return fflush(held) == 0 && safefile_write_all(fd, held_bytes, held_size);
}

/// Makes the game in progress in the player's folder, locked, holding the
/// lines held so far, and on the disk; a descriptor, or -1 when it cannot be
/// had (another running copy of the game holds one: EEXIST).
int recordings_make_in_progress() {
    const int folder = player_folder_fd();
    if (folder < 0)
        return -1;
    player_folder_sweep(folder, RECORDINGS_IN_PROGRESS);
    char temporary[NAME_MAX + 1];
    int fd =
        player_folder_create_temporary(folder, RECORDINGS_IN_PROGRESS, temporary, sizeof temporary);
    if (fd < 0)
        return -1;
    // Locked and filled before it takes its name, so that no other run ever
    // finds it unlocked or half written; readable as the games in recordings/.
    if (flock(fd, LOCK_EX) != 0 || fchmod(fd, safefile_plain_mode()) != 0 ||
        !recordings_write_held(fd) || fdatasync(fd) != 0 ||
        player_folder_rename_new(folder, temporary, folder, RECORDINGS_IN_PROGRESS) != 0) {
        const int error = errno;
        unlinkat(folder, temporary, 0);
        close(fd);
        errno = error;
        return -1;
    }
    player_folder_sync(folder);
    return fd;
}

/// True while the game in progress in the player's folder is the file open
/// as `fd` (so that what is done to the name is done to this game).
bool recordings_in_progress_is(int fd) {
    struct stat named, open;
    return fstatat(player_folder_fd(), RECORDINGS_IN_PROGRESS, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           fstat(fd, &open) == 0 && named.st_dev == open.st_dev && named.st_ino == open.st_ino;
}

/// The game in progress is over, its score saved: it moves into `dir`
/// (recordings/) under a name of its own; where it cannot, it goes, for it
/// must never be taken up again (the folder's trouble is said).
void recordings_finish_progress(int dir) {
    in_progress = false;
    const int folder = player_folder_fd();
    if (!recordings_in_progress_is(fileno(game_file))) {
        game_name[0] = 0; // set aside meanwhile: it is another's now
        return;
    }
    bool moved = false;
    for (int tries = 0; dir >= 0 && !moved && tries < 3; tries++) {
        recordings_new_name();
        moved = player_folder_rename_new(folder, RECORDINGS_IN_PROGRESS, dir, game_name) == 0;
        if (!moved && errno != EEXIST)
            break;
    }
    if (!moved) {
        if (dir >= 0)
            recordings_say(strerror(errno));
        unlinkat(folder, RECORDINGS_IN_PROGRESS, 0);
        game_name[0] = 0;
    }
    player_folder_sync(folder);
    if (dir >= 0)
        player_folder_sync(dir);
}

/// Gives the game in progress a name of its own in the player's folder,
/// after the time ("game-set-aside-DATE-TIME.rec", a count added when that
/// is taken), into `aside`; left "" when it cannot be renamed.
void recordings_rename_aside(char* aside, size_t size) {
    char stamp[32], name[64];
    recordings_stamp(stamp, sizeof stamp);
    for (int n = 1; n < 100 && !aside[0]; n++) {
        if (n == 1)
            snprintf(name, sizeof name, "game-set-aside-%s.rec", stamp);
        else
            snprintf(name, sizeof name, "game-set-aside-%s-%d.rec", stamp, n);
        if (player_folder_rename_new(player_folder_fd(), RECORDINGS_IN_PROGRESS, player_folder_fd(),
                                     name) == 0)
            snprintf(aside, size, "%s", name);
        else if (errno != EEXIST)
            break;
    }
    player_folder_sync(player_folder_fd());
}

} // namespace

void recordings_enable(int on) {
    enabled = on != 0;
    said = false;
    problem.clear();
    recordings_drop_held();
    if (left_fd >= 0)
        close(left_fd);
    left_fd = -1;
    // A file-size limit must fail a recording's writes (the copy is then
    // dropped and said), not end the game with its signal.
    if (enabled)
        signal(SIGXFSZ, SIG_IGN);
}

void recordings_game_begins(float health_reference) {
    if (!enabled || game_file || held)
        return;
    game_name[0] = 0;
    game_whole = true;
    held = open_memstream(&held_bytes, &held_size);
    if (!held) {
        recordings_say(strerror(errno));
        return;
    }
    fprintf(held, "cave recording %d\n# The Wizard's Cave: one game\n%s%.9g\n", RECORDING_VERSION,
            reference_line, double(health_reference));
    recording_copy_to(held);
}

void recordings_play_begins() {
    if (!held)
        return;
    game_whole = recording_copy_to(nullptr);
    int fd = recordings_make_in_progress();
    in_progress = fd >= 0;
    if (fd < 0) {
        const int dir = recordings_open_folder(true);
        fd = dir >= 0 ? recordings_make(dir) : -1;
        if (fd >= 0 && !recordings_write_held(fd))
            game_whole = false;
        else if (fd < 0 && dir >= 0)
            recordings_say(strerror(errno));
        if (dir >= 0)
            close(dir);
    }
    game_file = fd >= 0 ? fdopen(fd, "w") : nullptr;
    if (!game_file && fd >= 0)
        close(fd);
    recordings_drop_held();
    if (game_file)
        recording_copy_to(game_file);
}

void recordings_note_table(int place, int score, const char* name) {
    int dir = game_file ? recordings_open_folder(true) : -1;
    if (game_file && in_progress)
        recordings_finish_progress(dir);
    if (dir < 0 || !game_name[0]) {
        if (dir >= 0)
            close(dir);
        return;
    }
    flock(dir, LOCK_EX); // one run at a time reads and writes the index
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
    close(dir); // which lets the lock go
}

void recordings_game_ends(int score) {
    recordings_drop_held(); // a game that never came to play
    if (!game_file)
        return;
    int dir = recordings_open_folder(true);
    if (in_progress)
        recordings_finish_progress(dir);
    const bool whole = recording_copy_to(nullptr) && game_whole;
    fprintf(game_file, "# end score %d\n", score);
    const bool written = fclose(game_file) == 0 && whole;
    game_file = nullptr;
    if (dir < 0)
        return;
    if (!written && game_name[0]) {
        recordings_say("a recording could not be written whole");
        unlinkat(dir, game_name, 0);
    }
    game_name[0] = 0;
    recordings_index_ index;
    recordings_read_index(dir, &index);
    recordings_prune(dir, index);
    close(dir);
}

int recordings_find_left_game() {
    if (left_fd >= 0)
        return 1;
    if (!enabled || game_file || player_folder_fd() < 0)
        return 0;
    int fd = player_folder_open_own_file(player_folder_fd(), RECORDINGS_IN_PROGRESS);
    struct stat info;
    // Locked, it is another running copy's game; unlinked by the time the
    // lock took, it was finished meanwhile.
    if (fd >= 0 &&
        (flock(fd, LOCK_EX | LOCK_NB) != 0 || fstat(fd, &info) != 0 || info.st_nlink == 0)) {
        close(fd);
        fd = -1;
    }
    left_fd = fd;
    return fd >= 0;
}

int recordings_take_up(void (*at_end)(), float* reference) {
    if (left_fd < 0)
        return 0;
    recordings_reference(left_fd, reference);
    const std::string name = std::string(player_folder_where()) + "/" + RECORDINGS_IN_PROGRESS;
    long long whole = 0;
    if (!recording_take_up(left_fd, name.c_str(), at_end, &whole))
        return 0;
    // The next lines follow the last whole one (a line cut off by a crash,
    // or the mark of a program ended on the end screens, is dropped).
    if (ftruncate(left_fd, off_t(whole)) != 0 || lseek(left_fd, 0, SEEK_END) < 0 ||
        !(game_file = fdopen(left_fd, "w"))) {
        fprintf(stderr, "cave: %s: cannot be written (%s)\n", name.c_str(), strerror(errno));
        recording_finish();
        return 0;
    }
    left_fd = -1;
    in_progress = true;
    game_whole = true;
    game_name[0] = 0;
    recording_copy_to(game_file);
    return 1;
}

void recordings_set_aside(char* aside, size_t size) {
    recording_copy_to(nullptr);
    const int fd = game_file ? fileno(game_file) : left_fd;
    aside[0] = 0;
    errno = ENOENT;
    if (fd >= 0 && recordings_in_progress_is(fd))
        recordings_rename_aside(aside, size);
    if (aside[0])
        fprintf(stderr, "cave: your last game cannot go on; it was set aside as %s/%s\n",
                player_folder_where(), aside);
    else
        fprintf(stderr, "cave: your last game cannot go on, nor be set aside (%s)\n",
                strerror(errno));
    if (game_file)
        fclose(game_file);
    else if (left_fd >= 0)
        close(left_fd);
    game_file = nullptr;
    left_fd = -1;
    in_progress = false;
}

void recordings_sync() {
    if (game_file && fflush(game_file) == 0)
        fdatasync(fileno(game_file));
}

const char* recordings_problem() {
    return problem.c_str();
}

bool recordings_reference(int fd, float* value) {
    char head[256];
    const ssize_t got = pread(fd, head, sizeof head - 1, 0);
    if (got <= 0)
        return false;
    head[got] = 0;
    const char* line = strstr(head, reference_line);
    if (!line || (line > head && line[-1] != '\n'))
        return false;
    char* end = nullptr;
    const double number = strtod(line + sizeof reference_line - 1, &end);
    // It only ever grows from 30 (the health a game begins with).
    if (end == line + sizeof reference_line - 1 || *end != '\n' || !std::isfinite(number) ||
        number < 30 || number > 1e9)
        return false;
    *value = float(number);
    return true;
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
