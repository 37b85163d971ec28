// display: the game's screen on today's desktops. Full screen is a window
// of the monitor's own size that the window manager shows full screen (the
// monitor's video mode is never changed); a window is sized to fit the
// monitor, opens in its middle and may be resized by its frame. Either way
// the 1024 x 768 picture is scaled crisply and centred on black, and F11 or
// Alt+Enter switches between the two at any wait.
#pragma once
#include "platform/scale.h"

/// Sets up the screen: full screen, or a window when `windowed`; `scale` is
/// the picture's factor (0: the largest that fits). Falls back to a window
/// and then to a 1024x768 window, saying so on stderr; 0 when none could be
/// set (allegro_error tells why).
int display_open(int windowed, double scale);

/// Makes the window's icon from `sprite` (scaled to every size the task bar
/// asks for, its mask colour transparent), given to every window from now on;
/// null: no icon.
void display_set_icon(BITMAP* sprite);

/// Full screen <-> window, and the last picture shown again at once.
void display_switch();

/// A look at the window, every few hundred ms however often it is called
/// (at every poll for a key): once it has come to the size set, the player
/// may resize it by its frame (and a window larger than its monitor is told
/// on stderr, once); a new size, once the frame holds still, becomes the
/// window's size for the rest of the run, the picture following it, scaled
/// and centred as in full screen.
void display_watch();

/// Sets what is told of a size the player gives the window by its frame,
/// once the window has it (the player's settings keep it); null: nothing.
void display_set_resized(void (*told)(int w, int h));

/// The window's size as the player chose it by its frame; 0 x 0 while none
/// was chosen (the window is sized by the factor).
void display_window_size(int* w, int* h);

/// The window's size from now on (0 x 0: sized by the factor), for the
/// next time a window is set; a size larger than the window's monitor is
/// passed over there (the window is then sized by the factor).
void display_set_window_size(int w, int h);

/// 1 while the game plays in a window.
int display_windowed();

/// Shows `picture` (1024 x 768) on the screen at the current scale.
void display_show(BITMAP* picture);

/// Copies the 1024 x 768 picture the screen shows now into `out` (while
/// held, the picture it would show); 0 when it cannot be had.
int display_shown(BITMAP* out);

/// Holds the screen: from now on nothing reaches it, and the last picture
/// given to display_show is kept instead, as the picture the screen would
/// show (a game played back to be taken up draws nothing).
void display_hold();

/// Ends the hold; with `present`, the picture kept is shown now.
void display_let_go(int present);

/// Where the picture lands on the screen now.
scale_plan_ display_plan();

/// Keeps one line of text on the screen, over every picture shown, until it
/// is changed (null or "": none): in the black margin beside or above the
/// picture where it has room (wrapped to the margin), else as one line over
/// the picture's bottom-right corner; the letters grow with the picture.
void display_set_note(const char* line);
