// screens: the interpreter of the screen description files.
#include "screens.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "backdrop.h"
#include "textfile.h"

namespace {

using words = std::vector<std::string>;

/// What the commands paint on and with.
struct screen_ctx {
    image& img;
    const sprite_set& sprites;
    const font& f;
    bool ok = true;
    std::string where; // file:line of the command, for messages
};

/// Reports a problem with the current command.
void screen_error(screen_ctx& c, const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", c.where.c_str(), what.c_str());
    c.ok = false;
}

/// A whole number argument.
int arg_int(const words& w, size_t i) {
    return i < w.size() ? std::atoi(w[i].c_str()) : 0;
}

/// A decimal argument.
float arg_float(const words& w, size_t i) {
    return i < w.size() ? static_cast<float>(std::atof(w[i].c_str())) : 0.0f;
}

/// A colour argument RRGGBB.
uint32_t arg_rgb(screen_ctx& c, const words& w, size_t i) {
    unsigned rgb = 0;
    if (i >= w.size() || !textfile_parse_rgb(w[i], rgb))
        screen_error(c, "expected a colour RRGGBB");
    return rgb;
}

/// An x position: a number, or "center" for the middle of the picture.
int arg_x(screen_ctx& c, const words& w, size_t i, int width) {
    if (i < w.size() && w[i] == "center")
        return (c.img.w - width) / 2;
    return arg_int(w, i);
}

/// A sprite by name, or null with a message.
const image* arg_sprite(screen_ctx& c, const words& w, size_t i) {
    auto it = i < w.size() ? c.sprites.find(w[i]) : c.sprites.end();
    if (it == c.sprites.end()) {
        screen_error(c, "unknown sprite");
        return nullptr;
    }
    return &it->second;
}

/// The plain text style: one colour with a dark shadow.
text_style plain_style(int scale, uint32_t rgb) {
    text_style st;
    st.scale = scale;
    st.top = st.bottom = rgb;
    st.shadow = scale > 1 ? scale / 2 : 1;
    st.shadow_rgb = 0x000000;
    return st;
}

/// "text X Y SCALE RRGGBB words"
void cmd_text(screen_ctx& c, const words& w) {
    text_style st = plain_style(arg_int(w, 3), arg_rgb(c, w, 4));
    const std::string& s = w.size() > 5 ? w[5] : "";
    int x = arg_x(c, w, 1, font_text_width(c.f, s) * st.scale);
    font_draw(c.img, c.f, s, x, arg_int(w, 2), st);
}

/// "title Y SCALE TOP BOTTOM OUTLINE words"
void cmd_title(screen_ctx& c, const words& w) {
    text_style st;
    st.scale = arg_int(w, 2);
    st.smooth = true;
    st.top = arg_rgb(c, w, 3);
    st.bottom = arg_rgb(c, w, 4);
    st.outline = st.scale / 2;
    st.outline_rgb = arg_rgb(c, w, 5);
    st.shadow = st.scale;
    st.shadow_rgb = 0x000000;
    font_draw_centre(c.img, c.f, w.size() > 6 ? w[6] : "", c.img.w / 2, arg_int(w, 1), st);
}

/// "sprite NAME X Y SCALE [mirror]"
void cmd_sprite(screen_ctx& c, const words& w) {
    if (const image* s = arg_sprite(c, w, 1))
        image_draw_scaled(c.img, *s, arg_int(w, 2), arg_int(w, 3), arg_int(w, 4),
                          w.size() > 5 && w[5] == "mirror");
}

/// "tile NAME X Y W H"
void cmd_tile(screen_ctx& c, const words& w) {
    const image* s = arg_sprite(c, w, 1);
    if (!s)
        return;
    int x = arg_int(w, 2), y = arg_int(w, 3), wd = arg_int(w, 4), ht = arg_int(w, 5);
    for (int j = 0; j < ht; j++)
        for (int i = 0; i < wd; i++) {
            uint32_t p = image_get(*s, i % s->w, j % s->h);
            if (p != MASK_RGB)
                image_set(c.img, x + i, y + j, p);
        }
}

/// The painting commands that take only numbers and colours.
void cmd_simple(screen_ctx& c, const words& w) {
    const std::string& n = w[0];
    if (n == "fill")
        image_fill_rect(c.img, 0, 0, c.img.w, c.img.h, arg_rgb(c, w, 1));
    else if (n == "gradient")
        backdrop_gradient(c.img, 0, 0, c.img.w, c.img.h, arg_rgb(c, w, 1), arg_rgb(c, w, 2));
    else if (n == "rock")
        backdrop_rock(c.img, arg_int(w, 1), arg_int(w, 2), arg_int(w, 3), arg_int(w, 4),
                      arg_rgb(c, w, 5), arg_rgb(c, w, 6), arg_int(w, 7));
    else if (n == "noise")
        backdrop_noise_rect(c.img, arg_int(w, 1), arg_int(w, 2), arg_int(w, 3), arg_int(w, 4),
                            arg_float(w, 5), arg_float(w, 6), arg_int(w, 7));
    else if (n == "rect")
        image_blend_rect(c.img, arg_int(w, 1), arg_int(w, 2), arg_int(w, 3), arg_int(w, 4),
                         arg_rgb(c, w, 5), w.size() > 6 ? arg_float(w, 6) : 1.0f);
    else if (n == "bevel")
        backdrop_bevel(c.img, arg_int(w, 1), arg_int(w, 2), arg_int(w, 3), arg_int(w, 4),
                       arg_int(w, 5), arg_rgb(c, w, 6), arg_rgb(c, w, 7));
    else if (n == "glow")
        backdrop_glow(c.img, arg_int(w, 1), arg_int(w, 2), arg_int(w, 3), arg_rgb(c, w, 4),
                      arg_float(w, 5));
    else if (n == "rays")
        backdrop_rays(c.img, arg_int(w, 1), arg_int(w, 2), arg_int(w, 3), arg_int(w, 4),
                      arg_rgb(c, w, 5), arg_float(w, 6), arg_int(w, 7));
    else if (n == "teeth")
        backdrop_teeth(c.img, w.size() > 1 && w[1] == "top", arg_int(w, 2), arg_rgb(c, w, 3),
                       arg_int(w, 4));
    else if (n == "hills")
        backdrop_hills(c.img, arg_int(w, 1), arg_int(w, 2), arg_rgb(c, w, 3), arg_int(w, 4));
    else if (n == "arch")
        backdrop_arch(c.img, arg_int(w, 1), arg_int(w, 2), arg_int(w, 3), arg_int(w, 4),
                      arg_rgb(c, w, 5), arg_rgb(c, w, 6), arg_int(w, 7));
    else if (n == "vignette")
        backdrop_vignette(c.img, arg_float(w, 1));
    else
        screen_error(c, "unknown command " + n);
}

/// Runs one command line.
void screen_command(screen_ctx& c, const words& w) {
    if (w[0] == "text")
        cmd_text(c, w);
    else if (w[0] == "title")
        cmd_title(c, w);
    else if (w[0] == "sprite")
        cmd_sprite(c, w);
    else if (w[0] == "tile")
        cmd_tile(c, w);
    else
        cmd_simple(c, w);
}

/// Paints the lines of a "lines" block; returns the index of its "end".
size_t screen_lines(screen_ctx& c, const words& head, const std::vector<std::string>& lines,
                    size_t i) {
    text_style st = plain_style(arg_int(head, 3), arg_rgb(c, head, 4));
    const int spacing = arg_int(head, 5);
    int y = arg_int(head, 2);
    for (i++; i < lines.size() && textfile_trim(lines[i]) != "end"; i++, y += spacing) {
        std::string s = textfile_trim(lines[i]);
        int x = arg_x(c, head, 1, font_text_width(c.f, s) * st.scale);
        font_draw(c.img, c.f, s, x, y, st);
    }
    return i;
}

/// Paints a two-column "table" block: "keys | meaning" lines up to "end"; the
/// meaning column starts at the given x. Returns the index of its "end".
size_t screen_table(screen_ctx& c, const words& head, const std::vector<std::string>& lines,
                    size_t i) {
    text_style key_st = plain_style(arg_int(head, 3), arg_rgb(c, head, 4));
    text_style text_st = plain_style(arg_int(head, 3), arg_rgb(c, head, 5));
    const int spacing = arg_int(head, 6);
    const int x2 = arg_int(head, 7);
    int y = arg_int(head, 2);
    for (i++; i < lines.size() && textfile_trim(lines[i]) != "end"; i++, y += spacing) {
        const std::string& l = lines[i];
        size_t bar = l.find('|');
        std::string keys = textfile_trim(l.substr(0, bar));
        std::string meaning = bar == std::string::npos ? "" : textfile_trim(l.substr(bar + 1));
        font_draw(c.img, c.f, keys, arg_int(head, 1), y, key_st);
        font_draw(c.img, c.f, meaning, x2, y, text_st);
    }
    return i;
}

} // namespace

namespace {

/// How deep one file's "include" may lead (against a file including itself).
constexpr int INCLUDE_DEPTH = 4;

/// Runs the commands of the file at `path` on the picture; false (with a
/// message) on an error.
bool screen_run_file(screen_ctx& c, const std::string& path, int depth) {
    std::vector<std::string> lines;
    if (!textfile_read_lines(path, lines)) {
        std::fprintf(stderr, "%s: cannot read the file\n", path.c_str());
        return false;
    }
    for (size_t i = 0; i < lines.size() && c.ok; i++) {
        words w = textfile_words(textfile_trim(lines[i]));
        if (w.empty() || w[0][0] == '#')
            continue;
        c.where = path + ":" + std::to_string(i + 1);
        if (w[0] == "size")
            c.img = image_make(arg_int(w, 1), arg_int(w, 2), 0);
        else if (w[0] == "lines")
            i = screen_lines(c, w, lines, i);
        else if (w[0] == "table")
            i = screen_table(c, w, lines, i);
        else if (w[0] == "include" && (w.size() != 2 || depth >= INCLUDE_DEPTH))
            screen_error(c, "include takes one file, at most " + std::to_string(INCLUDE_DEPTH) +
                                " deep");
        else if (w[0] == "include")
            c.ok = screen_run_file(c, path.substr(0, path.rfind('/') + 1) + w[1], depth + 1);
        else
            screen_command(c, w);
    }
    return c.ok;
}

} // namespace

bool screens_render_file(const std::string& path, const sprite_set& sprites, const font& f,
                         image& out) {
    out = image_make(1024, 768, 0);
    screen_ctx c{out, sprites, f, true, ""};
    return screen_run_file(c, path, 0);
}
