// turn_fixture: shared set-up of the player-turn tests.
#include "turn_fixture.h"

#include <cstring>
#include <deque>
#include <stdexcept>

#include "shell/history.h"
#include "shell/keyboard.h"
#include "world/alloc.h"

room_* turn_make_room(int number) {
    room_* room = static_cast<room_*>(alloc_zeroed(sizeof(room_)));
    room->number = number;
    for (int x = 0; x < ROOM_WIDTH; x++)
        for (int y = 0; y < ROOM_HEIGHT; y++) {
            bool edge = x == 0 || y == 0 || x == ROOM_WIDTH - 1 || y == ROOM_HEIGHT - 1;
            tile_create_empty(&room->tiles[x][y]);
            if (edge)
                tile_create_wall(&room->tiles[x][y]);
            else
                tile_create_floor(&room->tiles[x][y]);
        }
    return room;
}

void turn_link_room(room_* room) {
    room_** link = &cave;
    while (*link)
        link = &(*link)->next;
    *link = room;
}

objekt_* turn_plain(objekt_* item) {
    *item->props = properties{};
    return item;
}

std::string turn_line(int back) {
    return event_history[EVENT_HISTORY_LINES - 1 - back];
}

std::vector<std::string> turn_lines(int count) {
    std::vector<std::string> lines;
    for (int back = count - 1; back >= 0; back--)
        lines.push_back(turn_line(back));
    return lines;
}

std::vector<std::string> turn_names(objektlist_* list) {
    std::vector<std::string> names;
    for (; list; list = list->next)
        names.push_back(list->objekt->name);
    return names;
}

int turn_count_beings(room_* room) {
    int count = 0;
    for (int x = 0; x < ROOM_WIDTH; x++)
        for (int y = 0; y < ROOM_HEIGHT; y++)
            count += room->tiles[x][y].being ? 1 : 0;
    return count;
}

namespace {

std::deque<std::vector<int>> spy_steps;
int spy_played = 0;
int spy_shot_before = -1;
BITMAP* spy_shot = nullptr;

void spy_poll() {
    if (spy_played == spy_shot_before)
        blit(screen, spy_shot, 0, 0, 0, 0, 1024, 768);
    if (spy_steps.empty())
        throw std::runtime_error("the spy keyboard ran out of keys");
    for (int i = 0; i < KEY_MAX; i++)
        key[i] = 0;
    for (int sc : spy_steps.front())
        key[sc] = 1;
    spy_steps.pop_front();
    spy_played++;
}

} // namespace

ScreenSpy::ScreenSpy(const std::vector<std::vector<int>>& steps, int shot_before) {
    spy_steps.assign(steps.begin(), steps.end());
    spy_played = 0;
    spy_shot_before = shot_before;
    if (!spy_shot)
        spy_shot = create_bitmap(1024, 768);
    clear_to_color(spy_shot, 0);
    zelkokey_set_poll(spy_poll);
}

ScreenSpy::~ScreenSpy() {
    keys_reset();
}

BITMAP* ScreenSpy::shot() const {
    return spy_shot;
}

int ScreenSpy::remaining() const {
    return static_cast<int>(spy_steps.size());
}

void TurnTest::SetUp() {
    headless_init();
    event_history_clear();
    alloc_fail_at(0);
    end_game = 0;
    escape_ended = 0;
    step = 0;
    room_number = 0;
    max_hp = 30.0f;
    cave = nullptr;
    current_room = turn_make_room(1);
    turn_link_room(current_room);
    player = user = character_create_user();
    tile_put_character(at(px, py), player);
    stats(40, 30, 50);
}

void TurnTest::TearDown() {
    alloc_fail_at(0);
    for (room_* room = cave; room; room = room->next)
        for (int x = 0; x < ROOM_WIDTH; x++)
            for (int y = 0; y < ROOM_HEIGHT; y++)
                if (room->tiles[x][y].being == player)
                    tile_remove_character(&room->tiles[x][y]);
    room_remove_all(cave);
    character_remove(player);
    cave = current_room = nullptr;
    user = nullptr;
    keys_reset();
}

void TurnTest::stats(float strength, float health, float fullness, int damage, int armor, int zap) {
    *player->props = properties{strength, health, armor, fullness, damage, zap};
    recalc();
}

void TurnTest::recalc() {
    character_calculate_properties(player, &users_calculated_properties);
}

void TurnTest::place(int x, int y) {
    tile_remove_character(at(px, py));
    px = x;
    py = y;
    tile_put_character(at(px, py), player);
}
