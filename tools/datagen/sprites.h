// sprites: reads the text pixel maps under data/sprites/.
//
// A sprite file holds palette lines ("<char> <RRGGBB>"), each introduced by a
// line "palette", and pictures introduced by "sprite <name>", followed by one
// text row per pixel row, one character per pixel. Lines starting with '#'
// are comments; a blank line ends a picture. A palette stays in force for the
// rest of the file; later palette lines add or change characters.
#pragma once
#include <map>
#include <string>

#include "image.h"

/// Sprites by name ("green_devil.bmp", or a name without .bmp for pictures
/// used only on the full screens).
using sprite_set = std::map<std::string, image>;

/// Reads one sprite file into `out`; prints the problem and returns false on
/// a syntax error.
bool sprites_load_file(const std::string& path, sprite_set& out);

/// Reads every *.txt file of a folder (in name order) into `out`.
bool sprites_load_dir(const std::string& dir, sprite_set& out);
