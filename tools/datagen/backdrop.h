// backdrop: procedural paint for the full-screen pictures and frames: noise
// textures, gradients, glows, light rays, vignettes and rock silhouettes.
#pragma once
#include <cstdint>

#include "image.h"

/// Smooth value noise in [0, 1] at (x, y), `cell` pixels per lattice step,
/// summed over `octaves` halving steps; the same seed always gives the same.
float backdrop_noise(float x, float y, float cell, int octaves, uint32_t seed);

/// Vertical gradient from `top` to `bottom` over the rectangle.
void backdrop_gradient(image& img, int x, int y, int w, int h, uint32_t top, uint32_t bottom);

/// Darkens or lightens the rectangle by noise: each pixel is scaled by
/// 1 - amount/2 .. 1 + amount/2.
void backdrop_noise_rect(image& img, int x, int y, int w, int h, float cell, float amount,
                         uint32_t seed);

/// Rough cave rock: a colour ramp from `dark` to `light` by fractal noise,
/// with cracks.
void backdrop_rock(image& img, int x, int y, int w, int h, uint32_t dark, uint32_t light,
                   uint32_t seed);

/// A soft round light mixed in around (cx, cy).
void backdrop_glow(image& img, int cx, int cy, int radius, uint32_t rgb, float strength);

/// Darkens the picture towards its corners.
void backdrop_vignette(image& img, float strength);

/// Light rays fanning out downward from (cx, cy).
void backdrop_rays(image& img, int cx, int cy, int count, int length, uint32_t rgb, float alpha,
                   uint32_t seed);

/// Jagged rock teeth hanging from the top (or rising from the bottom) edge.
void backdrop_teeth(image& img, bool from_top, int height, uint32_t rgb, uint32_t seed);

/// A bevelled frame: `light` on the top and left, `dark` on the bottom and right.
void backdrop_bevel(image& img, int x, int y, int w, int h, int thick, uint32_t light,
                    uint32_t dark);

/// Rolling hills: everything below a wavy line around `y` (swinging by
/// `amplitude`) is painted in `rgb`, lighter at the crest.
void backdrop_hills(image& img, int y, int amplitude, uint32_t rgb, uint32_t seed);

/// Rock everywhere outside an elliptical opening: the view out of a cave.
void backdrop_arch(image& img, int cx, int cy, int rx, int ry, uint32_t dark, uint32_t light,
                   uint32_t seed);
