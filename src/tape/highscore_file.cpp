// highscore_file: the table of the fifteen best as it is kept on disk.
//
// The table is kept in "highscore.zelko": one 154-byte record per entry, best
// first, each a 32-bit little-endian signed score and a 150-byte name field.
// The bytes are laid out one by one, so a file saved on one machine reads the
// same on any other. Saving never writes into the old file where it can help
// it: the new table goes to a temporary file beside it, takes the old one's
// mode, owner and group, is flushed to disk and then renamed over the old one,
// so a crash, a full disk or a file-size limit leaves the previous table as it
// was. Only a plain file is ever replaced (or a new one made): a device, pipe,
// socket or folder in the table's place is left exactly as it is. A table
// reached through a link is saved beside the file the link leads to, each
// link checked and followed through the same descriptor. The save leaves alone
// a table the player cannot read (it would lose its entries) or has made
// read-only; a table whose owner or group the player cannot give a new file is
// written in place instead, so that everyone who could write it still can.
// Every save that does not happen is said on stderr (and by the highscore
// screen under the table).
#include "tape/highscore_file.h"

#include <cerrno>
#include <climits>
#include <csignal>
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

const char* highscore_file = "highscore.zelko";

namespace {

const char* const DEFAULT_NAME = "Noobie";

/// Entry `index` of the table used when there is no file: 3 x count - index.
void entry_set_default(highscore_* entry, int index, int count) {
    entry->score = 3 * count - index;
    highscore_set_name(entry, DEFAULT_NAME);
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
    highscore_set_name(entry, name);
}

/// Lays out one entry as a record: the score, the name, then zeros.
void record_encode(const highscore_* entry, unsigned char* record) {
    memset(record, 0, HIGHSCORE_RECORD);
    score_encode(entry->score, record);
    memcpy(record + 4, entry->name, strnlen(entry->name, HIGHSCORE_NAME - 1));
}

/// Why the last save did not happen, as the highscore screen says it; empty
/// when it did.
char save_problem[96];

/// Notes a save that does not happen: `reason` on the screen's line, and
/// with the system's `error` (0 for none) on stderr. Returns false.
bool save_refuse(const char* reason, int error) {
    snprintf(save_problem, sizeof save_problem, "%s", reason);
    fprintf(stderr, "cave: %s: the score is not saved: %s%s%s%s\n", highscore_file, reason,
            error ? " (" : "", error ? strerror(error) : "", error ? ")" : "");
    return false;
}

/// The short reason for a save that failed with `error` while the table's
/// folder was reached or written.
const char* save_reason(int error) {
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

/// True if the existing plain file at the place can be opened and its first
/// bytes read.
bool table_readable(const safefile_place_* place) {
    int fd = openat(place->folder, place->name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
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

/// Checks what the place holds: nothing yet (*exists false), or a plain
/// table the player can read and write (its details in *info). False, after
/// saying why, for anything else: no device, pipe, socket or folder is ever
/// replaced, nor a table whose entries would be lost or that is read-only.
bool table_may_replace(const safefile_place_* place, bool* exists, struct stat* info) {
    *exists = fstatat(place->folder, place->name, info, AT_SYMLINK_NOFOLLOW) == 0;
    if (!*exists)
        return errno == ENOENT || save_refuse(save_reason(errno), errno);
    if (!S_ISREG(info->st_mode))
        return save_refuse("the table is not a file", 0);
    if (!table_readable(place))
        return save_refuse("the table cannot be read", errno ? errno : EIO);
    if (!(info->st_mode & 0222) || faccessat(place->folder, place->name, W_OK, AT_EACCESS) != 0)
        return save_refuse("the table is read-only", 0);
    return true;
}

/// Removes from the folder the temporary files of earlier saves of `name`
/// that never finished: only the player's own, of exactly the names a save
/// makes, untouched for more than an hour (a save takes well under a second;
/// whether its process still runs cannot be told for another host's save).
void table_remove_stale(int folder, const char* name) {
    int fd = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0)
            close(fd);
        return;
    }
    const time_t hour_ago = time(nullptr) - 3600;
    while (dirent* entry = readdir(dir)) {
        struct stat info;
        if (safefile_is_temporary_name(entry->d_name, name) &&
            fstatat(dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && info.st_uid == geteuid() && info.st_mtime < hour_ago)
            unlinkat(dirfd(dir), entry->d_name, 0);
    }
    closedir(dir);
}

/// Writes all `size` bytes to `fd` from its start; false on any failure.
bool fd_write_all(int fd, const unsigned char* bytes, size_t size) {
    for (off_t at = 0; size > 0;) {
        ssize_t done = pwrite(fd, bytes, size, at);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        bytes += done;
        at += done;
        size -= size_t(done);
    }
    return true;
}

/// Writes the table into the old file itself, for a table whose owner or
/// group the player may not give a new file: everyone who could write it
/// before still can. Only the very file checked is written.
bool table_write_in_place(const safefile_place_* place, const struct stat* checked,
                          const unsigned char* bytes, size_t size) {
    int fd = openat(place->folder, place->name, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return save_refuse(save_reason(errno), errno);
    struct stat info;
    bool same = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_dev == checked->st_dev &&
                info.st_ino == checked->st_ino;
    bool ok =
        same && fd_write_all(fd, bytes, size) && ftruncate(fd, off_t(size)) == 0 && fsync(fd) == 0;
    int error = errno;
    close(fd);
    return ok || save_refuse(same ? save_reason(error) : "the table changed while saving",
                             same ? error : 0);
}

/// Fills the new file: the bytes, the old table's mode, owner and group (the
/// owner is set only when it differs). False with errno set on failure, and
/// *may_own false when the player may not give the file that owner or group.
bool table_fill_temporary(int fd, const struct stat* old, const unsigned char* bytes, size_t size,
                          bool* may_own) {
    mode_t mask = umask(0);
    umask(mask);
    *may_own = true;
    struct stat made;
    if (fstat(fd, &made) != 0)
        return false;
    if (old && (made.st_uid != old->st_uid || made.st_gid != old->st_gid) &&
        fchown(fd, made.st_uid != old->st_uid ? old->st_uid : uid_t(-1), old->st_gid) != 0) {
        *may_own = errno != EPERM;
        return false;
    }
    return fchmod(fd, old ? old->st_mode & 0777 : 0666 & ~mask) == 0 &&
           fd_write_all(fd, bytes, size) && fsync(fd) == 0;
}

/// Puts the finished temporary file in the table's place, when the place
/// still holds what was checked a moment before (nothing, or that file).
bool table_rename(const safefile_place_* place, const char* temporary, bool exists,
                  const struct stat* checked) {
    struct stat now;
    bool there = fstatat(place->folder, place->name, &now, AT_SYMLINK_NOFOLLOW) == 0;
    if (there != exists || (exists && (!S_ISREG(now.st_mode) || now.st_dev != checked->st_dev ||
                                       now.st_ino != checked->st_ino)))
        return save_refuse("the table changed while saving", 0);
    // Where there was nothing, nothing that appeared meanwhile is replaced.
    int done =
        exists ? renameat(place->folder, temporary, place->folder, place->name)
               : renameat2(place->folder, temporary, place->folder, place->name, RENAME_NOREPLACE);
    return done == 0 || save_refuse(save_reason(errno), errno);
}

/// Saves the bytes at the place when its table may be replaced: written to a
/// temporary file beside it, with the old table's owner, and renamed over it;
/// written in place when the owner cannot be kept so. False after a message.
bool table_save(const safefile_place_* place, const unsigned char* bytes, size_t size) {
    bool exists;
    struct stat old;
    if (!table_may_replace(place, &exists, &old))
        return false;
    table_remove_stale(place->folder, place->name);
    char temporary[NAME_MAX + 1];
    int fd = safefile_create_temporary(place->folder, place->name, temporary, sizeof temporary);
    if (fd < 0)
        return save_refuse(save_reason(errno), errno);
    bool may_own;
    bool filled = table_fill_temporary(fd, exists ? &old : nullptr, bytes, size, &may_own);
    int error = errno;
    if (close(fd) != 0 && filled) {
        filled = false;
        error = errno;
    }
    if (!filled || !table_rename(place, temporary, exists, &old)) {
        unlinkat(place->folder, temporary, 0);
        if (!filled && !may_own)
            return table_write_in_place(place, &old, bytes, size);
        return filled ? false : save_refuse(save_reason(error), error);
    }
    int dir = openat(place->folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

} // namespace

void highscore_set_name(highscore_* entry, const char* name) {
    memset(entry->name, 0, sizeof entry->name);
    if (name)
        memcpy(entry->name, name, strnlen(name, HIGHSCORE_NAME - 1));
}

void highscore_read(highscore_* table, int count) {
    if (!table || count <= 0)
        return;
    std::string bytes(size_t(count) * HIGHSCORE_RECORD, '\0');
    size_t held = 0;
    // Only a plain file is read: a folder or a pipe of that name gives the
    // default table instead of an error or a game that hangs.
    int64_t size = 0;
    FILE* file = highscore_file ? safefile_open_plain(highscore_file, &size) : nullptr;
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

int highscore_save(const highscore_* table, int count) {
    if (!table || count <= 0 || !highscore_file)
        return 1;
    size_t size = size_t(count) * HIGHSCORE_RECORD;
    std::string bytes(size, '\0');
    unsigned char* data = reinterpret_cast<unsigned char*>(&bytes[0]);
    for (int i = 0; i < count; i++)
        record_encode(&table[i], data + size_t(i) * HIGHSCORE_RECORD);

    save_problem[0] = 0;
    safefile_place_ place;
    int error = safefile_resolve(highscore_file, &place);
    if (error) {
        save_refuse(save_reason(error), error);
    } else {
        struct sigaction ignore = {}, old = {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGXFSZ, &ignore, &old);
        table_save(&place, data, size);
        sigaction(SIGXFSZ, &old, nullptr);
        safefile_release(&place);
    }
    return save_problem[0] == 0;
}

const char* highscore_save_problem() {
    return save_problem;
}
