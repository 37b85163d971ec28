// font: our own pixel lettering (data/font/font.txt), drawn at any whole
// scale, plain or smoothed with an outline, a shadow and a colour ramp.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "image.h"

/// Rows of a glyph 9 high: 7 above the base line, 2 below.
constexpr int FONT_HEIGHT = 9;

/// One letter: its ink rows (trimmed to the used columns) and its width.
struct glyph {
    std::vector<std::string> rows;
    int width = 0;
};

/// The letters by character.
struct font {
    std::map<char, glyph> glyphs;
};

/// How a line of text is painted.
struct text_style {
    int scale = 1;              // size of one font pixel on the picture
    bool smooth = false;        // round the steps of diagonal strokes
    uint32_t top = 0xffffff;    // colour at the top of the letters
    uint32_t bottom = 0xffffff; // colour at the base line
    int outline = 0;            // outline thickness in picture pixels, 0 for none
    uint32_t outline_rgb = 0;
    int shadow = 0; // shadow offset down and right, 0 for none
    uint32_t shadow_rgb = 0;
};

/// Reads the font file; prints the problem and returns false on an error.
bool font_load(const std::string& path, font& f);

/// Width of a line in font pixels (before scaling).
int font_text_width(const font& f, const std::string& text);

/// Draws a line with its top-left corner at (x, y).
void font_draw(image& dst, const font& f, const std::string& text, int x, int y,
               const text_style& style);

/// Draws a line centred on x.
void font_draw_centre(image& dst, const font& f, const std::string& text, int cx, int y,
                      const text_style& style);
