// font: loading the glyph table and painting text with it.
#include "font.h"

#include <algorithm>
#include <cstdio>

#include "textfile.h"

namespace {

/// A 1-bit picture: true where there is ink.
struct ink_map {
    int w = 0;
    int h = 0;
    std::vector<char> on;
};

/// Ink at (x, y); false outside.
bool ink_at(const ink_map& m, int x, int y) {
    if (x < 0 || y < 0 || x >= m.w || y >= m.h)
        return false;
    return m.on[static_cast<size_t>(y) * m.w + x] != 0;
}

/// Trims blank columns at both sides of a glyph and fixes its width.
void glyph_trim(glyph& g) {
    int left = 99;
    int right = -1;
    for (const std::string& r : g.rows)
        for (int x = 0; x < static_cast<int>(r.size()); x++)
            if (r[x] == '#') {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    if (right < 0) {
        g.rows.assign(FONT_HEIGHT, "");
        g.width = 3; // the blank
        return;
    }
    for (std::string& r : g.rows) {
        r.resize(std::max<size_t>(r.size(), right + 1), '.');
        r = r.substr(left, right - left + 1);
    }
    g.rows.resize(FONT_HEIGHT, std::string(right - left + 1, '.'));
    g.width = right - left + 1;
}

/// The text as an ink map, one font pixel per map pixel, with a blank border.
ink_map ink_render(const font& f, const std::string& text, int border) {
    ink_map m;
    m.w = font_text_width(f, text) + 2 * border;
    m.h = FONT_HEIGHT + 2 * border;
    m.on.assign(static_cast<size_t>(m.w) * m.h, 0);
    int pen = border;
    for (char c : text) {
        auto it = f.glyphs.find(c);
        if (it == f.glyphs.end())
            it = f.glyphs.find('?');
        if (it == f.glyphs.end())
            continue;
        const glyph& g = it->second;
        for (int y = 0; y < FONT_HEIGHT; y++)
            for (int x = 0; x < g.width; x++)
                if (g.rows[y][x] == '#')
                    m.on[static_cast<size_t>(y + border) * m.w + pen + x] = 1;
        pen += g.width + 1;
    }
    return m;
}

/// Doubles an ink map, rounding diagonal steps (the "scale2x" rule).
ink_map ink_double_smooth(const ink_map& m) {
    ink_map out;
    out.w = m.w * 2;
    out.h = m.h * 2;
    out.on.assign(static_cast<size_t>(out.w) * out.h, 0);
    for (int y = 0; y < m.h; y++)
        for (int x = 0; x < m.w; x++) {
            bool p = ink_at(m, x, y);
            bool a = ink_at(m, x, y - 1), b = ink_at(m, x + 1, y);
            bool c = ink_at(m, x - 1, y), d = ink_at(m, x, y + 1);
            bool q[4] = {p, p, p, p};
            if (c == a && c != d && a != b)
                q[0] = a;
            if (a == b && a != c && b != d)
                q[1] = b;
            if (d == c && d != b && c != a)
                q[2] = c;
            if (b == d && b != a && d != c)
                q[3] = d;
            for (int k = 0; k < 4; k++)
                out.on[static_cast<size_t>(2 * y + k / 2) * out.w + 2 * x + k % 2] = q[k];
        }
    return out;
}

/// Enlarges an ink map by a whole factor, smoothing by doubling when asked.
ink_map ink_scale(ink_map m, int scale, bool smooth) {
    while (smooth && scale % 2 == 0 && scale > 1) {
        m = ink_double_smooth(m);
        scale /= 2;
    }
    if (scale == 1)
        return m;
    ink_map out;
    out.w = m.w * scale;
    out.h = m.h * scale;
    out.on.resize(static_cast<size_t>(out.w) * out.h);
    for (int y = 0; y < out.h; y++)
        for (int x = 0; x < out.w; x++)
            out.on[static_cast<size_t>(y) * out.w + x] = ink_at(m, x / scale, y / scale);
    return out;
}

/// True when ink lies within `r` pixels (a round brush) of (x, y).
bool ink_near(const ink_map& m, int x, int y, int r) {
    for (int dy = -r; dy <= r; dy++)
        for (int dx = -r; dx <= r; dx++)
            if (dx * dx + dy * dy <= r * r + r && ink_at(m, x + dx, y + dy))
                return true;
    return false;
}

} // namespace

bool font_load(const std::string& path, font& f) {
    std::vector<std::string> lines;
    if (!textfile_read_lines(path, lines)) {
        std::fprintf(stderr, "%s: cannot read the font\n", path.c_str());
        return false;
    }
    glyph* current = nullptr;
    for (const std::string& raw : lines) {
        std::string t = textfile_trim(raw);
        if (t.empty() || t.rfind("//", 0) == 0)
            continue;
        if (t.rfind("glyph ", 0) == 0) {
            std::string name = t.substr(6);
            char c = name == "space" ? ' ' : name[0];
            current = &f.glyphs[c];
        } else if (current) {
            current->rows.push_back(t);
        }
    }
    for (auto& entry : f.glyphs)
        glyph_trim(entry.second);
    return true;
}

int font_text_width(const font& f, const std::string& text) {
    int w = 0;
    for (char c : text) {
        auto it = f.glyphs.find(c);
        if (it == f.glyphs.end())
            it = f.glyphs.find('?');
        if (it != f.glyphs.end())
            w += it->second.width + 1;
    }
    return w > 0 ? w - 1 : 0;
}

void font_draw(image& dst, const font& f, const std::string& text, int x, int y,
               const text_style& st) {
    const int border = 1;
    ink_map m = ink_scale(ink_render(f, text, border), st.scale, st.smooth);
    const int ox = x - border * st.scale;
    const int oy = y - border * st.scale;
    const int cap = 7 * st.scale; // height of capitals: the colour ramp spans it
    if (st.shadow > 0)
        for (int j = 0; j < m.h; j++)
            for (int i = 0; i < m.w; i++)
                if (ink_near(m, i - st.shadow, j - st.shadow, st.outline))
                    image_blend(dst, ox + i, oy + j, st.shadow_rgb, 0.7f);
    for (int j = 0; j < m.h; j++)
        for (int i = 0; i < m.w; i++) {
            if (ink_at(m, i, j)) {
                float t = static_cast<float>(j - border * st.scale) / cap;
                t = t < 0 ? 0 : (t > 1 ? 1 : t);
                image_set(dst, ox + i, oy + j, rgb_mix(st.top, st.bottom, t));
            } else if (st.outline > 0 && ink_near(m, i, j, st.outline)) {
                image_set(dst, ox + i, oy + j, st.outline_rgb);
            }
        }
}

void font_draw_centre(image& dst, const font& f, const std::string& text, int cx, int y,
                      const text_style& st) {
    font_draw(dst, f, text, cx - font_text_width(f, text) * st.scale / 2, y, st);
}
