// Command-line tests: the good lines and the ones refused with status 2.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "main/options.h"

namespace {

/// Parses the words as a command line after the program's name.
int parse(std::initializer_list<const char*> words, options_* out) {
    std::vector<char*> argv{const_cast<char*>("cave")};
    for (const char* w : words)
        argv.push_back(const_cast<char*>(w));
    return options_parse(static_cast<int>(argv.size()), argv.data(), out);
}

TEST(Options, GoodLinesSetTheirFields) {
    options_ o;
    ASSERT_EQ(0, parse({}, &o));
    EXPECT_EQ(0, o.windowed);
    EXPECT_EQ(0, o.screen_given); // the settings decide
    EXPECT_EQ(nullptr, o.data);
    EXPECT_EQ(150, o.replay_delay);
    EXPECT_EQ(0.0, o.scale);
    ASSERT_EQ(0, parse({"--scale", "1.25"}, &o));
    EXPECT_EQ(1.25, o.scale);
    ASSERT_EQ(0, parse({"-w", "--data", "/d", "--seed=7", "--silent", "--replay-delay", "0"}, &o));
    EXPECT_EQ(1, o.windowed);
    EXPECT_STREQ("/d", o.data);
    EXPECT_EQ(1, o.has_seed);
    EXPECT_EQ(7u, o.seed);
    EXPECT_EQ(1, o.silent);
    EXPECT_EQ(0, o.replay_delay);
    ASSERT_EQ(0, parse({"--windowed", "--fullscreen", "-h", "--"}, &o));
    EXPECT_EQ(0, o.windowed);
    EXPECT_EQ(1, o.screen_given);
    EXPECT_EQ(1, o.help);
    ASSERT_EQ(0, parse({"--win", "--sc=1.5", "--wat", "last"}, &o));
    EXPECT_EQ(1, o.windowed);
    EXPECT_EQ(1.5, o.scale);
    EXPECT_EQ(OPTIONS_WATCH_LAST, o.watch);
    ASSERT_EQ(0, parse({"--rec", "r.txt", "--scale", "8"}, &o));
    EXPECT_STREQ("r.txt", o.record);
    EXPECT_EQ(8.0, o.scale);
    EXPECT_EQ(0, o.watch);
    ASSERT_EQ(0, parse({"--watch=15"}, &o));
    EXPECT_EQ(15, o.watch);
}

TEST(Options, BadLinesAreRefusedWithStatusTwo) {
    options_ o;
    testing::internal::CaptureStderr();
    EXPECT_EQ(2, parse({"--bogus"}, &o));
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, said.find("--help"));
    EXPECT_EQ(1, std::count(said.begin(), said.end(), '\n'));
    for (auto line : std::vector<std::vector<const char*>>{{"--data"},
                                                           {"--data="},
                                                           {"--seed", "-1"},
                                                           {"--seed", "4294967296"},
                                                           {"--seed", "7x"},
                                                           {"--replay-delay", "60001"},
                                                           {"--watch", "0"},
                                                           {"--watch", "16"},
                                                           {"--watch", "-1"},
                                                           {"--watch", "lasts"},
                                                           {"--scale=8.5"},
                                                           {"--silent=1"},
                                                           {"-x"},
                                                           {"-wq"},
                                                           {"game"},
                                                           {"--", "x"},
                                                           {"--windowedx"},
                                                           {"--re", "x"},
                                                           {"--record", "a", "--replay", "b"},
                                                           {"--scale", "0.4"},
                                                           {"--scale", "8.5"},
                                                           {"--scale", "2x"},
                                                           {"--watch", "1", "--replay", "b"},
                                                           {"--record", "a", "--watch", "last"}}) {
        std::vector<char*> argv{const_cast<char*>("cave")};
        for (const char* w : line)
            argv.push_back(const_cast<char*>(w));
        testing::internal::CaptureStderr();
        EXPECT_EQ(2, options_parse(static_cast<int>(argv.size()), argv.data(), &o)) << line[0];
        EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("--help"));
    }
}

} // namespace
