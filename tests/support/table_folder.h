// table_folder: a test fixture whose games keep their highscore table (and
// their recordings) in a temporary folder of their own, opened as the
// player's folder, never in the data folder nor the real home folder.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "headless.h"
#include "screens/highscore.h"
#include "tape/player_folder.h"

class TableFolderTest : public ::testing::Test {
  protected:
    char dir[64] = "/tmp/cave-table-XXXXXX";
    std::string file;

    void SetUp() override {
        headless_init();
        ASSERT_NE(mkdtemp(dir), nullptr);
        file = std::string(dir) + "/highscore.zelko";
        ASSERT_EQ(player_folder_open(dir), 1);
    }
    void TearDown() override {
        player_folder_close();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
};
