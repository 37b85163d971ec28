// highscore_file: the table of the fifteen best as it is kept on disk.
//
// The table is kept in "highscore.zelko" in the player's folder (see
// tape/player_folder), reached through the folder's descriptor: one 154-byte
// record per entry, best first, each a 32-bit little-endian signed score and a
// 150-byte name field. The bytes are laid out one by one, so a file saved on
// one machine reads the same on any other. Saving never writes into the old
// file where it can help it: the new table goes to a temporary file beside it,
// takes the old one's mode, owner and group (a new table: the folder's owner
// and group), is flushed to disk and is then exchanged with the old one; what
// the exchange displaced is looked at, and only the very plain file that was
// checked is removed: anything else (another game's newer table, a pipe
// swapped in) is put back and the save refused. A new table goes in only
// where there still is nothing. So a crash, a full disk or a file-size limit
// leaves the previous table as it was, and no device, pipe, socket or folder
// in the table's place is ever replaced. The save leaves alone a table the
// player cannot read (it would lose its entries) or has made read-only; a
// table whose owner or group the player cannot give a new file is written in
// place instead, so that everyone who could write it still can, but only when
// the whole table is sure to fit (the file-size limit, room on the disk): in
// one write, then synced. Every save that does not happen is said on stderr
// (and by the highscore screen under the table).
#include "tape/highscore_file.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/safefile.h"
#include "tape/player_folder.h"

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
char save_problem[128];

/// Run in every save just before the new table takes the old one's place.
void (*before_replace)() = nullptr;

/// Notes a save that does not happen: `reason` on the screen's line, and
/// with the system's `error` (0 for none) on stderr. Returns false.
bool save_refuse(const char* reason, int error) {
    snprintf(save_problem, sizeof save_problem, "%s", reason);
    fprintf(stderr, "cave: %s: the score is not saved: %s%s%s%s\n", player_folder_table_path(),
            reason, error ? " (" : "", error ? strerror(error) : "", error ? ")" : "");
    return false;
}

/// Notes a save that failed with `error`; returns false.
bool save_fail(int error) {
    return save_refuse(player_folder_reason(error), error);
}

/// True if the two are the same file.
bool same_file(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

/// True if the existing plain file `name` in `folder` can be opened and its
/// first bytes read.
bool table_readable(int folder, const char* name) {
    int fd = openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
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

/// Checks what the table's place holds: nothing yet (*exists false), or a
/// plain table the player can read and write (its details in *info). False,
/// after saying why, for anything else: no device, pipe, socket or folder is
/// ever replaced, nor a table whose entries would be lost or that is
/// read-only.
bool table_may_replace(int folder, const char* name, bool* exists, struct stat* info) {
    *exists = fstatat(folder, name, info, AT_SYMLINK_NOFOLLOW) == 0;
    if (!*exists)
        return errno == ENOENT || save_fail(errno);
    if (!S_ISREG(info->st_mode))
        return save_refuse("the table is not a file", 0);
    if (!table_readable(folder, name))
        return save_refuse("the table cannot be read", errno ? errno : EIO);
    if (!(info->st_mode & 0222) || faccessat(folder, name, W_OK, AT_EACCESS) != 0)
        return save_refuse("the table is read-only", 0);
    return true;
}

/// 0 when a table of `size` bytes is sure to fit whole into the open file
/// `fd` (of status `info`): within the file-size limit, with room on the
/// disk for every byte (reserved first); else the errno value of what
/// stands in the way.
int table_fits(int fd, const struct stat& info, size_t size) {
    rlimit limit;
    if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        limit.rlim_cur < size)
        return EFBIG;
    if (fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(size)) == 0)
        return 0;
    // A file system that reserves nothing: only a file whose bytes are all
    // on the disk already is sure to take the table.
    const bool whole = info.st_size >= off_t(size) && info.st_blocks * 512 >= off_t(size);
    return errno == EOPNOTSUPP && whole ? 0 : errno;
}

/// Writes the table into the old file itself, for a table whose owner or
/// group the player may not give a new file: everyone who could write it
/// before still can. Only the very file checked is written, and only when
/// the whole table fits: in one write, then synced.
bool table_write_in_place(int folder, const char* name, const struct stat* checked,
                          const unsigned char* bytes, size_t size) {
    int fd = openat(folder, name, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return save_fail(errno);
    struct stat info;
    bool same = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && same_file(info, *checked);
    int error = same ? table_fits(fd, info, size) : 0;
    if (same && !error) {
        ssize_t done;
        do
            done = pwrite(fd, bytes, size, 0);
        while (done < 0 && errno == EINTR);
        error = done == ssize_t(size) ? 0 : done < 0 ? errno : EIO;
    }
    if (same && !error && info.st_size > off_t(size) && ftruncate(fd, off_t(size)) != 0)
        error = errno;
    if (same && !error && fsync(fd) != 0)
        error = errno;
    close(fd);
    if (!same)
        return save_refuse("the table changed while saving", 0);
    return !error || save_fail(error);
}

/// Fills the new file: the bytes, the old table's mode, owner and group (the
/// owner is set only when it differs). False with errno set on failure, and
/// *may_own false when the player may not give the file that owner or group.
bool table_fill_temporary(int fd, const struct stat* old, const unsigned char* bytes, size_t size,
                          bool* may_own) {
    *may_own = true;
    struct stat made;
    if (fstat(fd, &made) != 0)
        return false;
    if (old && (made.st_uid != old->st_uid || made.st_gid != old->st_gid) &&
        fchown(fd, made.st_uid != old->st_uid ? old->st_uid : uid_t(-1), old->st_gid) != 0) {
        *may_own = errno != EPERM;
        return false;
    }
    return fchmod(fd, old ? old->st_mode & 0777 : safefile_plain_mode()) == 0 &&
           safefile_write_all(fd, bytes, size) && fsync(fd) == 0;
}

/// Where the file system cannot exchange two names (NFS): the place is
/// looked at a last time just before the rename instead.
bool table_rename_after_look(int folder, const char* temporary, const char* name,
                             const struct stat* checked) {
    struct stat now;
    bool same = fstatat(folder, name, &now, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(now.st_mode) &&
                same_file(now, *checked);
    if (same && renameat(folder, temporary, folder, name) == 0)
        return true;
    int error = errno;
    unlinkat(folder, temporary, 0);
    return same ? save_fail(error) : save_refuse("the table changed while saving", 0);
}

/// Puts the finished temporary file (`made`) in the table's place. A new
/// table goes in only where there still is nothing. An old one is exchanged
/// with it, and what that displaced is looked at through the temporary name:
/// only the very plain file that was checked is removed; anything else is
/// exchanged back and the save refused. The temporary name is left only
/// when it holds something that is not the run's.
bool table_replace(int folder, const char* temporary, const char* name, bool exists,
                   const struct stat* checked, const struct stat* made) {
    if (before_replace)
        before_replace();
    if (!exists) {
        if (renameat2(folder, temporary, folder, name, RENAME_NOREPLACE) == 0)
            return true;
        int error = errno;
        unlinkat(folder, temporary, 0);
        return error == EEXIST ? save_refuse("the table changed while saving", 0)
                               : save_fail(error);
    }
    if (renameat2(folder, temporary, folder, name, RENAME_EXCHANGE) != 0) {
        if (errno == EINVAL)
            return table_rename_after_look(folder, temporary, name, checked);
        int error = errno;
        unlinkat(folder, temporary, 0);
        return save_fail(error);
    }
    struct stat displaced;
    bool there = fstatat(folder, temporary, &displaced, AT_SYMLINK_NOFOLLOW) == 0;
    if (there && S_ISREG(displaced.st_mode) && same_file(displaced, *checked)) {
        unlinkat(folder, temporary, 0);
        return true;
    }
    renameat2(folder, temporary, folder, name, RENAME_EXCHANGE);
    if (fstatat(folder, temporary, &displaced, AT_SYMLINK_NOFOLLOW) == 0 &&
        same_file(displaced, *made))
        unlinkat(folder, temporary, 0);
    return save_refuse("the table changed while saving", 0);
}

/// Saves the bytes as the table `name` of `folder` when it may be replaced:
/// written to a temporary file beside it, with the old table's owner, and
/// put in its place; written in place when the owner cannot be kept so.
/// False after a message.
bool table_save(int folder, const char* name, const unsigned char* bytes, size_t size) {
    bool exists;
    struct stat old;
    if (!table_may_replace(folder, name, &exists, &old))
        return false;
    player_folder_sweep(folder, name);
    char temporary[NAME_MAX + 1];
    int fd = player_folder_create_temporary(folder, name, temporary, sizeof temporary);
    if (fd < 0)
        return save_fail(errno);
    bool may_own;
    struct stat made;
    bool filled = table_fill_temporary(fd, exists ? &old : nullptr, bytes, size, &may_own) &&
                  fstat(fd, &made) == 0;
    int error = errno;
    if (close(fd) != 0 && filled) {
        filled = false;
        error = errno;
    }
    if (!filled) {
        unlinkat(folder, temporary, 0);
        if (!may_own)
            return table_write_in_place(folder, name, &old, bytes, size);
        return save_fail(error);
    }
    if (!table_replace(folder, temporary, name, exists, &old, &made))
        return false;
    player_folder_sync(folder);
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
    const int folder = player_folder_fd();
    FILE* file =
        folder >= 0 ? safefile_open_plain_at(folder, player_folder_table(), &size) : nullptr;
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
    if (!table || count <= 0)
        return 1;
    size_t size = size_t(count) * HIGHSCORE_RECORD;
    std::string bytes(size, '\0');
    unsigned char* data = reinterpret_cast<unsigned char*>(&bytes[0]);
    for (int i = 0; i < count; i++)
        record_encode(&table[i], data + size_t(i) * HIGHSCORE_RECORD);

    save_problem[0] = 0;
    if (player_folder_fd() < 0) {
        save_refuse(player_folder_problem(), 0);
    } else {
        struct sigaction ignore = {}, old = {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGXFSZ, &ignore, &old);
        table_save(player_folder_fd(), player_folder_table(), data, size);
        sigaction(SIGXFSZ, &old, nullptr);
    }
    return save_problem[0] == 0;
}

const char* highscore_save_problem() {
    return save_problem;
}

void highscore_set_before_replace(void (*run)()) {
    before_replace = run;
}
