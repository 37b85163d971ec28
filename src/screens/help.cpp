// help: the control sheet, called up with F1 or ? at any command wait, over
// whatever the screen shows.
#include "screens/help.h"

#include <allegro.h>

#include "shell/assets.h"
#include "shell/keyboard.h"

void help_show_sheet() {
    BITMAP* kept = create_bitmap(1024, 768);
    BITMAP* sheet = create_bitmap(1024, 768);
    if (kept && sheet && assets_shown(kept)) {
        assets_load_screen(sheet, "ControlHelp.bmp");
        assets_show(sheet);
        zelkokey_wait_quietly_fresh();
        zelkokey_wait_quietly(0); // the key that closes the sheet is no command
        assets_show(kept);
    }
    if (kept)
        destroy_bitmap(kept);
    if (sheet)
        destroy_bitmap(sheet);
}
