// safefile: the game's own files reached through descriptors and made
// exclusively (see safefile.h).
#include "platform/safefile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

/// Links followed at most on the way to one file, as the system allows.
constexpr int MAX_LINKS = 40;

/// The base of temporary names when the file's own name is too long.
const char* const SHORT_BASE = "cave";

/// The letters of the random part of a temporary name, as mkstemp uses.
const char LETTERS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int RANDOM_LETTERS = 6;

/// Puts the parts of `path` in front of the parts still to walk (`parts` is
/// walked from its back): empty parts are dropped, and a path ending in '/'
/// ends in "." (it must be a folder).
void walk_push(std::vector<std::string>* parts, const std::string& path) {
    std::vector<std::string> split;
    for (size_t at = 0; at <= path.size();) {
        size_t slash = path.find('/', at);
        if (slash == std::string::npos)
            slash = path.size();
        if (slash > at)
            split.push_back(path.substr(at, slash - at));
        at = slash + 1;
    }
    if (!path.empty() && path.back() == '/')
        split.push_back(".");
    parts->insert(parts->end(), split.rbegin(), split.rend());
}

/// Puts `fd` in place of the folder the walk stands in.
void walk_enter(int* folder, int fd) {
    close(*folder);
    *folder = fd;
}

/// Opens the part `name` of the folder without following it; with `make`, a
/// missing folder is made first. A descriptor, or -1 with errno set.
int walk_open(int folder, const char* name, bool make) {
    int fd = openat(folder, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT && make && (mkdirat(folder, name, 0700) == 0 || errno == EEXIST))
        fd = openat(folder, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    return fd;
}

/// The text of the link open as `link` (with `info` its status), when the
/// player may follow it: 0 with *target set, or an errno value. The owner and
/// the text come from the same descriptor: what is checked is what is
/// followed, however fast someone swaps links in the folder.
int walk_read_link(int link, const struct stat& info, std::string* target) {
    if (info.st_uid != geteuid() && info.st_uid != 0)
        return EPERM;
    char text[PATH_MAX];
    ssize_t length = readlinkat(link, "", text, sizeof text - 1);
    if (length <= 0)
        return length < 0 ? errno : ENOENT;
    target->assign(text, size_t(length));
    return 0;
}

/// A "." or ".." part: stays, or goes up one folder. Neither may be the
/// last part (the table is a file). 0 or an errno value.
int walk_dots(int* folder, const std::string& name, bool last) {
    if (last)
        return EISDIR;
    if (name == ".")
        return 0;
    int up = openat(*folder, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (up < 0)
        return errno;
    walk_enter(folder, up);
    return 0;
}

/// The end of the walk: the place is `name` in the open *folder, which the
/// place now holds. Returns -1 (no errno value is negative).
int walk_arrive(int* folder, const std::string& name, safefile_place_* place) {
    place->folder = *folder;
    *folder = -1;
    memcpy(place->name, name.c_str(), name.size() + 1);
    return -1;
}

/// Goes on along the link's text: from the root for an absolute one, else
/// from the folder holding the link. 0 or an errno value.
int walk_follow(int* folder, const std::string& target, std::vector<std::string>* parts) {
    if (target[0] == '/') {
        int root = open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (root < 0)
            return errno;
        walk_enter(folder, root);
    }
    walk_push(parts, target);
    return 0;
}

/// Takes one step of the walk: the part `name` of the open *folder, the
/// last part when `last`. 0 to go on, -1 when *place is filled, or an errno
/// value.
int walk_step(int* folder, const std::string& name, bool last, bool make,
              std::vector<std::string>* parts, int* links, safefile_place_* place) {
    if (name == "." || name == "..")
        return walk_dots(folder, name, last);
    if (name.size() > NAME_MAX)
        return ENAMETOOLONG;
    int fd = walk_open(*folder, name.c_str(), make && !last);
    if (fd < 0)
        return errno == ENOENT && last ? walk_arrive(folder, name, place) : errno;
    struct stat info;
    int error = fstat(fd, &info) != 0 ? errno : 0;
    if (!error && last && !S_ISLNK(info.st_mode)) {
        close(fd); // the file itself, whatever it is: the caller judges it
        return walk_arrive(folder, name, place);
    }
    if (!error && S_ISDIR(info.st_mode)) {
        walk_enter(folder, fd);
        return 0;
    }
    std::string target;
    if (!error)
        error = !S_ISLNK(info.st_mode) ? ENOTDIR
                : ++*links > MAX_LINKS ? ELOOP
                                       : walk_read_link(fd, info, &target);
    close(fd);
    return error ? error : walk_follow(folder, target, parts);
}

/// The open `fd` as a stream for reading if it is a regular file (closed
/// else); its size into *size.
FILE* fd_open_plain(int fd, int64_t* size) {
    struct stat info;
    if (fd < 0)
        return nullptr;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return nullptr;
    }
    // Kept within a `long`, so that every offset inside can be sought to.
    *size = info.st_size > LONG_MAX / 2 ? LONG_MAX / 2 : int64_t(info.st_size);
    FILE* f = fdopen(fd, "rb");
    if (!f)
        close(fd);
    return f;
}

} // namespace

int safefile_walk(const char* path, bool make_folders, safefile_place_* place) {
    place->folder = -1;
    const std::string text = path ? path : "";
    if (text.empty())
        return ENOENT;
    int folder = open(text[0] == '/' ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return errno;
    std::vector<std::string> parts;
    walk_push(&parts, text);
    int links = 0, done = 0;
    while (done == 0 && !parts.empty()) {
        const std::string name = parts.back();
        parts.pop_back();
        done = walk_step(&folder, name, parts.empty(), make_folders, &parts, &links, place);
    }
    if (folder >= 0)
        close(folder);
    return done == -1 ? 0 : done ? done : EISDIR; // a path of slashes only
}

int safefile_resolve(const char* path, safefile_place_* place) {
    return safefile_walk(path, false, place);
}

void safefile_release(safefile_place_* place) {
    if (place->folder >= 0)
        close(place->folder);
    place->folder = -1;
}

int safefile_create(int folder, const char* name, mode_t mode) {
    int fd;
    do
        fd = openat(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

int safefile_create_temporary(int folder, const char* base, char* name, size_t size) {
    std::string head = std::string(base) + ".tmp." + std::to_string(getpid()) + ".";
    if (head.size() + RANDOM_LETTERS > NAME_MAX)
        head = std::string(SHORT_BASE) + ".tmp." + std::to_string(getpid()) + ".";
    // mkstemp would walk a path from the top again; the same exclusive making
    // is done here on the folder's descriptor.
    for (int tries = 0; tries < 100; tries++) {
        unsigned char random[RANDOM_LETTERS];
        if (getentropy(random, sizeof random) != 0)
            return -1;
        std::string candidate = head;
        for (unsigned char byte : random)
            candidate += LETTERS[byte % (sizeof LETTERS - 1)];
        int fd = safefile_create(folder, candidate.c_str(), 0600);
        if (fd >= 0) {
            snprintf(name, size, "%s", candidate.c_str());
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

mode_t safefile_plain_mode() {
    const mode_t mask = umask(0); // the only way to read it is to set it
    umask(mask);
    return 0666 & ~mask;
}

bool safefile_write_all(int fd, const void* bytes, size_t size) {
    const char* at = static_cast<const char*>(bytes);
    while (size > 0) {
        const ssize_t put = write(fd, at, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        at += put;
        size -= size_t(put);
    }
    return true;
}

bool safefile_is_temporary_name(const char* name, const char* base) {
    for (const char* head : {base, SHORT_BASE}) {
        size_t length = strlen(head);
        if (strncmp(name, head, length) != 0 || strncmp(name + length, ".tmp.", 5) != 0)
            continue;
        const char* digits = name + length + 5;
        size_t count = strspn(digits, "0123456789");
        const char* tail = digits + count;
        if (count > 0 && tail[0] == '.' && strlen(tail + 1) == RANDOM_LETTERS &&
            strspn(tail + 1, LETTERS) == RANDOM_LETTERS)
            return true;
    }
    return false;
}

FILE* safefile_open_plain(const char* name, int64_t* size) {
    return fd_open_plain(open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC), size);
}

FILE* safefile_open_plain_at(int folder, const char* name, int64_t* size) {
    return fd_open_plain(openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC),
                         size);
}
