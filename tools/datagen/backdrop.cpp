// backdrop: noise, gradients and the other procedural paints.
#include "backdrop.h"

#include <algorithm>
#include <cmath>

#include "rng.h"

namespace {

/// A fixed pseudo-random value in [0, 1] for a lattice point.
float lattice(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xffffff) / 16777215.0f;
}

/// Smoothstep easing of a fraction.
float ease(float t) {
    return t * t * (3.0f - 2.0f * t);
}

/// One octave of value noise.
float noise_octave(float x, float y, uint32_t seed) {
    int x0 = static_cast<int>(std::floor(x));
    int y0 = static_cast<int>(std::floor(y));
    float fx = ease(x - x0);
    float fy = ease(y - y0);
    float a = lattice(x0, y0, seed), b = lattice(x0 + 1, y0, seed);
    float c = lattice(x0, y0 + 1, seed), d = lattice(x0 + 1, y0 + 1, seed);
    return (a + (b - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy;
}

} // namespace

float backdrop_noise(float x, float y, float cell, int octaves, uint32_t seed) {
    float sum = 0, weight = 0, amp = 1;
    for (int o = 0; o < octaves; o++) {
        sum += amp * noise_octave(x / cell, y / cell, seed + o * 101);
        weight += amp;
        amp *= 0.5f;
        cell *= 0.5f;
    }
    return sum / weight;
}

void backdrop_gradient(image& img, int x, int y, int w, int h, uint32_t top, uint32_t bottom) {
    for (int j = 0; j < h; j++)
        image_fill_rect(img, x, y + j, w, 1, rgb_mix(top, bottom, h > 1 ? j / (h - 1.0f) : 0));
}

void backdrop_noise_rect(image& img, int x, int y, int w, int h, float cell, float amount,
                         uint32_t seed) {
    for (int j = y; j < y + h; j++)
        for (int i = x; i < x + w; i++) {
            float n = backdrop_noise(i, j, cell, 4, seed);
            image_set(img, i, j, rgb_scale(image_get(img, i, j), 1 + (n - 0.5f) * amount));
        }
}

void backdrop_rock(image& img, int x, int y, int w, int h, uint32_t dark, uint32_t light,
                   uint32_t seed) {
    for (int j = y; j < y + h; j++)
        for (int i = x; i < x + w; i++) {
            float n = backdrop_noise(i, j, 96, 5, seed);
            float grain = backdrop_noise(i, j, 5, 2, seed + 3) - 0.5f;
            float crack = std::fabs(backdrop_noise(i, j, 140, 3, seed + 7) - 0.5f);
            float t = n * 1.6f - 0.3f + grain * 0.12f;
            if (crack < 0.008f)
                t *= 0.6f + 40.0f * crack; // faint seams between the rock faces
            image_set(img, i, j, rgb_mix(dark, light, t < 0 ? 0 : (t > 1 ? 1 : t)));
        }
}

void backdrop_glow(image& img, int cx, int cy, int radius, uint32_t rgb, float strength) {
    for (int j = cy - radius; j <= cy + radius; j++)
        for (int i = cx - radius; i <= cx + radius; i++) {
            float d = std::sqrt(float((i - cx) * (i - cx) + (j - cy) * (j - cy))) / radius;
            if (d < 1.0f)
                image_blend(img, i, j, rgb, strength * (1 - d) * (1 - d));
        }
}

void backdrop_vignette(image& img, float strength) {
    const float cx = img.w / 2.0f, cy = img.h / 2.0f;
    for (int j = 0; j < img.h; j++)
        for (int i = 0; i < img.w; i++) {
            float dx = (i - cx) / cx, dy = (j - cy) / cy;
            float d = (dx * dx + dy * dy) / 2.0f;
            image_set(img, i, j, rgb_scale(image_get(img, i, j), 1 - strength * d));
        }
}

void backdrop_rays(image& img, int cx, int cy, int count, int length, uint32_t rgb, float alpha,
                   uint32_t seed) {
    rng r = rng_seed(seed);
    for (int k = 0; k < count; k++) {
        float angle = 3.14159f * (0.1f + 0.8f * (k + rng_float(r) * 0.6f) / count);
        float width = 0.02f + 0.03f * rng_float(r);
        for (int j = cy; j < cy + length && j < img.h; j++)
            for (int i = 0; i < img.w; i++) {
                float a = std::atan2(float(j - cy), float(i - cx));
                float d = std::fabs(a - angle);
                float dist = std::sqrt(float((i - cx) * (i - cx) + (j - cy) * (j - cy)));
                if (d < width && dist < length)
                    image_blend(img, i, j, rgb, alpha * (1 - d / width) * (1 - dist / length));
            }
    }
}

void backdrop_teeth(image& img, bool from_top, int height, uint32_t rgb, uint32_t seed) {
    for (int i = 0; i < img.w; i++) {
        float n = backdrop_noise(i, 0, 60, 4, seed);
        float spike = std::fabs(std::sin(i * 0.045f + n * 6.0f));
        int len = static_cast<int>(height * (0.25f + 0.75f * n * spike * spike));
        for (int k = 0; k < len; k++) {
            int y = from_top ? k : img.h - 1 - k;
            float shade = 0.6f + 0.4f * (1.0f - static_cast<float>(k) / height);
            image_set(img, i, y, rgb_scale(rgb, shade));
        }
    }
}

void backdrop_bevel(image& img, int x, int y, int w, int h, int thick, uint32_t light,
                    uint32_t dark) {
    for (int t = 0; t < thick; t++) {
        image_fill_rect(img, x + t, y + t, w - 2 * t, 1, light);
        image_fill_rect(img, x + t, y + t, 1, h - 2 * t, light);
        image_fill_rect(img, x + t, y + h - 1 - t, w - 2 * t, 1, dark);
        image_fill_rect(img, x + w - 1 - t, y + t, 1, h - 2 * t, dark);
    }
}

void backdrop_hills(image& img, int y, int amplitude, uint32_t rgb, uint32_t seed) {
    for (int i = 0; i < img.w; i++) {
        float n = backdrop_noise(i, 0, 260, 3, seed);
        int top = y + static_cast<int>((n - 0.5f) * 2 * amplitude);
        for (int j = std::max(0, top); j < img.h; j++) {
            float crest = j - top < 6 ? 1.15f : 1.0f;
            float grain = 0.94f + 0.12f * backdrop_noise(i, j, 6, 2, seed + 3);
            image_set(img, i, j, rgb_scale(rgb, crest * grain));
        }
    }
}

void backdrop_arch(image& img, int cx, int cy, int rx, int ry, uint32_t dark, uint32_t light,
                   uint32_t seed) {
    image rock = img;
    backdrop_rock(rock, 0, 0, img.w, img.h, dark, light, seed);
    for (int j = 0; j < img.h; j++)
        for (int i = 0; i < img.w; i++) {
            float rough = 0.08f * (backdrop_noise(i, j, 30, 3, seed + 5) - 0.5f);
            float dx = float(i - cx) / rx, dy = float(j - cy) / ry;
            float d = std::sqrt(dx * dx + dy * dy) + rough;
            if (d > 1.0f) {
                // the rim of the opening catches the daylight
                float lit = d < 1.04f ? 1.5f : 1.0f;
                image_set(img, i, j, rgb_scale(image_get(rock, i, j), lit));
            }
        }
}
