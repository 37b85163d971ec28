// scale: the game's picture scaled crisply onto a screen of any size (see
// scale.h). The tables of which picture pixels each screen pixel reads are
// made once per size; each picture row is scaled across once, and the
// screen rows that show the same picture row are copies of it.
#include "render/scale.h"

#include <allegro.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// The factors a window is offered, smallest first.
// factor
constexpr double window_factors[] = {0.5, 0.75, 1, 1.25, 1.5, 2, 2.5, 3, 4};

/// How one axis of the target reads the picture: for each target pixel the
/// picture pixel it starts on and the share (0 to 256 of 256) of the next.
struct scale_axis_ {
    std::vector<int> index;
    std::vector<int> share;
    std::vector<int> mixed; // the target pixels whose share is not 0
};

/// The tables of the last size drawn, and two picture rows scaled across.
struct scale_cache_ {
    int src_w, src_h, w, h;
    scale_axis_ cols, rows;
    std::vector<uint32_t> row[2];
    int tag[2];
};

scale_cache_ cache;

/// Fills `axis` for `src` picture pixels shown on `dst` target pixels: a
/// target pixel inside one picture pixel takes it whole, one on the border
/// of two mixes them by the part of each it covers.
void scale_axis_make(int src, int dst, scale_axis_* axis) {
    const double f = double(dst) / src;
    axis->index.resize(dst);
    axis->share.resize(dst);
    axis->mixed.clear();
    for (int d = 0; d < dst; d++) {
        const double u = (d + 0.5) / f - 0.5;
        int i = int(std::floor(u));
        const double t = std::clamp((u - i - 0.5) * f + 0.5, 0.0, 1.0);
        int s = int(std::lround(t * 256));
        if (s == 256) {
            i++;
            s = 0;
        }
        if (i < 0)
            i = 0, s = 0;
        if (i >= src - 1) // the last pixel, read as all of the next after the one before
            i = src - 2, s = 256;
        axis->index[d] = i;
        axis->share[d] = s;
        if (s != 0)
            axis->mixed.push_back(d);
    }
}

/// Pixel a mixed with pixel b, b taking `s` of 256 parts.
inline uint32_t scale_mix(uint32_t a, uint32_t b, uint32_t s) {
    const uint32_t rb = ((a & 0xff00ff) * (256 - s) + (b & 0xff00ff) * s) >> 8;
    const uint32_t g = ((a & 0x00ff00) * (256 - s) + (b & 0x00ff00) * s) >> 8;
    return (rb & 0xff00ff) | (g & 0x00ff00);
}

/// One picture row scaled across into `out` (cache.w pixels).
void scale_row(const uint32_t* src, uint32_t* out) {
    const int n = cache.w;
    if (n % cache.src_w == 0) { // a whole factor: each pixel repeated
        const int k = n / cache.src_w;
        for (int x = 0; x < cache.src_w; x++)
            std::fill(out + x * k, out + x * k + k, src[x]);
        return;
    }
    // Each pixel its own picture pixel first; then the few that straddle two.
    const int* index = cache.cols.index.data();
    const int* share = cache.cols.share.data();
    for (int x = 0; x < n; x++)
        out[x] = src[index[x]];
    for (int x : cache.cols.mixed)
        out[x] = scale_mix(src[index[x]], src[index[x] + 1], share[x]);
}

/// Picture row `r` scaled across, from the two kept or made afresh.
const uint32_t* scale_cached_row(BITMAP* picture, int r) {
    for (int i = 0; i < 2; i++)
        if (cache.tag[i] == r)
            return cache.row[i].data();
    const int slot = cache.tag[0] < cache.tag[1] ? 0 : 1; // rows only go down
    scale_row(reinterpret_cast<const uint32_t*>(picture->line[r]), cache.row[slot].data());
    cache.tag[slot] = r;
    return cache.row[slot].data();
}

/// Makes the tables for `picture` at the plan's size (when they differ) and
/// forgets the rows scaled for the last frame.
void scale_prepare(BITMAP* picture, const scale_plan_& plan) {
    if (cache.src_w != picture->w || cache.src_h != picture->h || cache.w != plan.w ||
        cache.h != plan.h) {
        cache.src_w = picture->w;
        cache.src_h = picture->h;
        cache.w = plan.w;
        cache.h = plan.h;
        scale_axis_make(picture->w, plan.w, &cache.cols);
        scale_axis_make(picture->h, plan.h, &cache.rows);
        cache.row[0].resize(plan.w);
        cache.row[1].resize(plan.w);
    }
    cache.tag[0] = cache.tag[1] = -1;
}

/// Paints the target black around the plan's rectangle.
void scale_clear_around(BITMAP* target, const scale_plan_& plan) {
    const int right = plan.x + plan.w, bottom = plan.y + plan.h;
    if (plan.y > 0)
        rectfill(target, 0, 0, target->w - 1, plan.y - 1, 0);
    if (bottom < target->h)
        rectfill(target, 0, bottom, target->w - 1, target->h - 1, 0);
    if (plan.x > 0)
        rectfill(target, 0, plan.y, plan.x - 1, bottom - 1, 0);
    if (right < target->w)
        rectfill(target, right, plan.y, target->w - 1, bottom - 1, 0);
}

/// Writes target row y: black outside the picture, the scaled picture in it.
void scale_write_row(BITMAP* picture, BITMAP* target, const scale_plan_& plan, int y) {
    uint32_t* line = reinterpret_cast<uint32_t*>(bmp_write_line(target, y));
    if (y < plan.y || y >= plan.y + plan.h) {
        std::fill(line, line + target->w, 0);
        return;
    }
    std::fill(line, line + plan.x, 0);
    std::fill(line + plan.x + plan.w, line + target->w, 0);
    const int r = cache.rows.index[y - plan.y], s = cache.rows.share[y - plan.y];
    const uint32_t* a = scale_cached_row(picture, r);
    if (s == 0) {
        memcpy(line + plan.x, a, sizeof(uint32_t) * plan.w);
        return;
    }
    const uint32_t* __restrict b = scale_cached_row(picture, r + 1);
    a = scale_cached_row(picture, r); // b's making may have replaced a
    uint32_t* __restrict out = line + plan.x;
    for (int x = 0, n = plan.w; x < n; x++)
        out[x] = scale_mix(a[x], b[x], s);
}

} // namespace

double scale_window_factor(int desk_w, int desk_h) {
    double best = window_factors[0];
    for (double f : window_factors)
        if (SCALE_PICTURE_W * f <= desk_w * 0.9 && SCALE_PICTURE_H * f <= desk_h * 0.9)
            best = f;
    return best;
}

double scale_fit_factor(int w, int h) {
    return std::min(double(w) / SCALE_PICTURE_W, double(h) / SCALE_PICTURE_H);
}

scale_plan_ scale_plan(int target_w, int target_h, double factor) {
    int w = int(std::lround(SCALE_PICTURE_W * factor));
    int h = int(std::lround(SCALE_PICTURE_H * factor));
    if (w > target_w || h > target_h) { // too large: the largest that fits
        const double fit = scale_fit_factor(target_w, target_h);
        w = std::min(target_w, int(SCALE_PICTURE_W * fit + 1e-9));
        h = std::min(target_h, int(SCALE_PICTURE_H * fit + 1e-9));
    }
    w = std::max(w, 1);
    h = std::max(h, 1);
    return {(target_w - w) / 2, (target_h - h) / 2, w, h};
}

void scale_blit(BITMAP* picture, BITMAP* target, const scale_plan_& plan) {
    if (plan.w == picture->w && plan.h == picture->h) { // today's pixels
        scale_clear_around(target, plan);
        blit(picture, target, 0, 0, plan.x, plan.y, plan.w, plan.h);
        return;
    }
    if (bitmap_color_depth(picture) != 32 || bitmap_color_depth(target) != 32) {
        scale_clear_around(target, plan);
        stretch_blit(picture, target, 0, 0, picture->w, picture->h, plan.x, plan.y, plan.w, plan.h);
        return;
    }
    scale_prepare(picture, plan);
    acquire_bitmap(target);
    for (int y = 0; y < target->h; y++)
        scale_write_row(picture, target, plan, y);
    bmp_unwrite_line(target);
    release_bitmap(target);
}
