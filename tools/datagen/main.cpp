// datagen: makes every picture and sound of the game from the text sources
// under data/ (sprites, font, screens, music) at build time.
//
// Usage: datagen <source data folder> <output folder>
#include <cstdio>
#include <set>
#include <string>

#include "font.h"
#include "image.h"
#include "manifest.h"
#include "music.h"
#include "screens.h"
#include "sprites.h"
#include "textfile.h"
#include "wav.h"

namespace {

/// The manifest entry of a file name, or null.
const manifest_entry* manifest_find(const std::string& name) {
    for (int i = 0; i < manifest_count; i++)
        if (name == manifest_files[i].name)
            return &manifest_files[i];
    return nullptr;
}

/// Checks a picture against its manifest entry and writes it.
bool write_picture(const std::string& out_dir, const std::string& name, const image& img,
                   std::set<std::string>& made) {
    const manifest_entry* e = manifest_find(name);
    if (!e) {
        std::fprintf(stderr, "datagen: %s is not a file of the game\n", name.c_str());
        return false;
    }
    if (img.w != e->w || img.h != e->h) {
        std::fprintf(stderr, "datagen: %s is %dx%d, must be %dx%d\n", name.c_str(), img.w, img.h,
                     e->w, e->h);
        return false;
    }
    if (!image_write_bmp(img, out_dir + "/" + name)) {
        std::fprintf(stderr, "datagen: cannot write %s\n", name.c_str());
        return false;
    }
    made.insert(name);
    return true;
}

/// Writes every sprite whose name is a game file (others serve the screens).
bool make_sprites(const sprite_set& sprites, const std::string& out_dir,
                  std::set<std::string>& made) {
    bool ok = true;
    for (const auto& s : sprites)
        if (s.first.size() > 4 && s.first.compare(s.first.size() - 4, 4, ".bmp") == 0)
            ok = write_picture(out_dir, s.first, s.second, made) && ok;
    return ok;
}

/// Paints and writes every screen file: data/screens/NAME.txt gives NAME.bmp.
bool make_screens(const std::string& src, const sprite_set& sprites, const font& f,
                  const std::string& out_dir, std::set<std::string>& made) {
    bool ok = true;
    for (const std::string& path : textfile_list_dir(src + "/screens", ".txt")) {
        std::string base = path.substr(path.rfind('/') + 1);
        base = base.substr(0, base.size() - 4);
        image img;
        ok = screens_render_file(path, sprites, f, img) &&
             write_picture(out_dir, base + ".bmp", img, made) && ok;
    }
    return ok;
}

/// Renders and writes every music loop.
bool make_music(const std::string& src, const std::string& out_dir, std::set<std::string>& made) {
    bool ok = true;
    for (const std::string& path : textfile_list_dir(src + "/music", ".txt")) {
        music_loop loop;
        if (!music_render_file(path, loop) || !manifest_find(loop.file) ||
            !wav_write(out_dir + "/" + loop.file, loop.samples, MUSIC_RATE)) {
            std::fprintf(stderr, "datagen: could not make music from %s\n", path.c_str());
            ok = false;
            continue;
        }
        made.insert(loop.file);
    }
    return ok;
}

/// Reports every file of the game that no source produced.
bool check_complete(const std::set<std::string>& made) {
    bool ok = true;
    for (int i = 0; i < manifest_count; i++)
        if (!made.count(manifest_files[i].name)) {
            std::fprintf(stderr, "datagen: no source made %s\n", manifest_files[i].name);
            ok = false;
        }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: datagen <source data folder> <output folder>\n");
        return 2;
    }
    const std::string src = argv[1];
    const std::string out = argv[2];
    font f;
    sprite_set sprites;
    std::set<std::string> made;
    bool ok = font_load(src + "/font/font.txt", f);
    ok = sprites_load_dir(src + "/sprites", sprites) && ok;
    ok = make_sprites(sprites, out, made) && ok;
    ok = make_screens(src, sprites, f, out, made) && ok;
    ok = make_music(src, out, made) && ok;
    ok = check_complete(made) && ok;
    return ok ? 0 : 1;
}
