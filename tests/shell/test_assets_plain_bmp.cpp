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

TEST_F(PlainBmp, AFullScreenPictureFillsTheBackBufferTheSameWay) {
    BITMAP* expected = create_bitmap(1024, 768);
    PALETTE library_pal;
    BITMAP* title = load_bitmap("TitelScreen.bmp", library_pal);
    ASSERT_NE(title, nullptr);
    clear_to_color(expected, 0);
    blit(title, expected, 0, 0, 0, 0, title->w, title->h);
    destroy_bitmap(title);

    ASSERT_EQ(assets_load_screen(bmp, "TitelScreen.bmp"), 1);
    long differing = 0;
    for (int y = 0; y < 768; y++)
        for (int x = 0; x < 1024; x++)
            differing += getpixel(bmp, x, y) != getpixel(expected, x, y);
    destroy_bitmap(expected);
    EXPECT_EQ(differing, 0);
}

} // namespace
