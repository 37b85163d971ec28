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

namespace {

/// Links followed at most on the way to one file, as the system allows.
constexpr int MAX_LINKS = 40;

/// The base of temporary names when the file's own name is too long.
const char* const SHORT_BASE = "cave";

/// The letters of the random part of a temporary name, as mkstemp uses.
const char LETTERS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int RANDOM_LETTERS = 6;

/// Opens the folder part of `path` (relative to `base`) as a place's folder
/// and stores the last part as its name; 0 or an errno value.
int place_open(int base, const std::string& path, safefile_place_* place) {
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty())
        return EISDIR;
    if (name.size() > NAME_MAX)
        return ENAMETOOLONG;
    place->folder = openat(base, folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (place->folder < 0)
        return errno;
    memcpy(place->name, name.c_str(), name.size() + 1);
    return 0;
}

/// The text of the link at the place, when it is one the player may follow:
/// 0 with *target set; -1 when the place holds no link (or nothing at all);
/// else an errno value.
int place_read_link(const safefile_place_* place, std::string* target) {
    int link = openat(place->folder, place->name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (link < 0)
        return errno == ENOENT ? -1 : errno;
    struct stat info;
    int result = -1;
    char text[PATH_MAX];
    // The owner and the text come from the same descriptor: what is checked
    // is what is followed, however fast someone swaps links in the folder.
    if (fstat(link, &info) != 0)
        result = errno;
    else if (S_ISLNK(info.st_mode) && info.st_uid != geteuid() && info.st_uid != 0)
        result = EPERM;
    else if (S_ISLNK(info.st_mode)) {
        ssize_t length = readlinkat(link, "", text, sizeof text - 1);
        result = length < 0 ? errno : length == 0 ? ENOENT : 0;
        if (length > 0)
            target->assign(text, size_t(length));
    }
    close(link);
    return result;
}

} // namespace

int safefile_resolve(const char* path, safefile_place_* place) {
    place->folder = -1;
    std::string current = path ? path : "";
    int base = AT_FDCWD;
    for (int links = 0; links <= MAX_LINKS; links++) {
        int error = place_open(base, current, place);
        if (base != AT_FDCWD)
            close(base);
        if (error)
            return error;
        error = place_read_link(place, &current);
        if (error < 0)
            return 0; // the file itself, or nothing yet
        if (error > 0) {
            safefile_release(place);
            return error;
        }
        base = current[0] == '/' ? AT_FDCWD : place->folder;
        if (base == AT_FDCWD)
            safefile_release(place);
        place->folder = -1;
    }
    if (base != AT_FDCWD)
        close(base);
    return ELOOP;
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
    int fd = open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
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
