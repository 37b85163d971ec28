// image: a plain true-colour picture in memory and the BMP writer that turns
// it into a file the game can load.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

/// The see-through colour of every picture drawn with a masked copy.
constexpr uint32_t MASK_RGB = 0xff00ff;

/// A w x h picture, pixels stored row by row as 0xRRGGBB.
struct image {
    int w = 0;
    int h = 0;
    std::vector<uint32_t> px;
};

/// A new picture filled with one colour.
image image_make(int w, int h, uint32_t rgb);

/// The pixel at (x, y); 0 (black) outside the picture.
uint32_t image_get(const image& img, int x, int y);

/// Sets the pixel at (x, y); points outside the picture are ignored.
void image_set(image& img, int x, int y, uint32_t rgb);

/// Mixes `rgb` into the pixel at (x, y) with weight `alpha` (0 to 1).
void image_blend(image& img, int x, int y, uint32_t rgb, float alpha);

/// Fills a rectangle, clipped to the picture.
void image_fill_rect(image& img, int x, int y, int w, int h, uint32_t rgb);

/// Mixes a colour into a rectangle with weight `alpha`.
void image_blend_rect(image& img, int x, int y, int w, int h, uint32_t rgb, float alpha);

/// Copies `src` enlarged `scale` times to (x, y), leaving out the mask colour.
void image_draw_scaled(image& dst, const image& src, int x, int y, int scale, bool mirror);

/// Mixes two colours: t 0 gives a, t 1 gives b.
uint32_t rgb_mix(uint32_t a, uint32_t b, float t);

/// Multiplies each channel by f (clamped to 0..255).
uint32_t rgb_scale(uint32_t rgb, float f);

/// Writes the picture as an uncompressed 24-bit BMP file; false on failure.
bool image_write_bmp(const image& img, const std::string& path);
