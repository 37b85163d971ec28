// settings: the player's choices kept in "settings" in the player's folder
// (see settings.h). The file is read whole (within its size limit) through
// the folder's descriptor, and written as the table and the index are: to a
// temporary file made exclusively beside it, synced, renamed over it, and
// the folder synced; temporary files of writes that never finished are swept
// by the table's rule.
#include "tape/settings.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/safefile.h"
#include "tape/player_folder.h"

namespace {

constexpr const char* SETTINGS_FILE = "settings";

/// The trouble not yet shown on the screen, and whether a failed write was
/// said on stderr (once a run).
std::string trouble;
bool write_said = false;

/// The defaults: full screen, no window size chosen, the music on.
settings_ settings_defaults() {
    settings_ s = {};
    s.music = 1;
    return s;
}

/// The file, for messages.
std::string settings_where() {
    return std::string(player_folder_where()) + "/" + SETTINGS_FILE;
}

/// Takes `value` for the known `key` into *out; false when the game does
/// not take it. Unknown keys are taken as they are.
bool settings_take(const std::string& key, const std::string& value, settings_* out) {
    if (key == "screen" && (value == "window" || value == "full")) {
        out->windowed = value == "window";
    } else if (key == "music" && (value == "on" || value == "off")) {
        out->music = value == "on";
    } else if (key == "window-size") {
        int w = 0, h = 0, used = 0;
        if (value.find_first_not_of("0123456789x") != std::string::npos || value[0] == '0' ||
            sscanf(value.c_str(), "%5dx%5d%n", &w, &h, &used) != 2 ||
            size_t(used) != value.size() || w < 1 || h < 1 || w > SETTINGS_MOST_PIXELS ||
            h > SETTINGS_MOST_PIXELS)
            return false;
        out->window_w = w;
        out->window_h = h;
    } else if (key == "screen" || key == "music") {
        return false;
    }
    return true;
}

/// True for a line kept without a meaning: empty, or a comment.
bool settings_blank(const std::string& line) {
    return line.empty() || line[0] == '#';
}

/// Splits "key value": a key of small letters, digits and '-', one space,
/// and a value; false when the line is not one.
bool settings_split(const std::string& line, std::string* key, std::string* value) {
    const size_t space = line.find(' ');
    if (space == 0 || space == std::string::npos || space + 1 == line.size() ||
        line.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-") != space)
        return false;
    *key = line.substr(0, space);
    *value = line.substr(space + 1);
    return true;
}

/// Reads the lines of `text` into *lines and the settings they name into
/// *out (the last line of a key counts); the reason it is damaged, or "".
std::string settings_parse(const std::string& text, settings_* out,
                           std::vector<std::string>* lines) {
    size_t at = 0;
    for (int number = 1; at < text.size(); number++) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        for (unsigned char c : line)
            if ((c < 0x20 && c != '\t') || c == 0x7f)
                return "line " + std::to_string(number) + " holds a control character";
        std::string key, value;
        if (!settings_blank(line) && !settings_split(line, &key, &value))
            return "line " + std::to_string(number) + " is no \"key value\" line";
        if (!settings_blank(line) && !settings_take(key, value, out))
            return "line " + std::to_string(number) + " gives " + key + " the value \"" +
                   value.substr(0, 20) + "\"";
        lines->push_back(line);
    }
    return "";
}

/// Reads the whole file from `folder` into *text, within the size limit;
/// the reason it cannot be used, or "" (also when there is none).
std::string settings_read(int folder, std::string* text) {
    const int fd = player_folder_open_file(folder, SETTINGS_FILE);
    if (fd < 0)
        return errno == ENOENT ? "" : errno == EISDIR ? "it is not a file" : strerror(errno);
    char buffer[SETTINGS_MOST_BYTES + 1];
    size_t size = 0;
    ssize_t got = 0;
    while (size < sizeof buffer && ((got = read(fd, buffer + size, sizeof buffer - size)) > 0 ||
                                    (got < 0 && errno == EINTR)))
        size += got > 0 ? size_t(got) : 0;
    const int error = got < 0 ? errno : 0;
    close(fd);
    if (error)
        return strerror(error);
    if (size > SETTINGS_MOST_BYTES)
        return "it is over " + std::to_string(int(SETTINGS_MOST_BYTES)) + " bytes long";
    text->assign(buffer, size);
    return "";
}

/// The lines a file of the defaults holds.
const std::vector<std::string> default_lines = {"screen full", "music on"};

/// Reads the file's lines and settings now (another run may have changed
/// it since the start); the reason it is damaged, or "".
std::string settings_reread(settings_* out, std::vector<std::string>* lines) {
    *out = settings_defaults();
    lines->clear();
    std::string text, wrong = settings_read(player_folder_fd(), &text);
    return wrong.empty() ? settings_parse(text, out, lines) : wrong;
}

/// Writes `lines` to a new file in the player's folder, synced, and renames
/// it over the old one; a failure is said once on stderr and kept for the
/// screen.
void settings_write(const std::vector<std::string>& lines) {
    const int folder = player_folder_fd();
    player_folder_sweep(folder, SETTINGS_FILE);
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    char temporary[NAME_MAX + 1];
    const int fd =
        player_folder_create_temporary(folder, SETTINGS_FILE, temporary, sizeof temporary);
    bool ok = fd >= 0 && safefile_write_all(fd, text.data(), text.size()) && fsync(fd) == 0;
    int error = errno;
    if (fd >= 0) {
        ok = close(fd) == 0 && ok && renameat(folder, temporary, folder, SETTINGS_FILE) == 0;
        error = ok ? 0 : errno;
        if (!ok)
            unlinkat(folder, temporary, 0);
    }
    if (ok) {
        player_folder_sync(folder);
        return;
    }
    if (!write_said)
        fprintf(stderr, "cave: %s cannot be written (%s); the next run starts as this one began\n",
                settings_where().c_str(), strerror(error));
    write_said = true;
    trouble = std::string("Your settings could not be saved: ") + strerror(error);
}

/// Sets `key` to `value` in the file as it is now (the defaults when it is
/// damaged): its first line changed (the others of that key dropped), or a
/// new last line; the file written when anything changed.
void settings_set(const char* key, const std::string& value) {
    if (player_folder_fd() < 0)
        return; // the run has said why it keeps nothing
    settings_ now;
    std::vector<std::string> lines;
    if (!settings_reread(&now, &lines).empty())
        lines = default_lines;
    const std::string line = std::string(key) + " " + value;
    bool found = false, changed = false;
    for (size_t i = 0; i < lines.size();) {
        std::string k, v;
        if (!settings_split(lines[i], &k, &v) || k != key) {
            i++;
        } else if (!found) {
            found = true;
            changed = lines[i] != line;
            lines[i++] = line;
        } else {
            lines.erase(lines.begin() + long(i));
            changed = true;
        }
    }
    if (!found)
        lines.push_back(line);
    if (!found || changed)
        settings_write(lines);
}

} // namespace

settings_ settings_load() {
    settings_ now = settings_defaults();
    std::vector<std::string> lines;
    if (player_folder_fd() < 0)
        return now;
    const std::string wrong = settings_reread(&now, &lines);
    if (wrong.empty())
        return now;
    fprintf(stderr, "cave: %s is damaged (%s); the defaults are used and written over it\n",
            settings_where().c_str(), wrong.c_str());
    trouble = "Your settings were damaged (" + wrong + ") and are set back to the defaults";
    settings_write(default_lines);
    return settings_defaults();
}

void settings_keep_screen(int windowed) {
    settings_set("screen", windowed ? "window" : "full");
}

void settings_keep_window_size(int w, int h) {
    if (w > 0 && h > 0)
        settings_set("window-size", std::to_string(w) + "x" + std::to_string(h));
}

void settings_keep_music(int on) {
    settings_set("music", on ? "on" : "off");
}

const char* settings_trouble() {
    static std::string told;
    told = trouble;
    trouble.clear();
    return told.c_str();
}
