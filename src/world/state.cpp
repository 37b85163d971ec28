// state: the globals of the game in play (see state.h).
#include "world/state.h"

room_* cave;
room_* current_room;
character_* user;
int step;
int end_game;
int escape_ended;
int room_number;
char username[150];
float max_hp;
properties users_calculated_properties;
