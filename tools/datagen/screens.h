// screens: paints the pictures described by data/screens/*.txt (the full
// screens, the message box and its buttons).
//
// Each file is a list of painting commands, one a line, applied in order:
//
//   size W H                          picture size (default 1024 768)
//   fill RRGGBB
//   gradient RRGGBB RRGGBB            top to bottom over the whole picture
//   rock X Y W H RRGGBB RRGGBB SEED   cave rock from dark to light
//   noise X Y W H CELL AMOUNT SEED    darkens and lightens by noise
//   rect X Y W H RRGGBB [ALPHA]
//   bevel X Y W H THICK RRGGBB RRGGBB light top-left, dark bottom-right
//   glow X Y RADIUS RRGGBB STRENGTH
//   rays X Y COUNT LENGTH RRGGBB ALPHA SEED
//   teeth top|bottom HEIGHT RRGGBB SEED
//   hills Y AMPLITUDE RRGGBB SEED     rolling hills down to the bottom
//   arch X Y RX RY RRGGBB RRGGBB SEED rock all round an oval opening
//   vignette STRENGTH
//   tile SPRITE X Y W H               repeats a sprite over a rectangle
//   sprite SPRITE X Y SCALE [mirror]  a sprite enlarged, mask left out
//   text X Y SCALE RRGGBB "words"     X may be "center"; 1-pixel shadow
//   title Y SCALE TOP BOTTOM OUTLINE "words"  big smoothed lettering, centred
//   lines X Y SCALE RRGGBB SPACING    the following lines up to "end"
//   table X Y SCALE KEYS TEXT SPACING X2
//                                     "keys | meaning" lines up to "end", the
//                                     meanings starting at X2
//   include FILE                      the commands of FILE (beside this one)
//                                     as if they stood here
//
// Lines starting with '#' are comments.
#pragma once
#include <string>

#include "font.h"
#include "image.h"
#include "sprites.h"

/// Paints the picture of one screen file; false (with a message) on an error.
bool screens_render_file(const std::string& path, const sprite_set& sprites, const font& f,
                         image& out);
