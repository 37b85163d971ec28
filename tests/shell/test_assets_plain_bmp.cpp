// Pictures read in one piece: plain 24-bit BMP files are decoded by the game
// itself, everything else by the library; either way every pixel and the
// palette must come out exactly as load_bitmap makes them.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "headless.h"
#include "main/game.h"
#include "shell/assets.h"

namespace {

/// Every picture file of the data folder.
std::vector<std::string> data_pictures() {
    std::vector<std::string> names;
    for (int i = 0; i < assets_table_file_count(); i++)
        names.push_back(assets_table_file(i));
    for (int i = 0; i < assets_required_count; i++) {
        std::string name = assets_required_files[i];
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".bmp") == 0)
            names.push_back(name);
    }
    return names;
}

/// Empty when the game's loading of `name` equals the library's, else what differs.
std::string compare_with_library(const std::string& name) {
    PALETTE library_pal;
    BITMAP* expected = load_bitmap(name.c_str(), library_pal);
    for (int i = 0; i < PAL_SIZE; i++)
        pal[i] = RGB{7, 7, 7, 0}; // whatever the loading leaves must be its own
    BITMAP* got = assets_load_bitmap(name.c_str());
    std::string problem;
    if (!expected || !got)
        problem = !expected ? "the library could not read it" : "the game could not read it";
    else if (bitmap_color_depth(got) != bitmap_color_depth(expected) || got->w != expected->w ||
             got->h != expected->h)
        problem = "another depth or size";
    for (int y = 0; problem.empty() && y < got->h; y++)
        for (int x = 0; problem.empty() && x < got->w; x++)
            if (getpixel(got, x, y) != getpixel(expected, x, y))
                problem = "pixel " + std::to_string(x) + "," + std::to_string(y);
    for (int i = 0; problem.empty() && i < PAL_SIZE; i++)
        if (pal[i].r != library_pal[i].r || pal[i].g != library_pal[i].g ||
            pal[i].b != library_pal[i].b)
            problem = "palette entry " + std::to_string(i);
    if (expected)
        destroy_bitmap(expected);
    if (got)
        destroy_bitmap(got);
    return problem;
}

class PlainBmp : public ::testing::Test {
  protected:
    std::vector<std::string> scratch;

    void SetUp() override { headless_init(); }
    void TearDown() override {
        for (const std::string& name : scratch)
            unlink(name.c_str());
    }

    /// Saves a picture of the given depth and size, full of varied colours,
    /// as a BMP file of the library's making; returns its name.
    std::string saved(int depth, int w, int h) {
        char name[] = "/tmp/cave-plain-bmp-XXXXXX";
        const int fd = mkstemp(name);
        close(fd);
        unlink(name);
        scratch.push_back(std::string(name) + ".bmp");
        BITMAP* picture = create_bitmap_ex(depth, w, h);
        PALETTE palette;
        generate_332_palette(palette);
        select_palette(palette);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                putpixel(
                    picture, x, y,
                    makecol_depth(depth, (x * 37 + y) & 0xff, (y * 11) & 0xff, (x ^ y) & 0xff));
        save_bitmap(scratch.back().c_str(), picture, palette);
        destroy_bitmap(picture);
        unselect_palette();
        return scratch.back();
    }
};

TEST_F(PlainBmp, EveryPictureOfTheGameLoadsAsTheLibraryLoadsIt) {
    for (const std::string& name : data_pictures())
        EXPECT_EQ(compare_with_library(name), "") << name;
}

TEST_F(PlainBmp, RowsPaddedToFourBytesAndOtherKindsOfFile) {
    EXPECT_EQ(compare_with_library(saved(24, 33, 7)), "") << "24 bits, padded rows";
    EXPECT_EQ(compare_with_library(saved(24, 1, 1)), "") << "one pixel";
    EXPECT_EQ(compare_with_library(saved(8, 13, 5)), "") << "8 bits with a palette";
    EXPECT_EQ(compare_with_library(saved(32, 9, 4)), "") << "32 bits";
}

/// Pixels of `target` that differ from loading `name` with the library and
/// copying it to the top left of a black bitmap; also checks the palette.
long screen_differences(BITMAP* target, const char* name) {
    BITMAP* expected = create_bitmap(target->w, target->h);
    PALETTE library_pal;
    BITMAP* picture = load_bitmap(name, library_pal);
    clear_to_color(expected, 0);
    if (picture)
        blit(picture, expected, 0, 0, 0, 0, picture->w, picture->h);
    long differing = picture ? 0 : -1;
    for (int y = 0; y < target->h; y++)
        for (int x = 0; x < target->w; x++)
            differing += getpixel(target, x, y) != getpixel(expected, x, y);
    for (int i = 0; i < PAL_SIZE; i++)
        differing += pal[i].r != library_pal[i].r || pal[i].b != library_pal[i].b;
    if (picture)
        destroy_bitmap(picture);
    destroy_bitmap(expected);
    return differing;
}

TEST_F(PlainBmp, FullScreenPicturesGoStraightIntoTheBackBufferAsIfCopied) {
    for (const char* name : {"TitelScreen.bmp", "StoryScreen1.bmp", "GameOver.bmp"}) {
        clear_to_color(bmp, color_rgb(0x123456));
        for (int i = 0; i < PAL_SIZE; i++)
            pal[i] = RGB{7, 7, 7, 0};
        ASSERT_EQ(assets_load_screen(bmp, name), 1) << name;
        EXPECT_EQ(screen_differences(bmp, name), 0) << name;
    }
}

TEST_F(PlainBmp, ASmallPictureAsAScreenLeavesBlackAroundIt) {
    const std::string name = saved(24, 33, 7);
    clear_to_color(bmp, color_rgb(0x123456));
    ASSERT_EQ(assets_load_screen(bmp, name.c_str()), 1);
    EXPECT_EQ(screen_differences(bmp, name.c_str()), 0);
    EXPECT_EQ(pixel_rgb(bmp, 40, 3), 0);
}

} // namespace
