// leave: the requests from outside to end the program: the window's close
// button (the window manager's WM_DELETE_WINDOW) and the signals SIGTERM,
// SIGHUP and SIGINT. Their handlers only note the request; the keyboard's
// poll point notices it, and the game decides by its screen what to do.
#pragma once

/// Installs the handlers of the three signals and of the close button; after
/// the graphics library has started, whose own handlers of SIGTERM and
/// SIGINT these replace. 0 when a signal's handler could not be set.
int leave_install();

/// 1 once the program has been asked to end.
int leave_requested();

/// Notes a request as the handlers do (1), or forgets it (0).
void leave_request(int on);
