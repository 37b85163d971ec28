// player_folder: the player's folder, the one that holds the highscore table.
// It is found once at start-up, every part of its path checked (a link made
// by another user anywhere on the way is not followed), and held open for the
// whole run: every file the game keeps there (the table, recordings/ with its
// games and index, the temporary files of a save) is reached through its
// descriptor with the *at calls, never again by a path. What a run makes
// there belongs to the folder's owner, even when the game runs as the
// superuser, so that the player's later runs may change and remove it.
#pragma once
#include <cstddef>
#include <sys/types.h>

/// The table's name in the player's folder.
extern const char* const PLAYER_FOLDER_TABLE;

/// Finds and opens the player's folder: `folder` when given (--folder), else
/// $XDG_DATA_HOME/cave for an absolute XDG_DATA_HOME, else
/// ~/.local/share/cave, which is made on first use (with any folder missing
/// above it), readable by the player only. When the table in it is a link the player (or the
/// superuser) made, the player's folder is the one the link leads to. 1, or 0 after one line on
/// stderr when there is no folder to be used: the run goes on without one, and every save says why.
int player_folder_open(const char* folder);

/// Lets the folder go (at the end of a run; tests open another).
void player_folder_close();

/// The folder's descriptor (read-only, so that it can be listed and synced
/// where the player may read it), or -1 when the run has none.
int player_folder_fd();

/// The table's name in the folder: PLAYER_FOLDER_TABLE, or the name of the
/// file its link leads to.
const char* player_folder_table();

/// The table as the player named it ("FOLDER/highscore.zelko"), for messages.
const char* player_folder_table_path();

/// Where the folder is, for messages.
const char* player_folder_where();

/// Why the run has no folder, as the highscore screen says it; "" when it
/// has one.
const char* player_folder_problem();

/// The short reason, as the highscore screen says it, for a failure with
/// `error` while a file of the folder was reached or written.
const char* player_folder_reason(int error);

/// Gives a file or folder the run has just made in the folder (open as
/// `fd`) the folder's owner and group, when the game runs as the superuser.
void player_folder_own(int fd);

/// True if the run may remove a file of `owner` that a run left behind: the
/// player's own, or for the superuser the folder owner's, whom it gives its
/// files.
bool player_folder_ours(uid_t owner);

/// Opens the existing file `name` in `dir` (the folder, or a folder in it)
/// for reading, never through a link and without waiting on a pipe: a
/// descriptor if it is a plain file, else -1 with errno set.
int player_folder_open_file(int dir, const char* name);

/// Opens the existing file `name` in `dir` for reading and writing the same
/// way (never through a link, nor a pipe): a descriptor if it is a plain
/// file of the run's own (see player_folder_ours), else -1 with errno set.
int player_folder_open_own_file(int dir, const char* name);

/// Gives the file `from` in `from_dir` the new name `to` in `to_dir` (both
/// in the player's folder), never over a file of that name; 0, or -1 with
/// errno set (EEXIST when `to` is taken).
int player_folder_rename_new(int from_dir, const char* from, int to_dir, const char* to);

/// Makes the new file `name` in `dir` exclusively and opens it for writing
/// (see safefile_create), with the folder's owner (see player_folder_own).
/// A descriptor, or -1 with errno set.
int player_folder_create(int dir, const char* name, mode_t mode);

/// Makes a new temporary file for `base` in `dir` the same way (see
/// safefile_create_temporary); its name into `name`.
int player_folder_create_temporary(int dir, const char* base, char* name, size_t size);

/// Opens the folder `name` in the player's folder, never through a link;
/// with `make`, makes it first (with the folder's owner) when it is missing.
/// A descriptor, or -1 with errno set (ELOOP: it is a link).
int player_folder_open_folder(const char* name, bool make);

/// Removes from `dir` the temporary files for `base` of saves that never
/// finished: of exactly the names a save makes, the run's own (see
/// player_folder_ours), untouched for more than an hour (a save takes well
/// under a second; whether its process still runs cannot be told for another
/// host's save).
void player_folder_sweep(int dir, const char* base);

/// Flushes `dir` to the disk, so that a rename in it is kept.
void player_folder_sync(int dir);
