// manifest: every file the game reads, with its size and whether it is drawn
// with the mask colour as see-through background.
#pragma once

/// Where a file's source lives.
enum manifest_source { FROM_SPRITES, FROM_SCREENS, FROM_MUSIC };

/// One data file of the game.
struct manifest_entry {
    const char* name;
    int w, h;    // picture size; 0 for sounds
    bool masked; // background must be the mask colour
    manifest_source source;
};

/// The list of files, and its length.
extern const manifest_entry manifest_files[];
extern const int manifest_count;
