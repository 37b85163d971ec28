// Message boxes: the answers of the yes/no box, what the item box tells for
// each kind of item, the line positions of the text boxes and the name box.
#include <gtest/gtest.h>

#include <cstring>

#include "headless.h"
#include "main/game.h"
#include "screens/msgbox.h"
#include "shell/assets.h"
#include "world/objekt.h"
#include "world/properties.h"

namespace {

constexpr int WHITE = 0xffffff;

/// 1 if the w x h block of `bitmap` at (x, y) equals `pic` from (px, py).
bool block_is(BITMAP* bitmap, int x, int y, BITMAP* pic, int px, int py, int w, int h) {
    for (int j = 0; j < h; j++)
        for (int i = 0; i < w; i++)
            if (pixel_rgb(bitmap, x + i, y + j) != pixel_rgb(pic, px + i, py + j))
                return false;
    return true;
}

class YesNo : public ::testing::Test {
  protected:
    void SetUp() override { headless_init(); }
};

TEST_F(YesNo, DrawsTheQuestionAndButtonsAndYesAnswersOne) {
    keys_press(KEY_Y);
    EXPECT_EQ(zelko_msgbox_YN(bmp, "Play again?"), 1);
    EXPECT_TRUE(has_text_centre(screen, "Play again?", 512, 340, WHITE));
    EXPECT_TRUE(block_is(screen, 360, 296, msgpic[0], 0, 0, 304, 40));
    EXPECT_TRUE(block_is(screen, 416, 384, msgpic[1], 0, 0, 64, 32));
    EXPECT_TRUE(block_is(screen, 544, 384, msgpic[2], 0, 0, 64, 32));
    EXPECT_EQ(keys_remaining(), 1); // answered without waiting for Y to be let go
}

TEST_F(YesNo, AQuestionWiderThanTheBoxTakesTwoLinesInsideIt) {
    clear_to_color(bmp, 0);
    keys_press(KEY_N);
    EXPECT_EQ(zelko_msgbox_YN(bmp, "Do you want to go on with your last game?"), 0);
    EXPECT_TRUE(has_text_centre(screen, "Do you want to go on", 512, 332, WHITE));
    EXPECT_TRUE(has_text_centre(screen, "with your last game?", 512, 348, WHITE));
    // Nothing of it stands on or beyond the box's frame.
    for (int y = 296; y < 384; y++)
        for (int x = 0; x < 1024; x = x == 367 ? 656 : x + 1)
            ASSERT_NE(pixel_rgb(screen, x, y), WHITE) << x << "," << y;
}

TEST_F(YesNo, NoAndEscapeAnswerZero) {
    keys_press(KEY_N);
    EXPECT_EQ(zelko_msgbox_YN(bmp, "View last history?"), 0);
    keys_reset();
    keys_press(KEY_ESC);
    EXPECT_EQ(zelko_msgbox_YN(bmp, "View last history?"), 0);
    EXPECT_EQ(keys_remaining(), 1);
}

TEST_F(YesNo, OtherCommandKeysAreIgnored) {
    keys_hold_only({KEY_LEFT}); // held for a while
    keys_hold_only({KEY_LEFT});
    keys_hold_only({KEY_LEFT});
    keys_release();
    keys_press(KEY_8_PAD);
    keys_press(KEY_ENTER);
    keys_press(KEY_E);
    keys_press(KEY_Q);
    keys_press(KEY_Y);
    EXPECT_EQ(zelko_msgbox_YN(bmp, "Do you want to pick it up?"), 1);
}

TEST_F(YesNo, KeyHeldAtOpeningIsWaitedOut) {
    key[KEY_Y] = 1; // still held from the key that led here
    keys_hold_only({KEY_Y});
    keys_hold_only({KEY_Y});
    keys_release();
    keys_press(KEY_N);
    EXPECT_EQ(zelko_msgbox_YN(bmp, "Eat this stuff from the ground?"), 0);

    keys_reset();
    key[KEY_ESC] = 1; // a held Escape does not answer either
    keys_hold_only({KEY_ESC});
    keys_release();
    keys_press(KEY_Y);
    EXPECT_EQ(zelko_msgbox_YN(bmp, "Play again?"), 1);
}

class InfoBox : public ::testing::Test {
  protected:
    objekt_ item{};
    properties props{};

    void SetUp() override {
        headless_init();
        item.props = &props;
        props.armor = 3;
        props.damage = 12;
        props.zap_damage = 9;
        props.fullness = 4.9f;
        props.health = -2.7f;
        props.strength = 6.0f;
    }

    /// Makes the item of `type` and `name` with the picture `pic`.
    void make(const char* type, const char* name, BITMAP* pic) {
        strcpy(item.type, type);
        strcpy(item.name, name);
        item.pic = pic;
    }

    /// 1 if the box rows from `from` (box-relative) down are plain background.
    bool plain_from(int x, int y, int from) {
        return block_is(screen, x, y + from, msgpic[0], 0, from, 304, 176 - from);
    }
};

TEST_F(InfoBox, WeaponTellsWhatItGivesWhenUsed) {
    make("weapon", "sword", weaponpic[6]);
    zelko_msgbox_info_objekt(bmp, pal, &item, 360, 296);
    const int x = 392, y = 352;
    EXPECT_TRUE(has_text(screen, "sword", 440, 312, WHITE));
    EXPECT_TRUE(has_text(screen, "Properties given when used", x, y, WHITE));
    EXPECT_TRUE(has_text(screen, "Armor: 3", x, y + 16, WHITE));
    EXPECT_TRUE(has_text(screen, "Damage: 12", x, y + 32, WHITE));
    EXPECT_TRUE(has_text(screen, "Fullness: 4", x, y + 48, WHITE));
    EXPECT_TRUE(has_text(screen, "Health: -2", x, y + 64, WHITE)); // cut toward zero
    EXPECT_TRUE(has_text(screen, "Strength: 6", x, y + 80, WHITE));
    EXPECT_TRUE(plain_from(360, 296, 56 + 16 * 6));
}

TEST_F(InfoBox, WandAddsItsZapDamage) {
    make("weapon", "wand", weaponpic[8]);
    zelko_msgbox_info_objekt(bmp, pal, &item, 360, 109);
    const int x = 392, y = 165;
    EXPECT_TRUE(has_text(screen, "Damage: 12", x, y + 32, WHITE));
    EXPECT_TRUE(has_text(screen, "Zap damage: 9", x, y + 48, WHITE));
    EXPECT_TRUE(has_text(screen, "Fullness: 4", x, y + 64, WHITE));
    EXPECT_TRUE(has_text(screen, "Strength: 6", x, y + 96, WHITE));
    EXPECT_TRUE(plain_from(360, 109, 56 + 16 * 7));
}

TEST_F(InfoBox, ThingTellsWhatItGivesAndShowsItsPicture) {
    make("thing", "ring", thingpic[1]);
    zelko_msgbox_info_objekt(bmp, pal, &item, 100, 50);
    EXPECT_TRUE(has_text(screen, "ring", 180, 66, WHITE));
    EXPECT_TRUE(has_text(screen, "Properties given", 132, 106, WHITE));
    EXPECT_FALSE(has_text(screen, "Properties given when used", 132, 106, WHITE));
    EXPECT_TRUE(has_text(screen, "Fullness: 4", 132, 106 + 48, WHITE));
    // The picture is copied with its mask colour left out.
    for (int j = 0; j < 32; j++)
        for (int i = 0; i < 32; i++) {
            int want = pixel_rgb(thingpic[1], i, j);
            if (want == 0xff00ff)
                want = pixel_rgb(msgpic[0], 32 + i, 16 + j);
            ASSERT_EQ(pixel_rgb(screen, 132 + i, 66 + j), want) << i << "," << j;
        }
}

TEST_F(InfoBox, FoodHidesItsProperties) {
    make("food", "bread", foodpic[0]);
    zelko_msgbox_info_objekt(bmp, pal, &item, 360, 296);
    EXPECT_TRUE(has_text(screen, "bread", 440, 312, WHITE));
    EXPECT_TRUE(has_text(screen, "This looks tasty...", 392, 352, WHITE));
    EXPECT_TRUE(has_text(screen, "...just hope it's not moldy!", 392, 368, WHITE));
    EXPECT_TRUE(plain_from(360, 296, 56 + 16 * 2));
}

class TextBoxes : public ::testing::Test {
  protected:
    void SetUp() override { headless_init(); }
};

TEST_F(TextBoxes, ThreeLinesStand44PixelsApart) {
    zelko_msgbox_info_3(bmp, pal, "u - use", "d - drop", "e - consume (eat/drink)");
    EXPECT_TRUE(block_is(screen, 360, 296, msgpic[0], 0, 0, 304, 40));
    EXPECT_TRUE(has_text(screen, "u - use", 411, 340, WHITE));
    EXPECT_TRUE(has_text(screen, "d - drop", 411, 384, WHITE));
    EXPECT_TRUE(has_text(screen, "e - consume (eat/drink)", 411, 428, WHITE));
    // Too long to end inside the box from x 411: it starts further left.
    clear_to_color(bmp, 0);
    zelko_msgbox_info_3(bmp, pal, "", "That would be too hard to chew...", "");
    EXPECT_TRUE(has_text(screen, "That would be too hard to chew...", 360 + 296 - 264, 384, WHITE));
    EXPECT_FALSE(has_rgb(screen, 360 + 296, 296, 1024 - 656, 176, WHITE));
}

TEST_F(TextBoxes, SevenLinesStand16PixelsApart) {
    const char* lines[7] = {"You were given:", "Strength: 1", "Health: 2",    "Armor: 3",
                            "Fullness: 4",     "Damage: 5",   "Zap damage: 6"};
    zelko_msgbox_info_7(bmp, pal, lines);
    for (int i = 0; i < 7; i++)
        EXPECT_TRUE(has_text(screen, lines[i], 411, 312 + 16 * i, WHITE)) << lines[i];
}

TEST_F(TextBoxes, NameBoxReadsTheTypedName) {
    char name[150] = "old";
    keys_type("Bob\r");
    zelko_msgbox_TextIN(bmp, "What is your name?", name, sizeof name);
    EXPECT_STREQ(name, "Bob");
    EXPECT_TRUE(has_text_centre(screen, "What is your name?", 512, 326, WHITE));
    EXPECT_TRUE(has_text(screen, "Bob", 411, 384, WHITE));
}

} // namespace
