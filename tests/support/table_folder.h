// table_folder: a test fixture whose games keep their highscore table in a
// temporary folder of their own, never in the data folder.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

#include "headless.h"
#include "screens/highscore.h"

class TableFolderTest : public ::testing::Test {
  protected:
    char dir[64] = "/tmp/cave-table-XXXXXX";
    std::string file;
    const char* saved_file = nullptr;

    void SetUp() override {
        headless_init();
        ASSERT_NE(mkdtemp(dir), nullptr);
        file = std::string(dir) + "/highscore.zelko";
        saved_file = highscore_file;
        highscore_file = file.c_str();
    }
    void TearDown() override {
        highscore_file = saved_file;
        unlink(file.c_str());
        rmdir(dir);
    }
};
