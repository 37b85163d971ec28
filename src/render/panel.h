// panel: the status panel and the inventory strip.
#pragma once

struct BITMAP;
struct RGB;
struct character_;

/// Recalculates the player's effective stats, raises max_hp, paints the panel.
void draw_properties(BITMAP* bitmap, RGB* palette, character_* character);

/// Paints the 60-slot inventory strip with the carried items.
void draw_inventory(BITMAP* bitmap, RGB* palette, character_* character);

/// Paints the same strip as part of a whole frame that is shown once it is
/// complete: the selected item's box is painted but not shown by itself.
void draw_inventory_in_frame(BITMAP* bitmap, RGB* palette, character_* character);
