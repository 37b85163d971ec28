// sprites: the parser of the text pixel maps.
#include "sprites.h"

#include <cstdio>
#include <vector>

#include "textfile.h"

namespace {

/// Parser state for one file.
struct sprite_parse {
    std::string path;
    std::map<char, uint32_t> palette;
    std::string name;              // picture being read, empty between pictures
    std::vector<std::string> rows; // its rows so far
    bool in_palette = false;
};

/// Reports a problem at a line of the file; always returns false.
bool sprite_error(const sprite_parse& p, size_t line, const char* what) {
    std::fprintf(stderr, "%s:%zu: %s\n", p.path.c_str(), line + 1, what);
    return false;
}

/// Turns the collected rows into a picture in `out`.
bool sprite_finish(sprite_parse& p, size_t line, sprite_set& out) {
    if (p.name.empty())
        return true;
    if (p.rows.empty())
        return sprite_error(p, line, "picture without rows");
    const int w = static_cast<int>(p.rows[0].size());
    image img = image_make(w, static_cast<int>(p.rows.size()), MASK_RGB);
    for (size_t y = 0; y < p.rows.size(); y++) {
        if (static_cast<int>(p.rows[y].size()) != w)
            return sprite_error(p, line, "rows of different lengths");
        for (int x = 0; x < w; x++) {
            auto it = p.palette.find(p.rows[y][x]);
            if (it == p.palette.end())
                return sprite_error(p, line, "character not in the palette");
            image_set(img, x, static_cast<int>(y), it->second);
        }
    }
    if (out.count(p.name))
        return sprite_error(p, line, "a picture of this name already exists");
    out[p.name] = img;
    p.name.clear();
    p.rows.clear();
    return true;
}

/// Reads one palette line "<char> <RRGGBB> [comment]".
bool sprite_palette_line(sprite_parse& p, size_t line, const std::string& text) {
    std::vector<std::string> w = textfile_words(text);
    unsigned rgb = 0;
    if (w.size() < 2 || w[0].size() != 1 || !textfile_parse_rgb(w[1], rgb))
        return sprite_error(p, line, "palette lines read: <char> <RRGGBB>");
    if (w[0][0] == '#')
        return sprite_error(p, line, "'#' starts a comment and cannot be a pixel");
    p.palette[w[0][0]] = rgb;
    return true;
}

} // namespace

bool sprites_load_file(const std::string& path, sprite_set& out) {
    std::vector<std::string> lines;
    sprite_parse p;
    p.path = path;
    if (!textfile_read_lines(path, lines))
        return sprite_error(p, 0, "cannot read the file");
    for (size_t i = 0; i < lines.size(); i++) {
        std::string t = textfile_trim(lines[i]);
        if (t.empty() || t[0] == '#') {
            if (t.empty() && !sprite_finish(p, i, out))
                return false;
            continue;
        }
        std::vector<std::string> w = textfile_words(t);
        if (w[0] == "palette" || w[0] == "sprite") {
            if (!sprite_finish(p, i, out))
                return false;
            p.in_palette = w[0] == "palette";
            if (w[0] == "sprite" && w.size() != 2)
                return sprite_error(p, i, "sprite lines read: sprite <name>");
            if (w[0] == "sprite")
                p.name = w[1];
        } else if (!p.name.empty()) {
            p.rows.push_back(t);
        } else if (p.in_palette) {
            if (!sprite_palette_line(p, i, t))
                return false;
        } else {
            return sprite_error(p, i, "line outside a palette or picture");
        }
    }
    return sprite_finish(p, lines.size(), out);
}

bool sprites_load_dir(const std::string& dir, sprite_set& out) {
    bool ok = true;
    for (const std::string& path : textfile_list_dir(dir, ".txt"))
        ok = sprites_load_file(path, out) && ok;
    return ok;
}
