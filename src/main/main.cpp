// main: the program's entry: read the command line, check the data, set up
// the screen, keyboard and sound, play games until the player has had enough.
#include <allegro.h>
#include <xalleg.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "main/game.h"
#include "main/options.h"
#include "platform/display.h"
#include "platform/leave.h"
#include "shell/assets.h"
#include "shell/keyboard.h"
#include "shell/sound.h"
#include "tape/player_folder.h"
#include "tape/settings.h"

/// The sprite the window's icon is made of, as the desktop icons are.
static constexpr const char* ICON_SPRITE = "user.bmp";

/// Switches between full screen and a window, and keeps the choice in the
/// player's settings.
static void main_switch_screen() {
    display_switch();
    settings_keep_screen(display_windowed());
}

/// F11 and Alt+Enter switch between full screen and a window at every wait.
static constexpr zelkokey_switch_ screen_switch_keys[] = {
    {KEY_F11, 0, 1, main_switch_screen},
    {KEY_ENTER, 1, 1, main_switch_screen},
};

/// Opens the screen as the last run left it, but for what the command line
/// asks of this run (which is not kept): a window or full screen, and with
/// --scale the factor's window instead of the size last chosen.
static bool main_open_screen(const options_& options, const settings_& chosen) {
    if (options.scale == 0)
        display_set_window_size(chosen.window_w, chosen.window_h);
    display_set_resized(settings_keep_window_size);
    return display_open(options.screen_given ? options.windowed : chosen.windowed, options.scale);
}

/// Starts the graphics library with the game's own window class, so that
/// docks can match the window to the desktop entry; says what is wrong with
/// the X display when it cannot start.
static bool main_start_library() {
    // The class is read when the library makes its window, inside allegro_init.
    xwin_set_window_name("cave", "cave");
    if (allegro_init() == 0)
        return true;
    const char* display = getenv("DISPLAY");
    if (!display || !*display)
        fprintf(stderr, "cave: no X display to open a window on: DISPLAY is not set\n");
    else
        fprintf(stderr,
                "cave: cannot open the X display DISPLAY=%s (is an X server running?)%s%s\n",
                display, *allegro_error ? ": " : "", allegro_error);
    return false;
}

int main(int argc, char** argv) {
    // A file-size limit only fails the write that meets it (the recording or
    // the table then says so), instead of ending the game.
    signal(SIGXFSZ, SIG_IGN);
    options_ options;
    if (int status = options_parse(argc, argv, &options))
        return status;
    if (options.help || options.version) {
        options.help ? options_print_usage(stdout) : options_print_version(stdout);
        return 0;
    }
    assets_set_folder(options.data);
    if (!assets_folder_exists())
        return 1;
    if (game_check_data_files() != 0)
        return 1;
    player_folder_open(options.folder); // the run goes on without one, saying why
    const settings_ chosen = settings_load();
    if (!game_prepare_run(&options) || !main_start_library())
        return 1;
    // The close button and SIGTERM, SIGHUP and SIGINT end the program at the
    // next wait, as the screen allows (see game_leave).
    if (!leave_install())
        fprintf(stderr, "cave: the signals that end the game cannot be caught\n");
    if (BITMAP* sprite = assets_load_bitmap(ICON_SPRITE)) {
        display_set_icon(sprite);
        destroy_bitmap(sprite);
    }
    if (!main_open_screen(options, chosen)) {
        fprintf(stderr, "cave: could not set a graphics mode (%s)\n", allegro_error);
        allegro_exit();
        return 1;
    }
    set_window_title("The Wizard's Cave");
    install_keyboard();
    for (const zelkokey_switch_& k : screen_switch_keys)
        zelkokey_add_switch(&k);
    get_palette(pal);
    sound_init(options.silent);
    sound_set_music_on(chosen.music);
    game_init_state();
    game_run();
    int status = game_finish_run();
    player_folder_close();
    sound_release();
    draw_release();
    destroy_bitmap(bmp);
    allegro_exit();
    return status;
}
END_OF_MAIN()
