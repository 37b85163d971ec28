// room_shot: paints a busy game frame headless and saves it as a BMP file,
// so the art can be judged on a real room: a deep room with its creatures and
// items, the player holding a sword, a zap in flight and a full strip.
//
// Usage: room_shot OUT.bmp [SEED]   (run from the generated data folder)
#include <allegro.h>
#include <cstdio>
#include <cstdlib>

#include "creatures/world_turn.h"
#include "main/game.h"
#include "render/room_view.h"
#include "shell/assets.h"
#include "shell/history.h"
#include "world/character.h"
#include "world/objekt.h"
#include "world/objektlist.h"
#include "world/room.h"

/// Gives the player a pack of one of every carried kind and wields the sword.
static void room_shot_pack(character_* player) {
    const objekt_kind pack[] = {OBJEKT_STONE,      OBJEKT_RING, OBJEKT_LAMP, OBJEKT_BREAD,
                                OBJEKT_RED_POTION, OBJEKT_WAND, OBJEKT_SWORD};
    for (objekt_kind kind : pack)
        objektlist_add_objekt_to_list(objekt_create_kind(kind), &player->inventory);
    for (objektlist_* node = player->inventory; node; node = node->next)
        if (objekt_is(node->objekt, "weapon"))
            player->weapon = node->objekt;
    player->weapon->in_use = 1;
    player->props->strength = 70;
}

/// Makes room 22 entered from the top, puts the player just inside its door.
static room_* room_shot_room() {
    room_* first = room_create_first();
    character_* player = room_find_user(first);
    room_* deep = room_add_new_room(&first, 22, 13, 19, 1, 'n');
    if (!deep || !player)
        return nullptr;
    for (int y = 0; y < ROOM_HEIGHT; y++)
        for (int x = 0; x < ROOM_WIDTH; x++)
            if (first->tiles[x][y].being == player)
                tile_remove_character(&first->tiles[x][y]);
    tile_put_character(&deep->tiles[13][18], player);
    cave = first;
    user = player;
    return deep;
}

int main(int argc, char** argv) {
    if (argc < 2 || !game_init_headless()) {
        fprintf(stderr, "usage: room_shot OUT.bmp [SEED] (from the data folder)\n");
        return 1;
    }
    game_init_state();
    srand(argc > 2 ? atoi(argv[2]) : 4);
    current_room = room_shot_room();
    if (!current_room)
        return 1;
    room_shot_pack(user);
    tile* beside = &current_room->tiles[13][17];
    objektlist_add_objekt_to_list(objekt_create_explosion("wand", zappic[0], 0, -1, 40),
                                  &beside->objekts);
    event_history_clear();
    event_history_push("You went into a new room");
    for (int turn = 0; turn < 2; turn++)
        monster_act(current_room);
    event_history_push("You zapped your wand");
    // The strip is laid out by the stats of the frame before: work them out.
    character_calculate_properties(user, &users_calculated_properties);
    draw_picture(1);
    int saved = save_bitmap(argv[1], screen, pal);
    game_release_world();
    return saved == 0 ? 0 : 1;
}
