// Scaling the picture to the screen: the window's size for common desktops,
// where the picture lands, and crisp pixels at 1x, 2x, uneven factors and
// a factor below 1.
#include <gtest/gtest.h>

#include <allegro.h>

#include <algorithm>
#include <cstdlib>

#include "headless.h"
#include "platform/scale.h"
#include "readme.h"

namespace {

class Scale : public ::testing::Test {
  protected:
    BITMAP* picture = nullptr;
    BITMAP* target = nullptr;

    void SetUp() override {
        headless_init();
        picture = create_bitmap(SCALE_PICTURE_W, SCALE_PICTURE_H);
        srand(5);
        for (int y = 0; y < picture->h; y++)
            for (int x = 0; x < picture->w; x++)
                putpixel(picture, x, y, makecol32(rand() % 256, rand() % 256, rand() % 256));
    }
    void TearDown() override {
        destroy_bitmap(picture);
        if (target)
            destroy_bitmap(target);
    }

    /// Scales the picture onto a new w x h target at `factor`; its plan.
    scale_plan_ scale_onto(int w, int h, double factor) {
        target = create_bitmap(w, h);
        clear_to_color(target, makecol32(9, 9, 9));
        const scale_plan_ plan = scale_plan(w, h, factor);
        scale_forget(); // a new target
        scale_blit(picture, target, plan);
        return plan;
    }
};

TEST_F(Scale, WindowSizeFitsNinetyPercentOfTheDesktop) {
    EXPECT_EQ(scale_window_factor(1366, 768), 0.75);
    EXPECT_EQ(scale_window_factor(1920, 1080), 1.25);
    EXPECT_EQ(scale_window_factor(2560, 1440), 1.5);
    EXPECT_EQ(scale_window_factor(3840, 2160), 2.5);
    EXPECT_EQ(scale_window_factor(1280, 1024), 1.0);
    EXPECT_EQ(scale_window_factor(800, 600), 0.5);
    // The README's list of windows ("768x576 on 1366x768, ...").
    const auto told = readme_matches("(\\d+)x(\\d+) on (\\d+)x(\\d+)");
    ASSERT_GE(told.size(), 4u);
    for (const auto& w : told) {
        const double factor = scale_window_factor(std::stoi(w[2]), std::stoi(w[3]));
        EXPECT_EQ(std::stoi(w[0]), int(factor * SCALE_PICTURE_W)) << w[2] << "x" << w[3];
        EXPECT_EQ(std::stoi(w[1]), int(factor * SCALE_PICTURE_H)) << w[2] << "x" << w[3];
    }
}

TEST_F(Scale, FullScreenPictureIsTheLargestCentredFourByThree) {
    const scale_plan_ laptop = scale_plan(1366, 768, scale_fit_factor(1366, 768));
    EXPECT_EQ(laptop.x, 171);
    EXPECT_EQ(laptop.y, 0);
    EXPECT_EQ(laptop.w, 1024);
    EXPECT_EQ(laptop.h, 768);
    const scale_plan_ big = scale_plan(3840, 2160, scale_fit_factor(3840, 2160));
    EXPECT_EQ(big.x, 480);
    EXPECT_EQ(big.w, 2880);
    EXPECT_EQ(big.h, 2160);
    // A factor too large for the screen gives the largest that fits.
    const scale_plan_ capped = scale_plan(1366, 768, 3);
    EXPECT_EQ(capped.w, 1024);
    EXPECT_EQ(capped.h, 768);
    // The README's table of full screens: "| 1920x1080 | 1440x1080 (x1.406) |".
    const auto told = readme_matches("\\| (\\d+)x(\\d+) \\| (\\d+)x(\\d+) \\(x([0-9.]+)\\) \\|");
    ASSERT_GE(told.size(), 4u);
    for (const auto& row : told) {
        const int w = std::stoi(row[0]), h = std::stoi(row[1]);
        const scale_plan_ plan = scale_plan(w, h, scale_fit_factor(w, h));
        EXPECT_EQ(std::stoi(row[2]), plan.w) << row[0] << "x" << row[1];
        EXPECT_EQ(std::stoi(row[3]), plan.h) << row[0] << "x" << row[1];
        char factor[16]; // as the benchmark writes it: three decimals at most
        snprintf(factor, sizeof factor, "%.3f", scale_fit_factor(w, h));
        std::string written = factor;
        written.erase(written.find_last_not_of('0') + 1);
        if (written.back() == '.')
            written.pop_back();
        EXPECT_EQ(row[4], written) << row[0] << "x" << row[1];
    }
}

TEST_F(Scale, FactorOneKeepsEveryPixelAndBlackAround) {
    const scale_plan_ plan = scale_onto(1366, 768, 1);
    for (int y = 0; y < 768; y += 7)
        for (int x = 0; x < 1024; x += 3)
            ASSERT_EQ(getpixel(target, plan.x + x, y), getpixel(picture, x, y)) << x << "," << y;
    EXPECT_EQ(count_rgb(target, 0, 0, plan.x, 768, 0), plan.x * 768);
    EXPECT_EQ(count_rgb(target, plan.x + 1024, 0, 1366 - plan.x - 1024, 768, 0),
              (1366 - plan.x - 1024) * 768);
}

TEST_F(Scale, FactorTwoRepeatsEveryPixelExactly) {
    const scale_plan_ plan = scale_onto(2048 + 40, 1536 + 20, 2);
    ASSERT_EQ(plan.w, 2048);
    for (int y = 0; y < plan.h; y += 5) // odd and even rows alike
        for (int x = 0; x < plan.w; x++)
            ASSERT_EQ(pixel_rgb(target, plan.x + x, plan.y + y), pixel_rgb(picture, x / 2, y / 2))
                << x << "," << y;
    EXPECT_EQ(pixel_rgb(target, 0, 0), 0);
}

/// The strokes met along a line of pixels (dx, dy steps from x, y): each
/// run of lit pixels must be at most two wide and hold the ink of `factor`
/// pixels, however it falls on the screen's pixels. Returns the runs found.
int strokes_along(BITMAP* target, int x, int y, int dx, int dy, int n, double factor) {
    int runs = 0, length = 0, ink = 0;
    for (int i = 0; i <= n; i++) {
        const int v = i < n ? pixel_rgb(target, x + i * dx, y + i * dy) & 0xff : 0;
        if (v > 0) {
            length++;
            ink += v;
            continue;
        }
        if (length > 0) {
            runs++;
            EXPECT_LE(length, 2) << "a stroke " << length << " pixels wide ending at " << i;
            EXPECT_NEAR(ink, factor * 255, 3) << "the stroke ending at " << i;
        }
        length = ink = 0;
    }
    return runs;
}

TEST_F(Scale, UnevenFactorDrawsEveryThinStrokeOneWidth) {
    // Thin white lines across and down, one picture pixel wide, at every
    // phase against the screen's pixels; nearest-pixel scaling would draw
    // every fourth twice as wide as the others.
    clear_to_color(picture, 0);
    for (int i = 3; i < 1000; i += 7) {
        vline(picture, i, 0, 767, makecol32(255, 255, 255));
        if (i < 760)
            hline(picture, 0, i, 1023, makecol32(255, 255, 255));
    }
    // Larger, and smaller as in the window of a 1366x768 laptop (there a
    // screen pixel mixes the picture pixels it covers, never others).
    // factor  window      screen row and column between the other lines
    const struct {
        double factor;
        int w, h, at;
    } sizes[] = {{1.25, 1280, 960, 6}, {0.75, 768, 576, 4}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(s.factor);
        if (target)
            destroy_bitmap(target);
        const scale_plan_ plan = scale_onto(s.w, s.h, s.factor);
        ASSERT_EQ(plan.w, s.w);
        EXPECT_EQ(strokes_along(target, plan.x, plan.y + s.at, 1, 0, plan.w, s.factor), 143);
        EXPECT_EQ(strokes_along(target, plan.x + s.at, plan.y, 0, 1, plan.h, s.factor), 109);
    }
}

/// The part of picture pixel i that screen pixel d covers at factor f.
double coverage(int d, int i, double f) {
    return std::max(0.0, std::min((d + 1) / f, i + 1.0) - std::max(d / f, double(i))) * f;
}

TEST_F(Scale, UnevenFactorMixesEachPixelByWhatItCovers) {
    const double f = 1440.0 / 1024; // full screen on 1920x1080
    const scale_plan_ plan = scale_onto(1920, 1080, f);
    ASSERT_EQ(plan.w, 1440);
    for (int y = 0; y < plan.h; y += 37)
        for (int x = 0; x < plan.w; x++) {
            double want[3] = {0, 0, 0};
            const int i0 = int(x / f), j0 = int(y / f);
            for (int j = j0; j <= j0 + 1 && j < SCALE_PICTURE_H; j++)
                for (int i = i0; i <= i0 + 1 && i < SCALE_PICTURE_W; i++) {
                    const double w = coverage(x, i, f) * coverage(y, j, f);
                    const int c = pixel_rgb(picture, i, j);
                    for (int k = 0; k < 3; k++)
                        want[k] += w * (c >> (16 - 8 * k) & 0xff);
                }
            const int got = pixel_rgb(target, plan.x + x, plan.y + y);
            for (int k = 0; k < 3; k++)
                ASSERT_NEAR(got >> (16 - 8 * k) & 0xff, want[k], 3) << x << "," << y;
        }
}

TEST_F(Scale, ANewFrameWritesWhatChangedAndMatchesAWholeDrawing) {
    const double f = 1440.0 / 1024;
    const scale_plan_ plan = scale_onto(1920, 1080, f);
    BITMAP* whole = create_bitmap(1920, 1080);
    rectfill(picture, 100, 300, 140, 302, makecol32(250, 0, 0)); // a turn's change
    putpixel(picture, 1023, 767, makecol32(0, 250, 0));          // the last pixel
    const int far_y = plan.y + 10, far_colour = makecol32(1, 2, 3);
    putpixel(target, plan.x + 700, far_y, far_colour); // stands for a row that stays
    scale_blit(picture, target, plan);
    EXPECT_EQ(getpixel(target, plan.x + 700, far_y), far_colour); // not written again
    scale_forget();
    scale_blit(picture, whole, plan);
    putpixel(target, plan.x + 700, far_y, getpixel(whole, plan.x + 700, far_y)); // put it right
    for (int y = 0; y < 1080; y++)
        for (int x = 0; x < 1920; x++)
            ASSERT_EQ(getpixel(target, x, y), getpixel(whole, x, y)) << x << "," << y;
    destroy_bitmap(whole);
}

} // namespace
