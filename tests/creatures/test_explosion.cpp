// Explosions: the scattered picture, their nine turns of life, their
// strikes, their flight, and the player's death by them.
#include "creatures_fixture.h"

#include <vector>

using explosion = cave_test;

namespace {

/// A 32 by 32 picture whose every pixel tells where it came from.
BITMAP* make_marked_picture() {
    BITMAP* pic = create_bitmap(32, 32);
    for (int i = 0; i < 32; i++)
        for (int j = 0; j < 32; j++)
            putpixel(pic, j, i, color_rgb(0x100000 | (i << 8) | j));
    return pic;
}

/// Where a source pixel should land, replaying the draws of one move; every
/// other place holds the mask colour.
std::vector<int> replay_scatter(const std::vector<int>& source) {
    std::vector<int> out(32 * 32, 0xff00ff);
    for (int i = 0; i < 32; i++)
        for (int j = 0; j < 32; j++) {
            int fx = explosion_scatter(j), fy = explosion_scatter(i);
            if (fx > 0 && fx < 32 && fy > 0 && fy < 32 && rand() % 3 != 0)
                out[fy * 32 + fx] = source[i * 32 + j];
        }
    return out;
}

std::vector<int> read_picture(BITMAP* pic) {
    std::vector<int> px(32 * 32);
    for (int i = 0; i < 32; i++)
        for (int j = 0; j < 32; j++)
            px[i * 32 + j] = pixel_rgb(pic, j, i);
    return px;
}

} // namespace

TEST_F(explosion, TheScatterPushesCoordinatesAwayFromTheCentre) {
    const int from[] = {15, 16, 17, 12, 20, 9, 23, 8, 24, 0, 31};
    const int to[] = {15, 17, 17, 11, 21, 3, 29, -1, 33, -49, 73};
    for (size_t k = 0; k < sizeof from / sizeof from[0]; k++)
        EXPECT_EQ(to[k], explosion_scatter(from[k])) << "f(" << from[k] << ")";
    int inside = 0;
    for (int v = 0; v < 32; v++)
        inside += explosion_scatter(v) > 0 && explosion_scatter(v) < 32;
    EXPECT_EQ(15, inside) << "only 9 to 23 land inside, 225 places in all";
}

TEST_F(explosion, OneMoveScattersAndThinsThePicture) {
    BITMAP* marked = make_marked_picture();
    objekt_* e = objekt_create_explosion("test", marked, 0, 0, 5);
    std::vector<int> source = read_picture(e->pic);
    srand(1234);
    explosion_move(e);
    int after_move = rand();
    srand(1234);
    std::vector<int> expected = replay_scatter(source);
    EXPECT_EQ(after_move, rand()) << "one move draws exactly 225 numbers";
    std::vector<int> got = read_picture(e->pic);
    EXPECT_EQ(expected, got);
    int kept = 0;
    for (int px : got) {
        if (px == 0xff00ff)
            continue;
        kept++;
        int row = (px >> 8) & 0xff, col = px & 0xff;
        EXPECT_TRUE(row >= 9 && row <= 23 && col >= 9 && col <= 23)
            << "a pixel from row " << row << ", column " << col << " survived";
    }
    EXPECT_GT(kept, 80);
    EXPECT_LT(kept, 225);
    EXPECT_EQ(2, e->age);
    EXPECT_EQ(0x100000 | (3 << 8) | 3, pixel_rgb(marked, 3, 3)) << "the source is untouched";

    // The next move starts from what this one left.
    srand(55);
    explosion_move(e);
    srand(55);
    EXPECT_EQ(replay_scatter(got), read_picture(e->pic));
    EXPECT_EQ(3, e->age);
    objekt_remove(e);
    destroy_bitmap(marked);
}

TEST_F(explosion, AnExplosionWithoutAPictureStillAgesAndDraws) {
    objekt_* e = static_cast<objekt_*>(alloc_zeroed(sizeof(objekt_)));
    std::strcpy(e->type, "explosion");
    e->age = 1;
    srand(5);
    explosion_move(e);
    int next = rand();
    srand(5);
    skip_draws(225);
    EXPECT_EQ(rand(), next);
    EXPECT_EQ(2, e->age);
    objekt_remove(e);
}

TEST_F(explosion, LivesNineTurnsAndIsThenGone) {
    objekt_* e = put_explosion(10, 10, 0, 0, 0);
    objektlist_add_objekt_to_list(objekt_create_stone(), &at(10, 10)->objekts);
    for (int turn = 1; turn <= 8; turn++) {
        monster_act(room);
        ASSERT_EQ(e, objektlist_get(at(10, 10)->objekts, 1));
        EXPECT_EQ(turn + 1, e->age);
    }
    EXPECT_STREQ("stone", objektlist_get(at(10, 10)->objekts, 0)->name)
        << "staying put moves it behind the other items";
    monster_act(room);
    EXPECT_FALSE(tile_has_explosion(at(10, 10)));
    EXPECT_EQ(1, objektlist_count_stuff(at(10, 10)->objekts));
}

TEST_F(explosion, StrikesWeakenWithAge) {
    struct {
        int power;
        std::vector<int> losses;
    } cases[] = {{30, {30, 20, 15, 12, 10, 8, 7, 6, 6}},
                 {7, {7, 4, 3, 2, 2, 2, 1, 1, 1}},
                 {1, {1, 0, 0, 0, 0, 0, 0, 0, 0}},
                 {0, {0, 0, 0, 0, 0, 0, 0, 0, 0}}};
    int x = 3;
    std::vector<character_*> targets;
    for (auto& c : cases) {
        character_* gnome = put(BREED_GNOME, x, 10);
        gnome->props->health = 1000;
        targets.push_back(gnome);
        put_explosion(x, 10, 0, 0, c.power);
        x += 4;
    }
    for (int turn = 0; turn < 9; turn++) {
        std::vector<float> before;
        for (character_* t : targets)
            before.push_back(t->props->health);
        monster_act(room);
        for (size_t k = 0; k < targets.size(); k++)
            EXPECT_FLOAT_EQ(cases[k].losses[turn], before[k] - targets[k]->props->health)
                << "power " << cases[k].power << ", turn " << turn + 1;
    }
    monster_act(room);
    for (int k = 0; k < 4; k++)
        EXPECT_FALSE(tile_has_explosion(at(3 + 4 * k, 10)));
}

TEST_F(explosion, AZapWithoutDirectionStrikesThePlayerOnItsOwnTile) {
    put_player(10, 10, 100, 10);
    objekt_* wand = objekt_create_wand();
    objekt_* e = objekt_create_explosion(wand->name, wand->pic_zap, 0, 0, 30);
    objektlist_add_objekt_to_list(e, &at(10, 10)->objekts);
    monster_act(room);
    EXPECT_FLOAT_EQ(85, player->props->health) << "armor 10 halves the 30";
    EXPECT_FLOAT_EQ(85, users_calculated_properties.health);
    EXPECT_EQ("explosion of wand hit you", line());
    monster_act(room);
    EXPECT_FLOAT_EQ(75, player->props->health);
    EXPECT_EQ(END_RUNNING, end_game);
    objekt_remove(wand);
}

TEST_F(explosion, ADeathExplosionTellsThePlayerButHarmsNoOne) {
    put_player(10, 10, 40, 0);
    put_explosion(10, 10, 0, 0, 0);
    monster_act(room);
    EXPECT_FLOAT_EQ(40, player->props->health);
    EXPECT_EQ("explosion of wand hit you", line());
    EXPECT_EQ(END_RUNNING, end_game);
}

TEST_F(explosion, FliesOneTilePerTurnUntilSomethingOtherThanFloorIsAhead) {
    objekt_* right = put_explosion(5, 5, 1, 0, 20);
    objekt_* down = put_explosion(5, 8, 0, 1, 0);
    objekt_* up_left = put_explosion(20, 15, -1, -1, 0);
    tile_create_wall(at(8, 5));
    monster_act(room);
    EXPECT_EQ(right, objektlist_get(at(6, 5)->objekts, 0));
    EXPECT_EQ(down, objektlist_get(at(5, 9)->objekts, 0));
    EXPECT_EQ(up_left, objektlist_get(at(19, 14)->objekts, 0));
    EXPECT_EQ(nullptr, at(5, 5)->objekts);
    EXPECT_EQ(nullptr, at(5, 8)->objekts);
    monster_act(room);
    monster_act(room);
    EXPECT_EQ(right, objektlist_get(at(7, 5)->objekts, 0)) << "the wall stops it";
    EXPECT_EQ(down, objektlist_get(at(5, 11)->objekts, 0));
    // It keeps striking whoever steps under it where it stays.
    character_* gnome = put(BREED_GNOME, 7, 5);
    monster_act(room);
    EXPECT_FLOAT_EQ(100 - 20 * 2 / 5, gnome->props->health);
    EXPECT_EQ(right, objektlist_get(at(7, 5)->objekts, 0));
}

TEST_F(explosion, ExplosionsOnTheBorderNeverLookOutside) {
    objekt_* corners[] = {put_explosion(0, 0, -1, -1, 10), put_explosion(27, 19, 1, 1, 10),
                          put_explosion(27, 7, 1, 0, 10), put_explosion(13, 0, 0, -1, 10),
                          put_explosion(0, 19, -1, 1, 10)};
    const int where[][2] = {{0, 0}, {27, 19}, {27, 7}, {13, 0}, {0, 19}};
    for (int turn = 1; turn <= 8; turn++) {
        monster_act(room);
        for (int k = 0; k < 5; k++)
            EXPECT_EQ(corners[k], objektlist_get(at(where[k][0], where[k][1])->objekts, 0));
    }
    monster_act(room);
    for (int k = 0; k < 5; k++)
        EXPECT_EQ(nullptr, at(where[k][0], where[k][1])->objekts);
}

TEST_F(explosion, AnExplosionKillsACreatureAndItsRemainsLieThere) {
    character_* rat = put(BREED_RAT, 10, 10);
    rat->props->health = 5;
    put_explosion(10, 10, 0, 0, 30);
    seed_where([] {
        skip_draws(2 + 225); // the rat's turning, the burst
        return rand() % 4 != 0;
    });
    monster_act(room);
    EXPECT_FALSE(tile_has_being(at(10, 10)));
    ASSERT_EQ(2, objektlist_count_stuff(at(10, 10)->objekts));
    // Each explosion staying put goes to the back of the list as it moves.
    EXPECT_STREQ("explosion of wand", objektlist_get(at(10, 10)->objekts, 0)->name);
    objekt_* remains = objektlist_get(at(10, 10)->objekts, 1);
    EXPECT_STREQ("explosion of rat", remains->name);
    EXPECT_EQ(2, remains->age) << "made on the tile being swept, it bursts at once";
}

TEST_F(explosion, AnExplosionKillingThePlayerEndsTheWorldTurnAtOnce) {
    character_* before = put(BREED_GREEN_DEVIL, 3, 3, 1, 0);
    put_player(10, 10, 20, 0);
    put_explosion(10, 10, 0, 0, 30);
    character_* after = put(BREED_GREEN_DEVIL, 12, 12, 1, 0);
    objekt_* later = put_explosion(15, 15, 1, 0, 5);
    monster_act(room);
    EXPECT_EQ(END_EXPLOSION, end_game);
    EXPECT_EQ("explosion of wand hit you", line(1));
    EXPECT_EQ("You were killed by the blow", line());
    EXPECT_FALSE(tile_has_being(at(10, 10)));
    objekt_* corpse = objektlist_get(at(10, 10)->objekts, 1);
    ASSERT_NE(nullptr, corpse);
    EXPECT_STREQ("corpse of ", corpse->name);
    EXPECT_TRUE(stands(before, 4, 3));
    EXPECT_TRUE(stands(after, 12, 12));
    EXPECT_EQ(1, later->age);
    EXPECT_EQ(later, objektlist_get(at(15, 15)->objekts, 0));
}

TEST_F(explosion, TheKillingStrikeIsJudgedAgainstTheHealthLeft) {
    // 20 takes the player from 35 to 15, and 20 >= 15 kills; the same blow
    // from 45 leaves 25 and the player lives.
    put_player(10, 10, 45, 0);
    put_explosion(10, 10, 0, 0, 20);
    monster_act(room);
    EXPECT_EQ(END_RUNNING, end_game);
    EXPECT_FLOAT_EQ(25, player->props->health);
    room_remove_all(room);
    room = make_room();
    character_remove(player);
    put_player(10, 10, 35, 0);
    put_explosion(10, 10, 0, 0, 20);
    monster_act(room);
    EXPECT_EQ(END_EXPLOSION, end_game);
}

TEST_F(explosion, SeveralExplosionsOnOneTileEachMoveOnce) {
    objekt_* a = put_explosion(10, 10, 1, 0, 0);
    objekt_* b = put_explosion(10, 10, 0, 0, 0);
    objekt_* c = put_explosion(10, 10, 0, 1, 0);
    monster_act(room);
    EXPECT_EQ(2, a->age);
    EXPECT_EQ(2, b->age);
    EXPECT_EQ(2, c->age);
    EXPECT_EQ(a, objektlist_get(at(11, 10)->objekts, 0));
    EXPECT_EQ(b, objektlist_get(at(10, 10)->objekts, 0));
    EXPECT_EQ(1, objektlist_count_stuff(at(10, 10)->objekts));
    EXPECT_EQ(c, objektlist_get(at(10, 11)->objekts, 0));
}
