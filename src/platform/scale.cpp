// scale: the game's picture scaled crisply onto a screen of any size (see
// scale.h). The tables of which picture pixels each screen pixel reads are
// made once per size; each picture row is scaled across once, and the
// screen rows that show the same picture row are copies of it.
#include "platform/scale.h"

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
    std::vector<uint32_t> share;
};

/// A row read picture pixel by picture pixel, as it is when the picture is
/// made larger: each picture pixel j gives some screen pixels that copy it,
/// then at most one that mixes it with pixel j + 1.
struct scale_runs_ {
    bool usable;                  // the row can be read this way
    std::vector<uint8_t> copies;  // screen pixels copying picture pixel j
    std::vector<uint8_t> mixes;   // 1 when a mixed screen pixel follows them
    std::vector<uint16_t> weight; // that pixel's share of j + 1, for each byte
    std::vector<uint32_t> mixed;  // the mixed pixels of the row being scaled
    int most_copies;              // the most copies of one picture pixel
    std::vector<int> at;          // the first screen pixel of picture pixel j
};

/// The tables of the last size drawn, two picture rows scaled across, and
/// the picture as the target last showed it, so that a frame writes only the
/// screen rows whose picture rows changed (most of a turn's picture stays).
struct scale_cache_ {
    int src_w, src_h, w, h;
    scale_axis_ cols, rows;
    scale_runs_ runs;
    std::vector<uint32_t> row[2];
    int tag[2];
    BITMAP* target;               // the target the picture was last shown on
    bool shown_valid;             // `shown` is what that target holds
    std::vector<uint32_t> shown;  // the picture as last shown, row by row
    std::vector<uint8_t> changed; // 1 for each picture row that differs from it
};

/// Room after a scaled row for the eight-pixel stores of scale_row_runs.
constexpr int ROW_SLACK = 8;

scale_cache_ cache;

/// Fills `axis` for `src` picture pixels shown on `dst` target pixels: a
/// target pixel inside one picture pixel takes it whole, one on the border
/// of two mixes them by the part of each it covers.
void scale_axis_make(int src, int dst, scale_axis_* axis) {
    const double f = double(dst) / src;
    axis->index.resize(dst);
    axis->share.resize(dst);
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
    }
}

/// Reads the columns' table picture pixel by picture pixel into `runs`;
/// not usable when a picture pixel is skipped or mixed twice (smaller than
/// the picture) or copied more than eight times.
void scale_runs_make(const scale_axis_& cols, int src, scale_runs_* runs) {
    runs->copies.assign(src, 0);
    runs->mixes.assign(src, 0);
    runs->weight.assign(src * 4, 0);
    runs->mixed.assign(src, 0);
    runs->usable = true;
    runs->most_copies = 0;
    runs->at.assign(src, int(cols.index.size()));
    int last = -1; // the picture pixel of the screen pixel before
    for (size_t d = 0; d < cols.index.size() && runs->usable; d++) {
        int j = cols.index[d];
        uint32_t s = cols.share[d];
        if (s == 256)
            j++, s = 0;
        const bool in_order = j > last || (j == last && !runs->mixes[j]);
        runs->usable = in_order && runs->copies[j] < 8 && (j == last + 1 || j == last);
        if (j != last)
            runs->at[j] = int(d);
        if (s == 0)
            runs->most_copies = std::max(runs->most_copies, int(++runs->copies[j]));
        else
            runs->mixes[j] = 1, std::fill_n(&runs->weight[j * 4], 4, uint16_t(s));
        last = j;
    }
}

/// Four pixels side by side, for the processor's vector instructions.
typedef uint32_t scale_four __attribute__((vector_size(16)));

/// Pixel a mixed with pixel b, b taking `s` of 256 parts (also four at once).
template <class P> inline P scale_mix(P a, P b, P s) {
    const P rb = ((a & 0xff00ff) * (256 - s) + (b & 0xff00ff) * s) >> 8;
    const P g = ((a & 0x00ff00) * (256 - s) + (b & 0x00ff00) * s) >> 8;
    return (rb & 0xff00ff) | (g & 0x00ff00);
}

/// out = a mixed with b, b taking `s` of 256 parts, over `n` pixels. Byte by
/// byte in 16-bit numbers (255 x 256 fits), which the compiler turns into
/// vector instructions sixteen bytes at a time.
void scale_blend(const uint32_t* a, const uint32_t* b, uint32_t s, uint32_t* out, int n) {
    const uint8_t* __restrict pa = reinterpret_cast<const uint8_t*>(a);
    const uint8_t* __restrict pb = reinterpret_cast<const uint8_t*>(b);
    uint8_t* __restrict po = reinterpret_cast<uint8_t*>(out);
    const uint16_t wa = uint16_t(256 - s), wb = uint16_t(s);
    for (int k = 0; k < n * 4; k++)
        po[k] = uint8_t(uint16_t(pa[k] * wa + pb[k] * wb) >> 8);
}

/// One picture row scaled across, picture pixel by picture pixel: first
/// every mix of a pixel with the next (byte by byte), then for each pixel
/// four or eight copies stored at once (the next pixel's overwrite the
/// surplus) and its mixed pixel, if any.
void scale_row_runs(const uint32_t* src, uint32_t* out) {
    const int n = cache.src_w;
    scale_runs_& runs = cache.runs;
    const uint32_t* mixed = runs.mixed.data();
    // Each picture pixel mixed with the next by its share, byte by byte.
    const uint8_t* __restrict pa = reinterpret_cast<const uint8_t*>(src);
    const uint16_t* __restrict weight = runs.weight.data();
    uint8_t* __restrict pm = reinterpret_cast<uint8_t*>(runs.mixed.data());
    for (int k = 0; k < (n - 1) * 4; k++)
        pm[k] = uint8_t(uint16_t(pa[k] * uint16_t(256 - weight[k]) + pa[k + 4] * weight[k]) >> 8);
    const int* __restrict at = runs.at.data();
    const uint8_t* __restrict copies = runs.copies.data();
    const bool wide = runs.most_copies > 4;
    for (int j = 0; j < n; j++) {
        const scale_four p = {src[j], src[j], src[j], src[j]};
        uint32_t* o = out + at[j];
        memcpy(o, &p, sizeof p);
        if (wide)
            memcpy(o + 4, &p, sizeof p);
        o[copies[j]] = mixed[j];
    }
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
    if (cache.runs.usable)
        return scale_row_runs(src, out);
    // Four screen pixels at a time, each its picture pixel mixed with the
    // next by its share (0 for most: an exact copy).
    const int* index = cache.cols.index.data();
    const uint32_t* share = cache.cols.share.data();
    int x = 0;
    for (; x + 4 <= n; x += 4) {
        const int* i = index + x;
        const scale_four a = {src[i[0]], src[i[1]], src[i[2]], src[i[3]]};
        const scale_four b = {src[i[0] + 1], src[i[1] + 1], src[i[2] + 1], src[i[3] + 1]};
        scale_four s, mixed;
        memcpy(&s, share + x, sizeof s);
        mixed = scale_mix(a, b, s);
        memcpy(out + x, &mixed, sizeof mixed);
    }
    for (; x < n; x++)
        out[x] = scale_mix<uint32_t>(src[index[x]], src[index[x] + 1], share[x]);
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
        scale_runs_make(cache.cols, picture->w, &cache.runs);
        cache.row[0].resize(plan.w + ROW_SLACK);
        cache.row[1].resize(plan.w + ROW_SLACK);
        cache.shown_valid = false;
    }
    cache.tag[0] = cache.tag[1] = -1;
}

/// Marks the picture rows that differ from what the target shows, and keeps
/// them as shown; every row when the target holds something else.
void scale_find_changes(BITMAP* picture, BITMAP* target) {
    const size_t w = size_t(picture->w), bytes = w * sizeof(uint32_t);
    if (cache.target != target || cache.shown.size() != w * size_t(picture->h))
        cache.shown_valid = false;
    cache.shown.resize(w * size_t(picture->h));
    cache.changed.resize(size_t(picture->h));
    for (int r = 0; r < picture->h; r++) {
        uint32_t* kept = &cache.shown[size_t(r) * w];
        cache.changed[r] = !cache.shown_valid || memcmp(kept, picture->line[r], bytes) != 0;
        if (cache.changed[r])
            memcpy(kept, picture->line[r], bytes);
    }
    cache.target = target;
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
/// With `fresh` 0 the black is already there, and a row whose picture rows
/// have not changed is left as it is.
void scale_write_row(BITMAP* picture, BITMAP* target, const scale_plan_& plan, int y, bool fresh) {
    const bool inside = y >= plan.y && y < plan.y + plan.h;
    const int r = inside ? cache.rows.index[y - plan.y] : 0;
    const uint32_t s = inside ? cache.rows.share[y - plan.y] : 0;
    if (!fresh && (!inside || !(cache.changed[r] || (s != 0 && cache.changed[r + 1]))))
        return;
    uint32_t* line = reinterpret_cast<uint32_t*>(bmp_write_line(target, y));
    if (!inside) {
        std::fill(line, line + target->w, 0);
        return;
    }
    std::fill(line, line + plan.x, 0);
    std::fill(line + plan.x + plan.w, line + target->w, 0);
    const uint32_t* a = scale_cached_row(picture, r);
    if (s == 0) {
        memcpy(line + plan.x, a, sizeof(uint32_t) * plan.w);
        return;
    }
    const uint32_t* b = scale_cached_row(picture, r + 1);
    a = scale_cached_row(picture, r); // b's making may have replaced a
    scale_blend(a, b, s, line + plan.x, plan.w);
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

int scale_shown(BITMAP* out) {
    if (!cache.shown_valid || out->w != cache.src_w || out->h != cache.src_h ||
        bitmap_color_depth(out) != 32)
        return 0;
    for (int r = 0; r < out->h; r++)
        memcpy(out->line[r], &cache.shown[size_t(r) * size_t(out->w)],
               size_t(out->w) * sizeof(uint32_t));
    return 1;
}

void scale_forget() {
    cache.shown_valid = false;
}

void scale_blit(BITMAP* picture, BITMAP* target, const scale_plan_& plan) {
    if (plan.w == picture->w && plan.h == picture->h) { // today's pixels
        scale_forget();
        scale_clear_around(target, plan);
        blit(picture, target, 0, 0, plan.x, plan.y, plan.w, plan.h);
        return;
    }
    if (bitmap_color_depth(picture) != 32 || bitmap_color_depth(target) != 32) {
        scale_forget();
        scale_clear_around(target, plan);
        stretch_blit(picture, target, 0, 0, picture->w, picture->h, plan.x, plan.y, plan.w, plan.h);
        return;
    }
    scale_prepare(picture, plan);
    scale_find_changes(picture, target);
    const bool fresh = !cache.shown_valid;
    cache.shown_valid = true;
    acquire_bitmap(target);
    for (int y = 0; y < target->h; y++)
        scale_write_row(picture, target, plan, y, fresh);
    bmp_unwrite_line(target);
    release_bitmap(target);
}
