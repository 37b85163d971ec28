// history: the message log shown under the room and after a game.
#include "shell/history.h"

#include <allegro.h>
#include <cstdio>
#include <cstring>

#include "shell/assets.h"

char event_history[EVENT_HISTORY_LINES][EVENT_HISTORY_WIDTH];

namespace {

/// Where a line starts: at x, or further left when it would run past the
/// bitmap's right edge, so that it ends there and can be read whole.
int history_line_x(BITMAP* bitmap, const char* line, int x) {
    const int overrun = x + text_length(font, line) - bitmap->w;
    if (overrun <= 0)
        return x;
    return x - overrun > 0 ? x - overrun : 0;
}

} // namespace

void event_history_push(const char* text) {
    for (int i = 0; i < EVENT_HISTORY_LINES - 1; i++)
        memcpy(event_history[i], event_history[i + 1], EVENT_HISTORY_WIDTH);
    snprintf(event_history[EVENT_HISTORY_LINES - 1], EVENT_HISTORY_WIDTH, "%s", text ? text : "");
}

void event_history_push2(const char* first, const char* second) {
    event_history_push3(first, second, "");
}

void event_history_push3(const char* first, const char* second, const char* third) {
    char line[EVENT_HISTORY_WIDTH];
    snprintf(line, sizeof line, "%s%s%s", first ? first : "", second ? second : "",
             third ? third : "");
    event_history_push(line);
}

void event_history_clear() {
    for (int i = 0; i < EVENT_HISTORY_LINES; i++)
        event_history_push("");
}

void event_history_draw(BITMAP* bitmap, int count, int x, int y) {
    if (count > EVENT_HISTORY_LINES)
        count = EVENT_HISTORY_LINES;
    for (int k = 0; k < count; k++) {
        const char* line = event_history[EVENT_HISTORY_LINES - count + k];
        text_draw(bitmap, line, history_line_x(bitmap, line, x), y + 12 * k, 0x7fffff);
    }
}
