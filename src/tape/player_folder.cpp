// player_folder: the player's folder, found once and held open for the run
// (see player_folder.h).
#include "tape/player_folder.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/safefile.h"

const char* const PLAYER_FOLDER_TABLE = "highscore.zelko";

namespace {

/// The folder of the run.
struct player_folder_ {
    int fd = -1;
    struct stat info = {};                                 // its owner and group
    char table[NAME_MAX + 1] = "";                         // the table's name in it
    std::string table_path = PLAYER_FOLDER_TABLE;          // the table as the player named it
    std::string where;                                     // the folder, for messages
    std::string problem = "the game has no folder for it"; // why there is none
};
player_folder_ folder;

/// The folder the player did not name: $XDG_DATA_HOME/cave, or
/// ~/.local/share/cave; "" when neither is set.
std::string player_folder_default() {
    const char* data_home = getenv("XDG_DATA_HOME");
    if (data_home && data_home[0] == '/') // a relative one is ignored, as the rule says
        return std::string(data_home) + "/cave";
    const char* home = getenv("HOME");
    return home && home[0] ? std::string(home) + "/.local/share/cave" : "";
}

/// Notes that the run has no folder, for `reason`, and says it once.
int player_folder_refuse(const char* reason) {
    folder.problem = reason;
    fprintf(stderr, "cave: %s: no score nor game can be kept (%s); the game goes on\n",
            folder.table_path.c_str(), reason);
    return 0;
}

/// Holds the folder the walk ended in (an O_PATH descriptor): opened again
/// for reading where the player may, so that it can be listed and synced.
void player_folder_hold(int place) {
    folder.fd = openat(place, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder.fd >= 0)
        close(place);
    else
        folder.fd = place; // searchable only: the *at calls still work
    fstat(folder.fd, &folder.info);
    char link[64], text[PATH_MAX];
    snprintf(link, sizeof link, "/proc/self/fd/%d", folder.fd);
    ssize_t length = readlink(link, text, sizeof text - 1);
    if (length > 0)
        folder.where.assign(text, size_t(length));
}

} // namespace

int player_folder_open(const char* named) {
    player_folder_close();
    std::string path = named ? named : player_folder_default();
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    folder.where = path;
    folder.table_path = (path.empty()  ? "~/.local/share/cave"
                         : path == "/" ? ""
                                       : path) +
                        "/" + PLAYER_FOLDER_TABLE;
    if (path.empty())
        return player_folder_refuse("neither HOME nor XDG_DATA_HOME is set");
    safefile_place_ place;
    // The folder the player names must be there; the usual one is made on
    // first use, with the folders above it, as `mkdir -p` would.
    int error = safefile_walk(folder.table_path.c_str(), named == nullptr, &place);
    if (error)
        return player_folder_refuse(player_folder_reason(error));
    snprintf(folder.table, sizeof folder.table, "%s", place.name);
    player_folder_hold(place.folder);
    return 1;
}

void player_folder_close() {
    if (folder.fd >= 0)
        close(folder.fd);
    folder = player_folder_();
}

int player_folder_fd() {
    return folder.fd;
}

const char* player_folder_table() {
    return folder.table;
}

const char* player_folder_table_path() {
    return folder.table_path.c_str();
}

const char* player_folder_where() {
    return folder.where.c_str();
}

const char* player_folder_problem() {
    return folder.fd >= 0 ? "" : folder.problem.c_str();
}

const char* player_folder_reason(int error) {
    switch (error) {
    case ELOOP:
        return "a link loops";
    case EPERM:
        return "a link was made by another user";
    case ENOENT:
    case ENOTDIR:
        return "a link or folder leads nowhere";
    case EISDIR:
        return "the table is not a file";
    case ENOSPC:
    case EDQUOT:
        return "the disk is full";
    case EFBIG:
        return "the file size limit is reached";
    case ENAMETOOLONG:
        return "the name is too long";
    case EACCES:
    case EROFS:
        return "its folder cannot be written";
    default:
        return "the table cannot be written";
    }
}

void player_folder_own(int fd) {
    struct stat made;
    if (geteuid() != 0 || folder.fd < 0 || fstat(fd, &made) != 0)
        return;
    if (made.st_uid != folder.info.st_uid || made.st_gid != folder.info.st_gid)
        (void)!fchown(fd, folder.info.st_uid, folder.info.st_gid);
}

bool player_folder_ours(uid_t owner) {
    return owner == geteuid() || (geteuid() == 0 && folder.fd >= 0 && owner == folder.info.st_uid);
}

int player_folder_open_file(int dir, const char* name) {
    int fd = openat(dir, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat info;
    if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        close(fd);
        fd = -1;
        errno = EISDIR;
    }
    return fd;
}

int player_folder_open_own_file(int dir, const char* name) {
    int fd = openat(dir, name, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat info;
    if (fd >= 0 &&
        (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || !player_folder_ours(info.st_uid))) {
        close(fd);
        fd = -1;
        errno = EPERM;
    }
    return fd;
}

int player_folder_rename_new(int from_dir, const char* from, int to_dir, const char* to) {
    if (renameat2(from_dir, from, to_dir, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    // A file system that cannot rename without replacing: a second name made
    // exclusively, then the first one removed.
    if (linkat(from_dir, from, to_dir, to, 0) != 0)
        return -1;
    unlinkat(from_dir, from, 0);
    return 0;
}

int player_folder_create(int dir, const char* name, mode_t mode) {
    int fd = safefile_create(dir, name, mode);
    if (fd >= 0)
        player_folder_own(fd);
    return fd;
}

int player_folder_create_temporary(int dir, const char* base, char* name, size_t size) {
    int fd = safefile_create_temporary(dir, base, name, size);
    if (fd >= 0)
        player_folder_own(fd);
    return fd;
}

int player_folder_open_folder(const char* name, bool make) {
    if (folder.fd < 0) {
        errno = ENOENT;
        return -1;
    }
    bool made = make && mkdirat(folder.fd, name, 0777) == 0;
    if (make && !made && errno != EEXIST)
        return -1;
    int dir = openat(folder.fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat info;
    if (dir < 0 && errno == ENOTDIR && fstatat(folder.fd, name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISLNK(info.st_mode))
        errno = ELOOP; // the system tells a link there as no folder
    if (dir >= 0 && made)
        player_folder_own(dir);
    return dir;
}

void player_folder_sweep(int dir, const char* base) {
    int fd = openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* listing = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!listing) {
        if (fd >= 0)
            close(fd);
        return;
    }
    const time_t hour_ago = time(nullptr) - 3600;
    while (dirent* entry = readdir(listing)) {
        struct stat info;
        if (safefile_is_temporary_name(entry->d_name, base) &&
            fstatat(dirfd(listing), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && player_folder_ours(info.st_uid) && info.st_mtime < hour_ago)
            unlinkat(dirfd(listing), entry->d_name, 0);
    }
    closedir(listing);
}

void player_folder_sync(int dir) {
    int fd = openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}
