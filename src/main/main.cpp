// main: the program's entry: check the data, set up the screen, keyboard and
// sound, play games until the player has had enough.
#include <allegro.h>
#include <cstdio>

#include "main/game.h"
#include "main/options.h"
#include "shell/assets.h"
#include "shell/sound.h"

/// Sets a 1024 x 768 mode, full screen if possible, else in a window.
static bool main_set_graphics() {
    set_color_depth(32);
    if (set_gfx_mode(GFX_AUTODETECT_FULLSCREEN, 1024, 768, 0, 0) == 0)
        return true;
    return set_gfx_mode(GFX_AUTODETECT_WINDOWED, 1024, 768, 0, 0) == 0;
}

int main(int argc, char** argv) {
    options_ options;
    if (int status = options_parse(argc, argv, &options))
        return status;
    if (options.help || options.version) {
        options.help ? options_print_usage(stdout) : options_print_version(stdout);
        return 0;
    }
    assets_set_folder(options.data);
    if (game_check_data_files() != 0 || !game_prepare_run(&options))
        return 1;
    if (allegro_init() != 0) {
        fprintf(stderr, "cave: the graphics library could not start\n");
        return 1;
    }
    if (!main_set_graphics()) {
        fprintf(stderr, "cave: could not set a 1024x768 graphics mode (%s)\n", allegro_error);
        allegro_exit();
        return 1;
    }
    set_window_title("The Wizard's Cave");
    install_keyboard();
    get_palette(pal);
    sound_init();
    game_init_state();
    game_run();
    int status = game_finish_run();
    sound_release();
    draw_release();
    destroy_bitmap(bmp);
    allegro_exit();
    return status;
}
END_OF_MAIN()
