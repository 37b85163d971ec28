// Tests of the message log: pushing, clearing, cutting and drawing.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "headless.h"
#include "main/game.h"
#include "shell/assets.h"
#include "shell/history.h"

class History : public ::testing::Test {
  protected:
    void SetUp() override {
        headless_init();
        event_history_clear();
    }
};

TEST_F(History, PushKeepsTheNewestTwenty) {
    for (int i = 1; i <= 21; i++)
        event_history_push(("line " + std::to_string(i)).c_str());
    EXPECT_STREQ(event_history[0], "line 2");
    EXPECT_STREQ(event_history[19], "line 21");
    event_history_push("line 21");
    EXPECT_STREQ(event_history[18], "line 21");
    EXPECT_STREQ(event_history[19], "line 21");
    event_history_clear();
    for (auto& line : event_history)
        EXPECT_STREQ(line, "");
}

TEST_F(History, OverlongLinesAreCutToFit) {
    std::string name(200, 'n');
    event_history_push2("You picked up a ", name.c_str());
    EXPECT_EQ(strlen(event_history[19]), 149u);
    EXPECT_EQ(strncmp(event_history[19], "You picked up a nnn", 19), 0);
    event_history_push3("You tried to pick up a ", "stone", " but you couldn't carry anymore");
    EXPECT_STREQ(event_history[19], "You tried to pick up a stone but you couldn't carry anymore");
}

TEST_F(History, DrawShowsTheNewestLinesOldestOnTop) {
    clear_to_color(bmp, 0);
    event_history_draw(bmp, 7, 512, 672);
    EXPECT_FALSE(has_rgb(bmp, 0, 600, 1024, 168, 0x7fffff)); // empty log draws nothing
    event_history_push("first");
    event_history_push("second");
    event_history_draw(bmp, 7, 512, 672);
    EXPECT_TRUE(has_text(bmp, "first", 512, 672 + 12 * 5, 0x7fffff));
    EXPECT_TRUE(has_text(bmp, "second", 512, 672 + 12 * 6, 0x7fffff));
    EXPECT_FALSE(has_rgb(bmp, 512, 672, 400, 12 * 5, 0x7fffff));
    clear_to_color(bmp, 0);
    event_history_draw(bmp, 0, 512, 672);
    EXPECT_FALSE(has_rgb(bmp, 0, 0, 1024, 768, 0x7fffff));
}

TEST_F(History, ALineTooLongForTheScreenEndsAtItsEdge) {
    const char* quit = "You passed out from terror and was disposed of by the evil wizard...";
    event_history_push(quit);
    event_history_push("short");
    clear_to_color(bmp, 0);
    event_history_draw(bmp, 7, 512, 672);
    const int x = 1024 - 8 * (int)strlen(quit); // 68 characters from x 480
    EXPECT_TRUE(has_text(bmp, quit, x, 672 + 12 * 5, 0x7fffff));
    EXPECT_TRUE(has_text(bmp, "short", 512, 672 + 12 * 6, 0x7fffff));
}
