// Stat records: random draws replayed from the seed, clamping, the score sum,
// and the give / take dialog as the player sees it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "headless.h"
#include "main/game.h"
#include "screens/msgbox.h"
#include "shell/assets.h"
#include "shell/keyboard.h"
#include "stats.h"
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
    for (int range : {-10, 0}) { // (0, 0) still draws six times
        srand(42);
        properties want = props_replay(range, -range * 3);
        int after = rand();

        srand(42);
        properties* got = properties_create_random(range, -range * 3);
        ASSERT_NE(got, nullptr);
        expect_same(want, *got);
        EXPECT_EQ(after, rand()) << "exactly six draws";
        properties_remove(got);
    }
    alloc_fail_at(1);
    EXPECT_EQ(properties_create_random(1, 5), nullptr);
    properties_remove(nullptr);
}

TEST_F(PropertiesTest, ClampSumAndCopy) {
    properties p = props_of(2.5f, -0.5f, -3, 0.0f, 4, -1);
    EXPECT_EQ(properties_check_properties(&p), &p);
    expect_same(props_of(2.5f, 0.0f, 0, 0.0f, 4, 0), p);
    properties_check_properties(&p);
    expect_same(props_of(2.5f, 0.0f, 0, 0.0f, 4, 0), p);
    EXPECT_EQ(properties_check_properties(nullptr), nullptr);

    EXPECT_EQ(properties_sum_int(props_of(3.9f, -2.5f, 1, 0.5f, 2, 0)), 4);
    EXPECT_EQ(properties_sum_int(props_of(0.9f, 0.9f, 0, 0.9f, 0, 0)), 0);

    properties to = props_of(9, 9, 9, 9, 9, 9);
    properties_copy(&p, &to);
    expect_same(p, to);
}

TEST_F(PropertiesTest, SilentGiveAndTakeOnlyChangeTheTarget) {
    properties target = props_of(10.0f, 20.0f, 1, 5.0f, 2, 3);
    properties change = props_of(0.5f, -4.7f, 2, 0.9f, -3, 4);
    properties_give(change, &target, 0);
    expect_same(props_of(10.0f + 0.5f, 20.0f + -4.7f, 3, 5.0f + 0.9f, -1, 7), target);
    properties_take(change, &target, 0);
    expect_same(props_of(10.0f + 0.5f - 0.5f, 20.0f + -4.7f - -4.7f, 1, 5.0f + 0.9f - 0.9f, 2, 3),
                target);
    EXPECT_EQ(keys_polls(), 0) << "mode 0 never waits for a key";
}

/// Runs a mode 1 give or take and checks the target, the box and the key wait.
void check_dialog(bool give, properties change, const char* lines[7]) {
    properties target = props_of(30, 30, 10, 30, 10, 10);
    properties want_target = target;
    properties_give(change, &want_target, 0);
    if (!give) {
        want_target = target;
        properties_take(change, &want_target, 0);
    }
    BITMAP* want = expected_box(bmp, lines);
    script_dialog_keys();

    if (give)
        properties_give(change, &target, 1);
    else
        properties_take(change, &target, 1);

    expect_same(want_target, target);
    for (int i = 0; i < 7; i++)
        EXPECT_TRUE(has_text(bmp, lines[i], LINE_X, line_y(i), WHITE)) << lines[i];
    for (int i = 1; i < 7; i++)
        EXPECT_FALSE(has_text(bmp, "fullness 0", LINE_X, line_y(i), WHITE)) << "line " << i;
    EXPECT_EQ(differing_pixels(want, bmp), 0) << "nothing but these lines in the box";
    EXPECT_TRUE(has_text(screen, lines[0], LINE_X, line_y(0), WHITE)) << "shown on screen";
    EXPECT_EQ(keys_remaining(), 1) << "waited out the held key, then took one press";
    destroy_bitmap(want);
}

TEST_F(PropertiesTest, DialogListsTheChangedFieldsInFixedOrder) {
    const char* given[7] = {
        "You were given:", "armor 5", "zap damage -3", "health -4", "strength 12", "", ""};
    check_dialog(true, props_of(12.2f, -4.7f, 5, 0.9f, 0, -3), given);

    headless_init();
    const char* taken[7] = {
        "Properties removed from you:", "damage 7", "fullness 2", "health 4", "", "", ""};
    check_dialog(false, props_of(-0.5f, 4.7f, 0, 2.0f, 7, 0), taken);

    headless_init();
    const char* nothing[7] = {"You were given:", "", "", "", "", "", ""};
    check_dialog(true, props_of(0.4f, -0.9f, 0, 0.9f, 0, 0), nothing);
}

} // namespace
