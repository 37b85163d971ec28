// safefile: reaching and making the game's own files (the highscore table, a
// recording) in folders other users may share. A path is walked part by part
// through descriptors, so every link on the way (in a folder part as in the
// last part) is checked before it is followed, and the link whose owner was
// checked is the very link followed; new files are made exclusively in a
// folder held open, never through a link.
#pragma once
#include <climits>
#include <cstdint>
#include <cstdio>
#include <sys/types.h>

/// Where a path leads: its folder, held open, and the name of the file in it.
struct safefile_place_ {
    int folder;              // an O_PATH descriptor of the folder, or -1
    char name[NAME_MAX + 1]; // the last part of the path; it need not exist
};

/// Follows `path` to the file it leads to, which need not exist yet, part by
/// part and link by link through descriptors; a link anywhere on the way is
/// followed only when the player or the superuser made it. 0 with *place
/// filled (release it after), or an errno value: ELOOP for a loop (more than
/// 40 links), EPERM for a link made by another user, ENOENT when a folder on
/// the way is missing, ENOTDIR when a part on the way is no folder, EISDIR
/// for a path ending in '/', "." or "..".
int safefile_resolve(const char* path, safefile_place_* place);

/// The same walk; with `make_folders`, a folder missing on the way (not the
/// last part) is made, readable by the player only, as `mkdir -p` would.
int safefile_walk(const char* path, bool make_folders, safefile_place_* place);

/// Closes the folder a place holds.
void safefile_release(safefile_place_* place);

/// Makes the new file `name` in the open `folder` and opens it for writing:
/// exclusively (nothing of that name may exist, not even a link), with
/// `mode` less the umask, and in the folder's group when the folder is
/// setgid, as the system does. A descriptor, or -1 with errno set.
int safefile_create(int folder, const char* name, mode_t mode);

/// Makes a new temporary file in the open `folder` the way mkstemp does,
/// named "BASE.tmp.PID." and six letters or digits ("cave.tmp.PID.XXXXXX"
/// when BASE is too long for a file name), readable by the player only; its
/// name into `name`. A descriptor, or -1 with errno set.
int safefile_create_temporary(int folder, const char* base, char* name, size_t size);

/// True if `name` is one a temporary file of safefile_create_temporary for
/// `base` could have.
bool safefile_is_temporary_name(const char* name, const char* base);

/// The mode a new plain file gets: readable and writable by all, less the
/// process's file mode mask.
mode_t safefile_plain_mode();

/// Writes all `size` bytes to `fd` at its offset, again after a signal;
/// false with errno set when they did not all reach it.
bool safefile_write_all(int fd, const void* bytes, size_t size);

/// Opens `name` for reading if it is a regular file (a folder, pipe or
/// device is refused, without blocking); its size into *size. Null else.
FILE* safefile_open_plain(const char* name, int64_t* size);

/// The same for `name` in the open `folder`, never through a link.
FILE* safefile_open_plain_at(int folder, const char* name, int64_t* size);
