// Items: every catalogue entry replayed from the seed, the level pickers at
// their band edges, corpses, explosions and who owns which picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "headless.h"
#include "shell/assets.h"
#include "stats.h"
#include "world/alloc.h"
#include "world/objekt.h"
#include "world/properties.h"

namespace {

void expect_props(const properties& want, const properties* got) {
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(want.strength, got->strength);
    EXPECT_EQ(want.health, got->health);
    EXPECT_EQ(want.armor, got->armor);
    EXPECT_EQ(want.fullness, got->fullness);
    EXPECT_EQ(want.damage, got->damage);
    EXPECT_EQ(want.zap_damage, got->zap_damage);
}

/// What the game promises about one kind of item.
struct expected_item {
    objekt_kind kind;
    objekt_* (*make)();
    const char* type;
    const char* name;
    BITMAP** pics;
    int slot, used; // used -1: no wielded picture
    int low, high;
};

const expected_item catalogue[] = {
    {OBJEKT_STONE, objekt_create_stone, "thing", "stone", thingpic, 0, -1, -10, 30},
    {OBJEKT_RING, objekt_create_ring, "thing", "ring", thingpic, 1, -1, -13, 40},
    {OBJEKT_DIAMOND, objekt_create_diamond, "thing", "shiny stone", thingpic, 2, -1, -8, 26},
    {OBJEKT_LAMP, objekt_create_lamp, "thing", "golden lamp", thingpic, 3, -1, -26, 80},
    {OBJEKT_CD, objekt_create_cd, "thing", "weird bendy disk", thingpic, 4, -1, -40, 120},
    {OBJEKT_BREAD, objekt_create_bread, "food", "bread", foodpic, 0, -1, 0, 0},
    {OBJEKT_BEEF_JERKY, objekt_create_beef_jerky, "food", "beef jerky", foodpic, 1, -1, 0, 0},
    {OBJEKT_POTION, objekt_create_potion, "food", "purple potion", foodpic, 2, -1, -4, 13},
    {OBJEKT_RED_POTION, objekt_create_red_potion, "food", "red potion", foodpic, 3, -1, -6, 20},
    {OBJEKT_GREEN_POTION, objekt_create_green_potion, "food", "green potion", foodpic, 4, -1, -13,
     40},
    {OBJEKT_STICK, objekt_create_stick, "weapon", "stick", weaponpic, 0, 1, 10, 13},
    {OBJEKT_LONG_STICK, objekt_create_long_stick, "weapon", "long stick", weaponpic, 2, 3, 15, 20},
    {OBJEKT_FRYING_PAN, objekt_create_frying_pan, "weapon", "frying pan", weaponpic, 4, 5, 30, 40},
    {OBJEKT_SWORD, objekt_create_sword, "weapon", "sword", weaponpic, 6, 7, 60, 80},
    {OBJEKT_WAND, objekt_create_wand, "weapon", "wand", weaponpic, 8, 9, 90, 120},
};

/// Replays a catalogue item's draws, including bread's, jerky's and the wand's extra one.
properties replay_item(const expected_item& e) {
    properties p = props_replay(e.low, e.high);
    if (e.kind == OBJEKT_BREAD)
        p.fullness = static_cast<float>(rand() % 30 - 3);
    if (e.kind == OBJEKT_BEEF_JERKY)
        p.fullness = static_cast<float>(rand() % 40 - 4);
    if (e.kind == OBJEKT_WAND)
        p.damage = rand() % (p.damage / 2 + 1);
    return p;
}

/// Name of the item made by the band a picker's draw v falls in.
std::string thing_for(int v) {
    const char* names[] = {"stone", "ring", "shiny stone", "golden lamp", "weird bendy disk"};
    return names[v >= 20 ? 4 : v / 5];
}
std::string food_for(int v) {
    const char* names[] = {"bread", "beef jerky", "purple potion", "red potion", "green potion"};
    return names[v >= 28 ? 4 : v / 7];
}
std::string weapon_for(int v) {
    const char* names[] = {"stick", "long stick", "frying pan", "sword", "wand"};
    return names[v >= 20 ? 4 : v / 5];
}

/// A seed whose corpse draw (after the six zero-record draws) gives r.
unsigned seed_for_corpse_r(int r) {
    for (unsigned seed = 1;; seed++) {
        srand(seed);
        for (int i = 0; i < 6; i++)
            rand();
        if (rand() % 10 - 5 == r)
            return seed;
    }
}

class ObjektTest : public ::testing::Test {
  protected:
    void SetUp() override {
        headless_init();
        alloc_fail_at(0);
    }
    void TearDown() override { alloc_fail_at(0); }
};

TEST_F(ObjektTest, EveryCatalogueEntryReplaysItsDraws) {
    for (const expected_item& e : catalogue) {
        for (unsigned seed : {2u, 17u, 300u}) {
            SCOPED_TRACE(e.name);
            srand(seed);
            properties want = replay_item(e);
            int after = rand();

            srand(seed);
            objekt_* item = e.make();
            ASSERT_NE(item, nullptr);
            EXPECT_STREQ(item->type, e.type);
            EXPECT_STREQ(item->name, e.name);
            EXPECT_EQ(item->pic, e.pics[e.slot]);
            EXPECT_EQ(item->pic_used, e.used >= 0 ? e.pics[e.used] : nullptr);
            EXPECT_EQ(item->pic_zap, e.kind == OBJEKT_WAND ? zappic[0] : nullptr);
            EXPECT_EQ(item->in_use, 0);
            EXPECT_EQ(item->selected, 0);
            EXPECT_EQ(item->age, 0);
            expect_props(want, item->props);
            EXPECT_EQ(after, rand()) << "no extra draws";
            objekt_remove(item);

            srand(seed);
            item = objekt_create_kind(e.kind);
            expect_props(want, item->props);
            objekt_remove(item);
        }
    }
}

TEST_F(ObjektTest, PickersFollowTheirBandsAtEveryLevel) {
    for (int level = 0; level <= 40; level++) {
        for (unsigned seed = 1; seed <= 20; seed++) {
            srand(seed);
            int v = rand() % (level + 1);
            srand(seed);
            objekt_* thing = objekt_create_random_thing(level);
            EXPECT_EQ(thing->name, thing_for(v)) << "level " << level << " v " << v;
            srand(seed);
            objekt_* food = objekt_create_random_food(level);
            EXPECT_EQ(food->name, food_for(v)) << "level " << level << " v " << v;
            srand(seed);
            objekt_* weapon = objekt_create_random_weapon(level);
            EXPECT_EQ(weapon->name, weapon_for(v)) << "level " << level << " v " << v;
            // any category: the category draw comes first, then the band draw
            srand(seed);
            int category = rand() % 3;
            int v2 = rand() % (level + 1);
            std::string want = category == 0   ? thing_for(v2)
                               : category == 1 ? food_for(v2)
                                               : weapon_for(v2);
            srand(seed);
            objekt_* any = objekt_create_random(level);
            EXPECT_EQ(any->name, want) << "level " << level << " category " << category;
            for (objekt_* item : {thing, food, weapon, any})
                objekt_remove(item);
        }
    }
}

TEST_F(ObjektTest, PickerEdgesByDepth) {
    bool wand_at_20 = false, green_at_28 = false;
    for (unsigned seed = 1; seed <= 400; seed++) {
        srand(seed);
        objekt_* items[] = {objekt_create_random_thing(1),   objekt_create_random_food(1),
                            objekt_create_random_weapon(1),  objekt_create_random_food(27),
                            objekt_create_random_weapon(20), objekt_create_random_food(28),
                            objekt_create_random_weapon(19)};
        EXPECT_STREQ(items[0]->name, "stone");
        EXPECT_STREQ(items[1]->name, "bread");
        EXPECT_STREQ(items[2]->name, "stick");
        EXPECT_STRNE(items[3]->name, "green potion");
        wand_at_20 |= strcmp(items[4]->name, "wand") == 0;
        green_at_28 |= strcmp(items[5]->name, "green potion") == 0;
        EXPECT_STRNE(items[6]->name, "wand");
        for (objekt_* item : items)
            objekt_remove(item);
    }
    EXPECT_TRUE(wand_at_20);
    EXPECT_TRUE(green_at_28);
}

TEST_F(ObjektTest, CorpseClosedForm) {
    properties dead = props_of(20, 30, 9, 11, 13, 7);
    BITMAP* dead_pic = monsterpic[1];

    srand(seed_for_corpse_r(2));
    objekt_* corpse = objekt_create_corpse(&dead, "GreenDevil", dead_pic);
    ASSERT_NE(corpse, nullptr);
    EXPECT_STREQ(corpse->type, "food");
    EXPECT_STREQ(corpse->name, "corpse of GreenDevil");
    EXPECT_EQ(corpse->pic, dead_pic) << "the dead picture is shared, not copied";
    EXPECT_EQ(corpse->pic_used, nullptr);
    EXPECT_EQ(corpse->in_use, 0);
    EXPECT_EQ(corpse->selected, 0);
    expect_props(props_of(-12, -17, 0, 20, 0, -7), corpse->props);
    objekt_remove(corpse);

    srand(seed_for_corpse_r(-5));
    corpse = objekt_create_corpse(&dead, "GreenDevil", dead_pic);
    expect_props(props_of(-5, -10, 0, 20, 0, -7), corpse->props);
    objekt_remove(corpse);

    // a negative strength still feeds: fullness is its size
    properties odd = props_of(-8, 3, 0, 0, 0, -2);
    srand(seed_for_corpse_r(4));
    corpse = objekt_create_corpse(&odd, "Gnome", dead_pic);
    expect_props(props_of(0, -5.5f, 0, 8, 0, 2), corpse->props); // 8/2 - 4 and -3/2 - 4
    objekt_remove(corpse);
    EXPECT_EQ(dead.strength, 20.0f) << "the dead creature's record is left alone";

    // an empty body: health and strength from 0 down to -5, nothing to eat
    properties nothing{};
    for (unsigned seed = 1; seed <= 50; seed++) {
        srand(seed);
        corpse = objekt_create_corpse(&nothing, "ghost", nullptr);
        EXPECT_LE(corpse->props->health, 0.0f);
        EXPECT_GE(corpse->props->health, -5.0f);
        EXPECT_EQ(corpse->props->health, corpse->props->strength);
        EXPECT_EQ(corpse->props->fullness, 0.0f);
        objekt_remove(corpse);
    }
}

TEST_F(ObjektTest, LongNamesAreCutToTheField) {
    std::string longname(400, 'x');
    objekt_* corpse = objekt_create_corpse(nullptr, longname.c_str(), nullptr);
    ASSERT_NE(corpse, nullptr);
    EXPECT_EQ(strlen(corpse->name), sizeof corpse->name - 1);
    EXPECT_EQ(std::string(corpse->name, 10), "corpse of ");
    objekt_* boom = objekt_create_explosion(longname.c_str(), thingpic[0], 0, 0, 0);
    EXPECT_EQ(strlen(boom->name), sizeof boom->name - 1);
    objekt_remove(corpse);
    objekt_remove(boom);
}

TEST_F(ObjektTest, ExplosionOwnsAPrivateCopyOfThePictureCorner) {
    BITMAP* source = create_bitmap(64, 40);
    clear_to_color(source, makecol(0, 0, 255));
    rectfill(source, 0, 0, 31, 31, makecol(255, 128, 0));
    putpixel(source, 5, 7, makecol(1, 2, 3));

    objekt_* boom = objekt_create_explosion("wand", source, 1, -1, 42);
    ASSERT_NE(boom, nullptr);
    EXPECT_STREQ(boom->type, "explosion");
    EXPECT_STREQ(boom->name, "explosion of wand");
    EXPECT_EQ(boom->props, nullptr);
    EXPECT_EQ(boom->age, 1);
    EXPECT_EQ(boom->moved, 0);
    EXPECT_EQ(boom->step_x, 1);
    EXPECT_EQ(boom->step_y, -1);
    EXPECT_EQ(boom->power, 42);
    ASSERT_NE(boom->pic, nullptr);
    EXPECT_NE(boom->pic, source);
    EXPECT_EQ(boom->pic->w, 32);
    EXPECT_EQ(boom->pic->h, 32);
    EXPECT_EQ(count_rgb(boom->pic, 0, 0, 32, 32, 0xff8000), 32 * 32 - 1);
    EXPECT_EQ(pixel_rgb(boom->pic, 5, 7), 0x010203);

    // spreading draws on the copy only
    clear_to_color(boom->pic, makecol(0, 255, 0));
    EXPECT_EQ(count_rgb(source, 0, 0, 32, 32, 0xff8000), 32 * 32 - 1);
    EXPECT_EQ(count_rgb(source, 32, 0, 32, 40, 0x0000ff), 32 * 40);

    objekt_remove(boom); // frees the copy; the source stays ours
    EXPECT_EQ(pixel_rgb(source, 5, 7), 0x010203);
    destroy_bitmap(source);
}

TEST_F(ObjektTest, OutOfMemoryMakesNothing) {
    alloc_fail_at(1);
    EXPECT_EQ(objekt_create_sword(), nullptr);
    alloc_fail_at(1);
    EXPECT_EQ(objekt_create_explosion("wand", thingpic[0], 0, 0, 1), nullptr);
    alloc_fail_at(1);
    properties dead = props_of(1, 1, 1, 1, 1, 1);
    EXPECT_EQ(objekt_create_corpse(&dead, "rat", nullptr), nullptr);

    // the item survives a failed stats record, which it then simply lacks
    alloc_fail_at(2);
    objekt_* stone = objekt_create_stone();
    ASSERT_NE(stone, nullptr);
    EXPECT_EQ(stone->props, nullptr);
    EXPECT_STREQ(stone->name, "stone");
    objekt_remove(stone);
}

TEST_F(ObjektTest, ReleaseLeavesSharedPicturesAloneAndTypeIsText) {
    objekt_remove(nullptr);
    BITMAP* stone_pic = thingpic[0];
    int before = pixel_rgb(stone_pic, 16, 16);
    for (int i = 0; i < 3; i++)
        objekt_remove(objekt_create_stone());
    objekt_remove(objekt_create_corpse(nullptr, "rat", stone_pic));
    EXPECT_EQ(thingpic[0], stone_pic);
    EXPECT_EQ(pixel_rgb(stone_pic, 16, 16), before);
    EXPECT_EQ(stone_pic->w, 32);

    objekt_* bread = objekt_create_bread();
    EXPECT_EQ(objekt_is(bread, "food"), 1);
    EXPECT_EQ(objekt_is(bread, "foo"), 0);
    EXPECT_EQ(objekt_is(nullptr, "food"), 0);
    objekt_remove(bread);
}

} // namespace
