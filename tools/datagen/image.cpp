// image: pixel access, a few drawing helpers and the 24-bit BMP writer.
#include "image.h"

#include <cstdio>

image image_make(int w, int h, uint32_t rgb) {
    image img;
    img.w = w;
    img.h = h;
    img.px.assign(static_cast<size_t>(w) * h, rgb);
    return img;
}

uint32_t image_get(const image& img, int x, int y) {
    if (x < 0 || y < 0 || x >= img.w || y >= img.h)
        return 0;
    return img.px[static_cast<size_t>(y) * img.w + x];
}

void image_set(image& img, int x, int y, uint32_t rgb) {
    if (x < 0 || y < 0 || x >= img.w || y >= img.h)
        return;
    img.px[static_cast<size_t>(y) * img.w + x] = rgb & 0xffffff;
}

/// One channel of a colour, 0 to 255; shift 16 red, 8 green, 0 blue.
static int channel(uint32_t rgb, int shift) {
    return (rgb >> shift) & 0xff;
}

/// Rounds and clamps a channel value into 0..255.
static uint32_t clamp_channel(float v) {
    if (v < 0.0f)
        return 0;
    if (v > 255.0f)
        return 255;
    return static_cast<uint32_t>(v + 0.5f);
}

uint32_t rgb_mix(uint32_t a, uint32_t b, float t) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        float v = channel(a, shift) + (channel(b, shift) - channel(a, shift)) * t;
        out |= clamp_channel(v) << shift;
    }
    return out;
}

uint32_t rgb_scale(uint32_t rgb, float f) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8)
        out |= clamp_channel(channel(rgb, shift) * f) << shift;
    return out;
}

void image_blend(image& img, int x, int y, uint32_t rgb, float alpha) {
    if (x < 0 || y < 0 || x >= img.w || y >= img.h)
        return;
    uint32_t& p = img.px[static_cast<size_t>(y) * img.w + x];
    p = rgb_mix(p, rgb, alpha);
}

void image_fill_rect(image& img, int x, int y, int w, int h, uint32_t rgb) {
    for (int j = y; j < y + h; j++)
        for (int i = x; i < x + w; i++)
            image_set(img, i, j, rgb);
}

void image_blend_rect(image& img, int x, int y, int w, int h, uint32_t rgb, float alpha) {
    for (int j = y; j < y + h; j++)
        for (int i = x; i < x + w; i++)
            image_blend(img, i, j, rgb, alpha);
}

void image_draw_scaled(image& dst, const image& src, int x, int y, int scale, bool mirror) {
    for (int j = 0; j < src.h; j++)
        for (int i = 0; i < src.w; i++) {
            uint32_t c = image_get(src, mirror ? src.w - 1 - i : i, j);
            if (c == MASK_RGB)
                continue;
            image_fill_rect(dst, x + i * scale, y + j * scale, scale, scale, c);
        }
}

/// Appends a little-endian number of `bytes` bytes.
static void put_le(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; i++)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

bool image_write_bmp(const image& img, const std::string& path) {
    const int row_bytes = (img.w * 3 + 3) & ~3;
    const uint32_t data_size = static_cast<uint32_t>(row_bytes) * img.h;
    std::vector<uint8_t> out;
    out.reserve(54 + data_size);
    out.push_back('B');
    out.push_back('M');
    put_le(out, 54 + data_size, 4); // file size
    put_le(out, 0, 4);              // reserved
    put_le(out, 54, 4);             // offset of the pixels
    put_le(out, 40, 4);             // info header size
    put_le(out, img.w, 4);
    put_le(out, img.h, 4); // positive: rows stored bottom-up
    put_le(out, 1, 2);     // planes
    put_le(out, 24, 2);    // bits per pixel
    put_le(out, 0, 4);     // no compression
    put_le(out, data_size, 4);
    put_le(out, 2835, 4); // 72 dpi
    put_le(out, 2835, 4);
    put_le(out, 0, 4); // no palette
    put_le(out, 0, 4);
    for (int y = img.h - 1; y >= 0; y--) {
        for (int x = 0; x < img.w; x++)
            put_le(out, image_get(img, x, y), 3); // blue, green, red
        for (int pad = img.w * 3; pad < row_bytes; pad++)
            out.push_back(0);
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}
