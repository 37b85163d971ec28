// Stat records: random draws replayed from the seed, clamping, the score sum,
// and the give / take dialog as the player sees it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "headless.h"
#include "main/game.h"
#include "shell/keyboard.h"
#include "shell/msgbox.h"
#include "world/alloc.h"
#include "world/properties.h"

namespace {

constexpr int WHITE = 0xffffff;
constexpr int LINE_X = 411; // where the seven-line box writes its lines
constexpr int LINE_Y = 312;

/// The seven lines of the seven-line box, as drawn at x 411, y 312 + 16 i.
int line_y(int i) {
    return LINE_Y + 16 * i;
}

/// Replays the six draws of a random record from the current generator state.
properties replay_record(int low, int high) {
    properties p{};
    p.strength = static_cast<float>(low + rand() % (high - low + 1));
    p.health = static_cast<float>(low + rand() % (high - low + 1));
    p.armor = low + rand() % (high - low + 1);
    p.fullness = static_cast<float>(low + rand() % (high - low + 1));
    p.damage = low + rand() % (high - low + 1);
    p.zap_damage = low + rand() % (high - low + 1);
    return p;
}

properties make(float strength, float health, int armor, float fullness, int damage, int zap) {
    properties p{};
    p.strength = strength;
    p.health = health;
    p.armor = armor;
    p.fullness = fullness;
    p.damage = damage;
    p.zap_damage = zap;
    return p;
}

void expect_same(const properties& want, const properties& got) {
    EXPECT_EQ(want.strength, got.strength);
    EXPECT_EQ(want.health, got.health);
    EXPECT_EQ(want.armor, got.armor);
    EXPECT_EQ(want.fullness, got.fullness);
    EXPECT_EQ(want.damage, got.damage);
    EXPECT_EQ(want.zap_damage, got.zap_damage);
}

/// Scripts: a key held as the dialog opens, its release, then one press.
void script_dialog_keys() {
    keys_hold_only({KEY_ENTER});
    zelkokey_poll(); // the held key is down when the dialog appears
    keys_release();
    keys_press(KEY_SPACE);
}

/// Draws the box the dialog should show, on a scratch copy of `before`.
BITMAP* expected_box(BITMAP* before, const char* lines[7]) {
    BITMAP* want = create_bitmap(1024, 768);
    blit(before, want, 0, 0, 0, 0, 1024, 768);
    zelko_msgbox_info_7(want, pal, lines);
    return want;
}

/// Number of pixels that differ between two 1024 x 768 bitmaps.
int differing_pixels(BITMAP* a, BITMAP* b) {
    int n = 0;
    for (int y = 0; y < 768; y++)
        for (int x = 0; x < 1024; x++)
            if (getpixel(a, x, y) != getpixel(b, x, y))
                n++;
    return n;
}

class PropertiesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        headless_init();
        alloc_fail_at(0);
    }
    void TearDown() override { alloc_fail_at(0); }
};

TEST_F(PropertiesTest, RandomRecordReplaysSixDrawsInFieldOrder) {
    for (unsigned seed : {1u, 7u, 42u, 1234u}) {
        srand(seed);
        properties want = replay_record(-10, 30);
        int after = rand();

        srand(seed);
        properties* got = properties_create_random(-10, 30);
        ASSERT_NE(got, nullptr);
        expect_same(want, *got);
        EXPECT_EQ(after, rand()) << "exactly six draws";
        properties_remove(got);
    }
}

TEST_F(PropertiesTest, EqualBoundsStillDrawSixTimes) {
    srand(99);
    for (int i = 0; i < 6; i++)
        rand();
    int seventh = rand();

    srand(99);
    properties* zero = properties_create_random(0, 0);
    ASSERT_NE(zero, nullptr);
    expect_same(make(0, 0, 0, 0, 0, 0), *zero);
    EXPECT_EQ(seventh, rand());
    properties_remove(zero);
}

TEST_F(PropertiesTest, RandomFieldsStayInRangeAndWhole) {
    srand(5);
    for (int i = 0; i < 500; i++) {
        properties* p = properties_create_random(-10, 30);
        ASSERT_NE(p, nullptr);
        for (float f : {p->strength, p->health, p->fullness}) {
            EXPECT_GE(f, -10.0f);
            EXPECT_LE(f, 30.0f);
            EXPECT_EQ(f, static_cast<float>(static_cast<int>(f)));
        }
        for (int v : {p->armor, p->damage, p->zap_damage}) {
            EXPECT_GE(v, -10);
            EXPECT_LE(v, 30);
        }
        properties_remove(p);
    }
}

TEST_F(PropertiesTest, OutOfMemoryGivesNullAndNullIsAccepted) {
    alloc_fail_at(1);
    EXPECT_EQ(properties_create_random(1, 5), nullptr);
    properties_remove(nullptr);
    EXPECT_EQ(properties_check_properties(nullptr), nullptr);
}

TEST_F(PropertiesTest, ClampRaisesOnlyNegativeFields) {
    properties p = make(2.5f, -0.5f, -3, 0.0f, 4, -1);
    EXPECT_EQ(properties_check_properties(&p), &p);
    expect_same(make(2.5f, 0.0f, 0, 0.0f, 4, 0), p);

    properties fine = make(1.5f, 3.0f, 0, 7.25f, 0, 9);
    properties_check_properties(&fine);
    expect_same(make(1.5f, 3.0f, 0, 7.25f, 0, 9), fine);
}

TEST_F(PropertiesTest, SumTruncatesEachFloatOnItsOwn) {
    EXPECT_EQ(properties_sum_int(make(3.9f, -2.5f, 1, 0.5f, 2, 0)), 4);
    EXPECT_EQ(properties_sum_int(make(0.9f, 0.9f, 0, 0.9f, 0, 0)), 0);
    EXPECT_EQ(properties_sum_int(make(-1.9f, 10, -3, 5, 7, 11)), -1 + 10 - 3 + 5 + 7 + 11);
}

TEST_F(PropertiesTest, CopyAndSilentGiveTake) {
    properties from = make(1.5f, 2.25f, 3, 4.75f, -5, 6);
    properties to = make(9, 9, 9, 9, 9, 9);
    properties_copy(&from, &to);
    expect_same(from, to);

    properties target = make(10.0f, 20.0f, 1, 5.0f, 2, 3);
    properties change = make(0.5f, -4.7f, 2, 0.9f, -3, 4);
    properties_give(change, &target, 0);
    expect_same(make(10.0f + 0.5f, 20.0f + -4.7f, 3, 5.0f + 0.9f, -1, 7), target);
    properties_take(change, &target, 0);
    expect_same(make(10.0f + 0.5f - 0.5f, 20.0f + -4.7f - -4.7f, 1, 5.0f + 0.9f - 0.9f, 2, 3),
                target);
    EXPECT_EQ(keys_polls(), 0) << "mode 0 never waits for a key";
}

TEST_F(PropertiesTest, GiveDialogListsChangedFieldsInFixedOrder) {
    properties target{};
    properties change = make(12.2f, -4.7f, 5, 0.9f, 0, -3);
    const char* lines[7] = {
        "You were given:", "armor 5", "zap damage -3", "health -4", "strength 12", "", ""};
    BITMAP* want = expected_box(bmp, lines);
    script_dialog_keys();

    properties_give(change, &target, 1);

    expect_same(change, target);
    for (int i = 0; i < 5; i++)
        EXPECT_TRUE(has_text(bmp, lines[i], LINE_X, line_y(i), WHITE)) << lines[i];
    for (int i = 1; i < 7; i++)
        EXPECT_FALSE(has_text(bmp, "fullness", LINE_X, line_y(i), WHITE)) << "line " << i;
    EXPECT_EQ(differing_pixels(want, bmp), 0) << "nothing but these lines in the box";
    EXPECT_TRUE(has_text(screen, "You were given:", LINE_X, line_y(0), WHITE));
    EXPECT_EQ(keys_remaining(), 1) << "waited out the held key, then took one press";
    destroy_bitmap(want);
}

TEST_F(PropertiesTest, TakeDialogShowsTheChangeNotTheTotals) {
    properties target = make(30, 30, 10, 30, 10, 10);
    properties change = make(-0.5f, 4.7f, 0, 2.0f, 7, 0);
    const char* lines[7] = {
        "Properties removed from you:", "damage 7", "fullness 2", "health 4", "", "", ""};
    BITMAP* want = expected_box(bmp, lines);
    script_dialog_keys();

    properties_take(change, &target, 1);

    expect_same(make(30.5f, 30 - 4.7f, 10, 28, 3, 10), target);
    for (int i = 0; i < 4; i++)
        EXPECT_TRUE(has_text(bmp, lines[i], LINE_X, line_y(i), WHITE)) << lines[i];
    EXPECT_EQ(differing_pixels(want, bmp), 0);
    EXPECT_EQ(keys_remaining(), 1);
    destroy_bitmap(want);
}

TEST_F(PropertiesTest, AllZeroChangeStillShowsTheTitle) {
    properties target = make(1, 2, 3, 4, 5, 6);
    const char* lines[7] = {"You were given:", "", "", "", "", "", ""};
    BITMAP* want = expected_box(bmp, lines);
    script_dialog_keys();

    properties_give(make(0.4f, -0.9f, 0, 0, 0, 0), &target, 1);

    EXPECT_TRUE(has_text(bmp, "You were given:", LINE_X, line_y(0), WHITE));
    EXPECT_EQ(differing_pixels(want, bmp), 0);
    EXPECT_EQ(keys_remaining(), 1);
    destroy_bitmap(want);
}

} // namespace
