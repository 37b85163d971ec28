// title: the wait on the title screen. Any key goes on; W lists the kept
// games (the table's entries that have a recording, and the last game), a
// number picks one to watch again with the replay keys, and the title comes
// back after it. The title also says, once, what went wrong with the
// player's settings.
#pragma once

/// How a kept game watched from the title went.
enum title_watch_outcome {
    TITLE_WATCH_ENDED,      // played to its end, and its last screen seen
    TITLE_WATCH_STOPPED,    // stopped by the viewer (Escape), or where its game was left
    TITLE_WATCH_UNREADABLE, // its recording is gone, damaged or unfinished (said on stderr)
    TITLE_WATCH_BROKEN      // its recording stopped fitting the game (said on stderr)
};

/// The wait for a fresh key press on the title screen, which the back
/// buffer holds and the screen shows; recorded as any such wait, W never.
/// `watch` plays the kept game of a table entry (1 the best; -1 the last
/// game) and returns a title_watch_outcome. In a replay, only the wait.
void title_wait(int (*watch)(int entry));
