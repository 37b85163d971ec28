// Tests of the player's folder: found once through every part of its path,
// and what the games keep in it (the table, recordings/, its index) whoever
// runs them.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tape/highscore_file.h"
#include "tape/player_folder.h"
#include "tape/recording.h"
#include "tape/recordings.h"

namespace fs = std::filesystem;

namespace {

/// A user and group no account has, for the player a superuser's run meets.
constexpr uid_t PLAYER = 4242;

class PlayerFolder : public ::testing::Test {
  protected:
    std::string dir;

    void SetUp() override {
        char pattern[] = "/tmp/cave-folder-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        recordings_enable(0);
        player_folder_close();
        fs::remove_all(dir);
    }
};

/// One game as the game loop keeps it: its recording begun, its score saved
/// into the table, tied to its recording, and the recording ended. True when
/// the score was saved.
bool keep_a_game(int score, const char* name) {
    recordings_enable(1);
    recordings_game_begins();
    recording_game_seed(7); // the recording's first line
    highscore_ table[HIGHSCORE_COUNT];
    highscore_read(table, HIGHSCORE_COUNT);
    int place = 0;
    while (place < HIGHSCORE_COUNT && table[place].score > score)
        place++;
    memmove(&table[place + 1], &table[place], sizeof table[0] * (HIGHSCORE_COUNT - 1 - place));
    table[place].score = score;
    highscore_set_name(&table[place], name);
    const bool saved = highscore_save(table, HIGHSCORE_COUNT);
    recordings_note_table(place, score, name);
    recordings_game_ends(score);
    recordings_enable(0);
    return saved;
}

/// True if the recording of table entry 1 can be opened to be watched.
bool best_game_kept() {
    char name[4096];
    int fd = recordings_open_kept(1, name, sizeof name);
    if (fd >= 0)
        close(fd);
    return fd >= 0;
}

/// Writes `text` to the file at `path`.
void write_text(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

} // namespace

/// A run as the superuser in the player's folder (sudo) makes the table,
/// recordings/, its games and index the folder owner's, so the player's next
/// run still saves and keeps its games.
TEST_F(PlayerFolder, ARunAsTheSuperuserLeavesThePlayersFilesThePlayers) {
    if (geteuid() != 0)
        GTEST_SKIP() << "only the superuser can run as the player afterwards";
    ASSERT_EQ(chown(dir.c_str(), PLAYER, PLAYER), 0);
    ASSERT_EQ(player_folder_open(dir.c_str()), 1);
    ASSERT_TRUE(keep_a_game(100, "Root"));
    std::vector<std::string> made = {dir + "/highscore.zelko", dir + "/recordings"};
    for (const auto& entry : fs::directory_iterator(dir + "/recordings"))
        made.push_back(entry.path());
    EXPECT_EQ(made.size(), 4u); // the table, the folder, its game and the index
    for (const std::string& path : made) {
        struct stat info;
        ASSERT_EQ(lstat(path.c_str(), &info), 0) << path;
        EXPECT_EQ(info.st_uid, PLAYER) << path;
        EXPECT_EQ(info.st_gid, PLAYER) << path;
    }
    pid_t child = fork();
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(PLAYER) != 0 || setuid(PLAYER) != 0)
            _exit(2);
        bool kept = player_folder_open(dir.c_str()) && keep_a_game(200, "Player");
        _exit(kept && best_game_kept() ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    highscore_ table[HIGHSCORE_COUNT];
    highscore_read(table, HIGHSCORE_COUNT);
    EXPECT_STREQ(table[0].name, "Player");
    EXPECT_STREQ(table[1].name, "Root");
}

/// A link made by another user in a folder part of the path is not followed
/// (the player is told), neither for the player's folder nor for --record;
/// the same link of the player's own is.
TEST_F(PlayerFolder, ALinkOfAnotherUserOnTheWayIsNotFollowed) {
    if (geteuid() != 0)
        GTEST_SKIP() << "a link of another user can only be made by the superuser";
    ASSERT_EQ(mkdir((dir + "/elsewhere").c_str(), 0700), 0);
    write_text(dir + "/elsewhere/r.rec", "keep me\n");
    const std::string shared = dir + "/shared";
    ASSERT_EQ(symlink("elsewhere", shared.c_str()), 0);
    ASSERT_EQ(lchown(shared.c_str(), 65534, 65534), 0);

    testing::internal::CaptureStderr();
    EXPECT_EQ(player_folder_open((shared + "/").c_str()), 0);
    highscore_ table[HIGHSCORE_COUNT];
    highscore_read(table, HIGHSCORE_COUNT);
    EXPECT_FALSE(highscore_save(table, HIGHSCORE_COUNT));
    EXPECT_FALSE(recording_start((shared + "/r.rec").c_str()));
    recording_name_given();
    recording_finish();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_STREQ(highscore_save_problem(), "a link was made by another user");
    EXPECT_NE(said.find(shared + "/highscore.zelko: no score nor game can be kept (a link was "
                                 "made by another user)"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find(shared + "/r.rec: cannot be written: Operation not permitted"),
              std::string::npos)
        << said;
    std::ifstream kept(dir + "/elsewhere/r.rec");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep me\n");
    EXPECT_EQ(fs::directory_iterator(dir + "/elsewhere")->path().filename(), "r.rec");

    ASSERT_EQ(lchown(shared.c_str(), 0, 0), 0); // the player's own link leads there
    ASSERT_EQ(player_folder_open(shared.c_str()), 1);
    EXPECT_TRUE(highscore_save(table, HIGHSCORE_COUNT));
    EXPECT_EQ(fs::file_size(dir + "/elsewhere/highscore.zelko"), 2310u);
}

/// The index is written like the table: a temporary file made exclusively,
/// renamed over it; temporary files of index writes that never finished are
/// swept by the table's rule (the run's own, untouched for over an hour).
TEST_F(PlayerFolder, TheIndexIsWrittenLikeTheTableAndDeadTemporariesGo) {
    ASSERT_EQ(player_folder_open(dir.c_str()), 1);
    const std::string folder = dir + "/recordings";
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    const std::string stale = folder + "/index.tmp.4000001.Ab12Cd";
    const std::string live = folder + "/index.tmp.4000002.Ef34Gh";
    write_text(stale, "entry 1 100 ");
    write_text(live, "entry 1 100 ");
    const timespec two_hours_ago[2] = {{time(nullptr) - 7200, 0}, {time(nullptr) - 7200, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, stale.c_str(), two_hours_ago, 0), 0);
    ASSERT_TRUE(keep_a_game(100, "Indexed"));
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(live)); // a write of a moment ago may still go on
    int temporaries = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        temporaries += entry.path().filename().string().rfind("index.tmp.", 0) == 0;
    EXPECT_EQ(temporaries, 1);
    EXPECT_TRUE(fs::is_regular_file(folder + "/index"));
    EXPECT_TRUE(best_game_kept());
}
