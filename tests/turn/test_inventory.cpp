// Tests of the inventory screen: the wrapping cursor, wielding, dropping,
// eating, the deaths each can cause, and keys read only while it is open.
#include "turn_fixture.h"

#include "render/room_view.h"
#include "shell/history.h"
#include "turn/act.h"
#include "turn/inventory.h"

namespace {

constexpr float LIGHT = 40.0f / 600.0f;

class TurnInventory : public TurnTest {
  protected:
    /// Puts an item into the player's pack (last place).
    objekt_* give(objekt_* item) {
        objektlist_add_objekt_to_list(item, &player->inventory);
        recalc();
        return item;
    }

    /// Fills the pack with the five things, all without effect.
    void give_five_things() {
        give(turn_plain(objekt_create_stone()));
        give(turn_plain(objekt_create_ring()));
        give(turn_plain(objekt_create_diamond()));
        give(turn_plain(objekt_create_lamp()));
        give(turn_plain(objekt_create_cd()));
    }

    /// Opens the screen with I, presses the keys in order, takes the turn.
    void visit(const std::vector<int>& keys) {
        keys_press(KEY_I);
        for (int k : keys)
            keys_press(k);
        user_act();
    }

    /// 1 if some carried item is still marked by the cursor.
    bool any_selected() {
        for (objektlist_* node = player->inventory; node; node = node->next)
            if (node->objekt->selected)
                return true;
        return false;
    }
};

TEST_F(TurnInventory, TheCursorWrapsOverTheItems) {
    EXPECT_EQ(inventory_move_cursor(4, 1, 0, 5), 0);  // right from the last of five
    EXPECT_EQ(inventory_move_cursor(1, 0, -1, 5), 3); // up from 1: -2 becomes 3
    EXPECT_EQ(inventory_move_cursor(0, 0, 1, 2), 1);  // down from 0 of two: 3 becomes 1
    EXPECT_EQ(inventory_move_cursor(0, -1, 0, 5), 4);
    EXPECT_EQ(inventory_move_cursor(2, 1, 1, 7), 6);
    EXPECT_EQ(inventory_move_cursor(0, 1, 0, 0), 0);
}

TEST_F(TurnInventory, RightFromTheFifthItemComesBackToTheFirst) {
    stats(60, 30, 50);
    give_five_things();
    visit({KEY_DOWN, KEY_RIGHT, KEY_RIGHT, KEY_D, KEY_I});
    EXPECT_EQ(keys_remaining(), 0);
    EXPECT_EQ(turn_names(at(px, py)->objekts), std::vector<std::string>{"stone"});
    EXPECT_EQ(turn_lines(2),
              (std::vector<std::string>{"You dropped a stone", "You fiddled with your inventory"}));
    EXPECT_FALSE(any_selected());
}

TEST_F(TurnInventory, UpFromTheSecondItemLandsOnTheFourth) {
    stats(60, 30, 50);
    give_five_things();
    visit({KEY_RIGHT, KEY_8_PAD, KEY_D, KEY_I});
    EXPECT_EQ(turn_names(at(px, py)->objekts), std::vector<std::string>{"golden lamp"});
}

TEST_F(TurnInventory, DownFromTheFirstOfTwoLandsOnTheSecond) {
    give(turn_plain(objekt_create_stone()));
    give(turn_plain(objekt_create_ring()));
    visit({KEY_DOWN, KEY_D, KEY_I});
    EXPECT_EQ(turn_names(at(px, py)->objekts), std::vector<std::string>{"ring"});
    EXPECT_FLOAT_EQ(player->props->fullness, 50.0f - LIGHT);
}

TEST_F(TurnInventory, UseWieldsAndChangesWeapons) {
    objekt_* stick = give(turn_plain(objekt_create_stick()));
    objekt_* sword = give(turn_plain(objekt_create_sword()));
    give(turn_plain(objekt_create_stone()));
    visit({KEY_U, KEY_RIGHT, KEY_U, KEY_U, KEY_RIGHT, KEY_U, KEY_I});
    EXPECT_EQ(keys_remaining(), 0);
    EXPECT_EQ(turn_lines(3), (std::vector<std::string>{"You started wielding a stick",
                                                       "You changed weapon to a sword",
                                                       "You fiddled with your inventory"}));
    EXPECT_EQ(player->weapon, sword);
    EXPECT_EQ(sword->in_use, 1);
    EXPECT_EQ(stick->in_use, 0);
}

TEST_F(TurnInventory, WieldingRedrawsThePanelWithoutOldDigits) {
    stats(40, 30, 50, 40);
    give(turn_plain(objekt_create_stick()))->props->damage = 10;
    draw_picture(step); // the frame the screen opens over: "DAMAGE DEALT: 40"
    ScreenSpy spy({{KEY_I}, {}, {KEY_U}, {}, {KEY_I}, {}}, 4);
    user_act();
    BITMAP* line = create_bitmap(256, 8);
    clear_to_color(line, 0);
    textout_ex(line, font, "DAMAGE DEALT: 50", 0, 0, makecol(255, 255, 255), -1);
    EXPECT_TRUE(has_text(spy.shot(), "DAMAGE DEALT: 50", 256, 704, 0xffffff));
    // Nothing else is left in the row: no "4" under the "5".
    EXPECT_EQ(count_rgb(spy.shot(), 256, 704, 256, 8, 0xffffff),
              count_rgb(line, 0, 0, 256, 8, 0xffffff));
    destroy_bitmap(line);
}

TEST_F(TurnInventory, WieldingTheWandExplainsTheZap) {
    give(turn_plain(objekt_create_wand()));
    ScreenSpy spy({{KEY_I}, {}, {KEY_U}, {}, {KEY_SPACE}, {}, {KEY_I}, {}}, 4);
    user_act();
    EXPECT_EQ(spy.remaining(), 0);
    EXPECT_TRUE(has_text(spy.shot(), "You are now using a wand!", 411, 340, 0xffffff));
    EXPECT_TRUE(has_text(spy.shot(), "You can zap with 'z'", 411, 384, 0xffffff));
    EXPECT_TRUE(has_text(spy.shot(), "(distance weapon)", 411, 428, 0xffffff));
    EXPECT_EQ(turn_line(1), "You started wielding a wand");
}

TEST_F(TurnInventory, DroppingTheWeaponInHandLeavesThePlayerUnarmed) {
    objekt_* stick = give(turn_plain(objekt_create_stick()));
    stick->in_use = 1;
    player->weapon = stick;
    visit({KEY_D, KEY_SPACE}); // the emptied screen closes: Space is not read
    EXPECT_EQ(keys_remaining(), 2);
    EXPECT_EQ(player->weapon, nullptr);
    EXPECT_EQ(stick->in_use, 0);
    EXPECT_EQ(stick->selected, 0);
    EXPECT_EQ(turn_names(at(px, py)->objekts), std::vector<std::string>{"stick"});
}

TEST_F(TurnInventory, DroppingWhatKeptThePlayerAliveKills) {
    stats(40, -20, 50);
    objekt_* stone = give(turn_plain(objekt_create_stone()));
    stone->props->health = 30;
    give(turn_plain(objekt_create_ring()));
    recalc();
    visit({KEY_D, KEY_I});
    EXPECT_EQ(keys_remaining(), 2);
    EXPECT_EQ(end_game, END_MAGIC);
    EXPECT_EQ(turn_lines(3),
              (std::vector<std::string>{"You dropped a stone",
                                        "Dropping that item wasn't so smart. You are now dead.",
                                        "You fiddled with your inventory"}));
    EXPECT_EQ(turn_names(at(px, py)->objekts), (std::vector<std::string>{"stone", "corpse of "}));
    EXPECT_EQ(at(px, py)->being, nullptr);
}

TEST_F(TurnInventory, AWeaponWithDeadlyMagicKillsWhenWielded) {
    objekt_* sword = give(turn_plain(objekt_create_sword()));
    sword->props->health = -100;
    visit({KEY_U, KEY_I});
    EXPECT_EQ(end_game, END_MAGIC);
    EXPECT_EQ(turn_lines(3), (std::vector<std::string>{"You started wielding a sword",
                                                       "The magic of the weapon killed you",
                                                       "You fiddled with your inventory"}));
    EXPECT_EQ(turn_names(at(px, py)->objekts), std::vector<std::string>{"corpse of "});
    EXPECT_EQ(player->weapon, sword); // the record keeps what the player died with
}

TEST_F(TurnInventory, EatingFeedsAndMovesTheCursorToTheFirstItem) {
    give(turn_plain(objekt_create_stone()));
    objekt_* bread = give(turn_plain(objekt_create_bread()));
    bread->props->fullness = 10;
    // Right to the bread, eat it, close "You were given:", drop the first item.
    visit({KEY_RIGHT, KEY_E, KEY_SPACE, KEY_D});
    EXPECT_EQ(keys_remaining(), 0);
    EXPECT_EQ(turn_lines(3), (std::vector<std::string>{"You ate a bread", "You dropped a stone",
                                                       "You fiddled with your inventory"}));
    EXPECT_EQ(player->inventory, nullptr);
    EXPECT_FLOAT_EQ(player->props->fullness, 50.0f + 10.0f - LIGHT);
}

TEST_F(TurnInventory, DeadlyFoodKillsWithCauseSeven) {
    objekt_* bread = give(turn_plain(objekt_create_bread()));
    bread->props->health = -100;
    visit({KEY_E, KEY_SPACE, KEY_I});
    EXPECT_EQ(keys_remaining(), 2);
    EXPECT_EQ(end_game, END_FOOD);
    EXPECT_EQ(turn_lines(3), (std::vector<std::string>{"You ate a bread", "It killed you",
                                                       "You fiddled with your inventory"}));
    EXPECT_EQ(turn_names(at(px, py)->objekts), std::vector<std::string>{"corpse of "});
}

TEST_F(TurnInventory, NonFoodIsRefusedAndKept) {
    give(turn_plain(objekt_create_stone()));
    ScreenSpy spy({{KEY_I}, {}, {KEY_E}, {}, {KEY_SPACE}, {}, {KEY_I}, {}}, 4);
    user_act();
    EXPECT_EQ(spy.remaining(), 0);
    // The line starts left of 411 so that it ends inside the box.
    EXPECT_TRUE(has_text(spy.shot(), "That would be too hard to chew...", 392, 384, 0xffffff));
    EXPECT_FALSE(has_rgb(spy.shot(), 664, 384, 100, 8, 0xffffff));
    EXPECT_EQ(turn_line(1), "You nibbled on a stone. It was too hard to digest");
    EXPECT_EQ(turn_names(player->inventory), std::vector<std::string>{"stone"});
}

TEST_F(TurnInventory, AWeaponThatWeakensCanEmptyThePackAndCloseTheScreen) {
    stats(25, 30, 50); // carries two
    give(turn_plain(objekt_create_stone()));
    objekt_* sword = give(turn_plain(objekt_create_sword()));
    sword->props->strength = -30;
    visit({KEY_RIGHT, KEY_U, KEY_SPACE});
    EXPECT_EQ(keys_remaining(), 2); // nothing is read once the pack is empty
    EXPECT_EQ(player->inventory, nullptr);
    EXPECT_EQ(player->weapon, nullptr);
    EXPECT_EQ(sword->in_use, 0);
    EXPECT_EQ(turn_names(at(px, py)->objekts), (std::vector<std::string>{"stone", "sword"}));
    EXPECT_EQ(turn_lines(4),
              (std::vector<std::string>{"You started wielding a sword",
                                        "You became too weak to carry all of your stuff",
                                        "You became too weak to carry all of your stuff",
                                        "You fiddled with your inventory"}));
}

TEST_F(TurnInventory, TheCursorNeverStaysOnAnItemDropped) {
    stats(10, 30, 50);
    objekt_* stone = give(turn_plain(objekt_create_stone()));
    stone->props->strength = 30;
    objekt_* ring = give(turn_plain(objekt_create_ring()));
    ring->props->strength = -5;
    give(turn_plain(objekt_create_diamond()));
    recalc(); // strength 35: room for three
    // Dropping the stone leaves strength 5: the check drops the ring under the
    // cursor, which brings strength back to 10 and keeps the shiny stone. The
    // cursor moves to the shiny stone, and the next drop takes that one.
    visit({KEY_D, KEY_RIGHT, KEY_D});
    EXPECT_EQ(keys_remaining(), 0);
    EXPECT_EQ(turn_names(at(px, py)->objekts),
              (std::vector<std::string>{"stone", "ring", "shiny stone"}));
    EXPECT_EQ(turn_lines(4),
              (std::vector<std::string>{
                  "You dropped a stone", "You became too weak to carry all of your stuff",
                  "You dropped a shiny stone", "You fiddled with your inventory"}));
}

TEST_F(TurnInventory, EscapeLeavesTheScreenOnceTheEndIsConfirmed) {
    objekt_* stone = give(turn_plain(objekt_create_stone()));
    keys_press(KEY_I);
    keys_hold_only({KEY_ESC});
    keys_release();
    keys_press(KEY_Y);
    user_act();
    EXPECT_EQ(escape_ended, 1);
    EXPECT_EQ(stone->selected, 0);
    EXPECT_EQ(turn_line(), "You fiddled with your inventory");
}

} // namespace
