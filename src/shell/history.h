// history: the message log, the newest 20 lines of what happened.
#pragma once

struct BITMAP;

enum { EVENT_HISTORY_LINES = 20, EVENT_HISTORY_WIDTH = 150 };

/// Line 0 is the oldest, line 19 the newest; unfilled lines are empty.
extern char event_history[EVENT_HISTORY_LINES][EVENT_HISTORY_WIDTH];

/// Appends a line, dropping the oldest; a longer text is cut to 149 characters.
void event_history_push(const char* text);

/// Appends the line made of `first` followed by `second` (cut to fit).
void event_history_push2(const char* first, const char* second);

/// Appends the line made of three pieces (cut to fit).
void event_history_push3(const char* first, const char* second, const char* third);

/// Empties the log (20 empty lines).
void event_history_clear();

/// Draws the newest `count` lines at (x, y), 12 pixels apart, oldest on top;
/// a line too long to end on the bitmap is moved left until it does.
void event_history_draw(BITMAP* bitmap, int count, int x, int y);
