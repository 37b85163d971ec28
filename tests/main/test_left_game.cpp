// Left-game tests: the game in progress kept as it goes, a run killed in play
// and the next one going on with it (or giving it up), a kept game that
// cannot be played back, and two copies of the game in one folder.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "headless.h"
#include "main/game.h"
#include "main/options.h"
#include "table_folder.h"
#include "screens/highscore.h"
#include "tape/recordings.h"

namespace {

/// The pixels of the screen.
std::string screen_bytes() {
    std::string bytes;
    for (int y = 0; y < screen->h; y++)
        bytes.append(reinterpret_cast<char*>(screen->line[y]), size_t(screen->w) * 4);
    return bytes;
}

class LeftGame : public TableFolderTest {
  protected:
    options_ options = {};
    std::string halves; // a second player's folder, for the same keys in two runs

    void SetUp() override {
        TableFolderTest::SetUp();
        options.has_seed = 1;
        options.seed = 11;
        halves = std::string(dir) + "/halves";
        ASSERT_EQ(mkdir(halves.c_str(), 0700), 0);
    }
    void TearDown() override {
        game_finish_run();
        TableFolderTest::TearDown();
    }

    /// Runs the game (the keys scripted) in the folder open, the health
    /// reference at `hp` (30 as a run begins, more after a game); its stdout.
    std::string run(float hp = 30) {
        EXPECT_TRUE(game_prepare_run(&options));
        max_hp = hp;
        testing::internal::CaptureStdout();
        game_run();
        game_finish_run();
        keys_reset();
        return testing::internal::GetCapturedStdout();
    }

    /// Runs the game in a child process that is killed (as by kill -9) at the
    /// end of the keys scripted, its screen then written to `shot`.
    void run_and_kill(const std::string& shot, float hp) {
        keys_call([shot] {
            std::ofstream(shot) << screen_bytes();
            raise(SIGKILL);
        });
        if (fork() == 0) {
            run(hp);
            _exit(1);
        }
        int status = 0;
        wait(&status);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        keys_reset();
    }
};

/// The keys of the two halves of a game, after the intro.
const std::vector<int> first_half = {KEY_RIGHT, KEY_DOWN, KEY_I,    KEY_I,
                                     KEY_SPACE, KEY_UP,   KEY_9_PAD};
const std::vector<int> second_half = {KEY_LEFT, KEY_DOWN, KEY_SPACE, KEY_3_PAD};

/// The name typed and the keys of the story (`title`: after the title's
/// key), then `keys`.
void script_game(const char* name, const std::vector<int>& keys, bool title = true) {
    if (title)
        keys_press(KEY_SPACE);
    keys_type(std::string(name) + "\r");
    for (int i = 0; i < 5; i++)
        keys_press(KEY_A);
    for (int k : keys)
        keys_press(k);
}

/// Q, yes, and the end screens to "Play again?" answered no; `at_table` runs
/// while the table is shown.
void script_quit(std::function<void()> at_table = [] {}) {
    for (int k : {KEY_Q, KEY_Y, KEY_SPACE, KEY_SPACE, KEY_N})
        keys_press(k);
    keys_call(at_table);
    keys_press(KEY_SPACE);
    keys_press(KEY_N);
}

/// The contents of a file ("" when there is none).
std::string text_of(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

/// The recording of the last game kept in the player's folder open.
std::string last_kept() {
    char name[4096];
    int fd = recordings_open_kept(OPTIONS_WATCH_LAST, name, sizeof name);
    if (fd >= 0)
        close(fd);
    return fd >= 0 ? text_of(name) : "";
}

} // namespace

/// A game played straight, and the same keys played in two runs, the first
/// killed in play: the second, answered yes, shows the screen the first
/// showed when it was killed and ends with the same end line, table and
/// recording (a line the kill cut off dropped). Nothing of the game is in
/// recordings/ while it goes on. The game was not its run's first (a health
/// reference above 30, which the run that goes on with it must take up too).
TEST_F(LeftGame, AGameKilledInPlayGoesOnWhereItWasLeft) {
    script_game("Hal", first_half);
    for (int k : second_half)
        keys_press(k);
    script_quit();
    const std::string straight = run(200);
    const std::string table = text_of(file), recording = last_kept();
    ASSERT_NE(recording.find("key 3\n"), std::string::npos);

    ASSERT_EQ(player_folder_open(halves.c_str()), 1);
    script_game("Hal", first_half);
    run_and_kill(halves + "/shot", 200);
    EXPECT_EQ(access((halves + "/" + RECORDINGS_IN_PROGRESS).c_str(), F_OK), 0);
    std::ofstream(halves + "/" + RECORDINGS_IN_PROGRESS, std::ios::app)
        << "key 1"; // cut by the kill
    EXPECT_FALSE(std::filesystem::exists(halves + "/recordings"));
    keys_press(KEY_SPACE);
    keys_press(KEY_Y);
    std::string shown;
    keys_call([&] { shown = screen_bytes(); });
    for (int k : second_half)
        keys_press(k);
    script_quit();
    EXPECT_EQ(run(), straight);
    EXPECT_TRUE(shown == text_of(halves + "/shot")) << "not the screen the game was left at";
    EXPECT_EQ(text_of(halves + "/highscore.zelko"), table);
    EXPECT_EQ(last_kept(), recording);
    EXPECT_NE(access((halves + "/" + RECORDINGS_IN_PROGRESS).c_str(), F_OK), 0);
}

/// Answered no, the game left is ended as given up with Q (end cause 4, a
/// third of the score): the same end line as the same keys and Q played
/// straight, into the table, and watched it replays to that end. A new game
/// follows at once, its name box over the title already answered.
TEST_F(LeftGame, NoGivesTheGameLeftUpAsQWouldAndANewOneBegins) {
    script_game("Kid", first_half);
    script_quit();
    const std::string given_up = run();
    ASSERT_NE(given_up.find("end cause 4"), std::string::npos);

    ASSERT_EQ(player_folder_open(halves.c_str()), 1);
    script_game("Kid", first_half);
    run_and_kill(halves + "/shot", 30);
    keys_press(KEY_SPACE);
    keys_press(KEY_N);
    script_game("New", {}, false); // no second key for the title
    script_quit();
    EXPECT_EQ(run().substr(0, given_up.size()), given_up);
    EXPECT_STREQ(username, "New");
    highscore_ table[HIGHSCORE_COUNT];
    highscore_read(table, HIGHSCORE_COUNT);
    options = {};
    while (options.watch < HIGHSCORE_COUNT && strcmp(table[options.watch++].name, "Kid") != 0) {
    }
    keys_press(KEY_A); // the key that leaves the replay's last screen
    EXPECT_EQ(run().substr(0, given_up.size()), given_up);
}

/// A game left that cannot be played back (a damaged line; a line that does
/// not fit the game, found while it plays) is said on the screen and on
/// stderr, set aside under a name of its own, whole, and a new game begins.
/// That game cannot be kept when recordings/ is a link, which its table
/// screen says too.
TEST_F(LeftGame, AGameThatCannotBePlayedBackIsSetAside) {
    const std::string left = std::string(dir) + "/" + RECORDINGS_IN_PROGRESS;
    ASSERT_EQ(symlink(".", (std::string(dir) + "/recordings").c_str()), 0);
    for (const char* text :
         {"cave recording 2\ngame 5\nkex 1\n", "cave recording 2\ngame 5\nkey 3\n"}) {
        std::ofstream(left) << text;
        keys_press(KEY_SPACE);
        keys_press(KEY_Y);
        bool told = false, unkept = false;
        keys_call(
            [&] { told = has_text(screen, "Your last game cannot go on.", 411, 340, 0xffffff); });
        keys_press(KEY_SPACE); // goes on to the name box
        script_game("Neo", {}, false);
        script_quit([&] {
            unkept = has_text_centre(screen, "Your game could not be kept: it is a link", 512, 528,
                                     0x7f0000);
        });
        testing::internal::CaptureStderr();
        run();
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(told && unkept) << text;
        EXPECT_STREQ(username, "Neo");
        const size_t at = said.find("cannot go on; it was set aside as ");
        ASSERT_NE(at, std::string::npos) << said;
        const std::string aside = said.substr(at + 34, said.find('\n', at) - at - 34);
        EXPECT_EQ(text_of(aside), text);
        EXPECT_NE(access(left.c_str(), F_OK), 0);
        unlink(aside.c_str());
    }
}

/// A second copy of the game in the same folder, while the first plays (and
/// holds its game in progress locked), asks nothing, plays a new game, keeps
/// it in recordings/, and leaves the first one's file as it was.
TEST_F(LeftGame, ASecondCopyLeavesTheFirstOnesGameAlone) {
    const std::string left = std::string(dir) + "/" + RECORDINGS_IN_PROGRESS;
    const std::string text = "cave recording 2\ngame 5\nrelease\n";
    std::ofstream(left) << text;
    int first = open(left.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(first, LOCK_EX), 0); // as the first copy holds it
    script_game("Two", first_half);
    script_quit();
    run();
    close(first);
    EXPECT_STREQ(username, "Two");
    EXPECT_EQ(text_of(left), text);
    EXPECT_NE(last_kept().find("game 11\n"), std::string::npos);
}
