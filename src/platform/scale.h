// scale: the game's 1024 x 768 picture made larger or smaller for the screen
// it is shown on, keeping the pixel art and the 8 x 8 letters crisp.
//
// Whole factors repeat every pixel exactly; other factors give each screen
// pixel its nearest picture pixel and mix only the pixels that straddle two
// picture pixels, in proportion to how much of each they cover.
#pragma once

struct BITMAP;

/// The size of the picture every screen of the game is composed at.
enum { SCALE_PICTURE_W = 1024, SCALE_PICTURE_H = 768 };

/// Where the picture lands on a target: its top-left corner and its size.
struct scale_plan_ {
    int x;
    int y;
    int w;
    int h;
};

/// The factor of a window on a desktop of w x h: the largest of the offered
/// sizes that fits within 90% of its width and height (at least the least).
double scale_window_factor(int desk_w, int desk_h);

/// The largest factor at which the whole picture fits w x h.
double scale_fit_factor(int w, int h);

/// The picture at `factor`, centred on a target of w x h.
scale_plan_ scale_plan(int target_w, int target_h, double factor);

/// Copies `picture` scaled into `plan` on `target` and paints the rest of
/// the target black. When scaling, only the rows that changed since the last
/// picture shown on the same target are written again.
void scale_blit(BITMAP* picture, BITMAP* target, const scale_plan_& plan);

/// Copies the picture the last scale_blit showed, while the target still
/// shows it, into `out` (of the picture's size); 0 when it is not kept.
int scale_shown(BITMAP* out);

/// Forgets what the target shows (it was made anew or drawn on by others):
/// the next scale_blit writes all of it.
void scale_forget();
