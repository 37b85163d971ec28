// Tests of the highscore file: its exact bytes, damaged and foreign files,
// and saves that fail part way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <signal.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <climits>
#include <ctime>
#include <unistd.h>
#include <vector>

#include "headless.h"
#include "main/game.h"
#include "shell/assets.h"
#include "screens/highscore.h"
#include "tape/player_folder.h"
#include "tape/recording.h"
#include "tape/recordings.h"

namespace {

using bytes = std::vector<unsigned char>;

const size_t FILE_SIZE = 2310;

/// The last part of a path.
std::string path_name(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

/// The bytes of a valid file, built by hand: record n scores `scores[n]` and
/// is named "Player<n>"; the bytes after each name are `filler`.
bytes hand_built_file(const int32_t* scores, unsigned char filler) {
    bytes file(FILE_SIZE, filler);
    for (int n = 0; n < 15; n++) {
        unsigned char* record = &file[154 * n];
        uint32_t s = uint32_t(scores[n]);
        record[0] = s & 0xFF;
        record[1] = (s >> 8) & 0xFF;
        record[2] = (s >> 16) & 0xFF;
        record[3] = (s >> 24) & 0xFF;
        std::string name = "Player" + std::to_string(n);
        memcpy(record + 4, name.c_str(), name.size() + 1);
    }
    return file;
}

const int32_t SCORES[15] = {0x12345678, 70000, 1000, 300, 256, 255, 128,      100,
                            50,         7,     1,    0,   -1,  -2,  INT32_MIN};

class HighscoreFile : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/highscore_test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        path = dir + "/highscore.zelko";
        ASSERT_EQ(player_folder_open(dir.c_str()), 1);
    }
    void TearDown() override {
        player_folder_close();
        chmod(dir.c_str(), 0700);
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    /// Names of the files in the test directory.
    std::vector<std::string> files() {
        std::vector<std::string> names;
        if (DIR* d = opendir(dir.c_str())) {
            while (dirent* entry = readdir(d))
                if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
                    names.push_back(entry->d_name);
            closedir(d);
        }
        return names;
    }

    void put(const bytes& content) {
        FILE* file = fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        size_t written = content.empty() ? 0 : fwrite(content.data(), 1, content.size(), file);
        EXPECT_EQ(written, content.size());
        ASSERT_EQ(fclose(file), 0);
    }

    bytes get() {
        bytes content;
        if (FILE* file = fopen(path.c_str(), "rb")) {
            int c;
            while ((c = fgetc(file)) != EOF)
                content.push_back(static_cast<unsigned char>(c));
            fclose(file);
        }
        return content;
    }

    /// Every name in the table ends within its field.
    void expect_terminated(const highscore_* table) {
        for (int i = 0; i < 15; i++)
            EXPECT_NE(memchr(table[i].name, 0, HIGHSCORE_NAME), nullptr) << "entry " << i;
    }

    /// Entry i holds the default table's row.
    void expect_default_entry(const highscore_* table, int i) {
        EXPECT_EQ(table[i].score, 45 - i) << "entry " << i;
        EXPECT_STREQ(table[i].name, "Noobie") << "entry " << i;
    }

    std::string dir, path;
};

TEST_F(HighscoreFile, NoFileGivesTheDefaultTable) {
    highscore_ table[15];
    memset(table, 0x55, sizeof table);
    highscore_read(table, 15);
    for (int i = 0; i < 15; i++)
        expect_default_entry(table, i);
    EXPECT_TRUE(files().empty()); // reading never creates the file
}

TEST_F(HighscoreFile, ByteExactRoundTrip) {
    bytes original = hand_built_file(SCORES, 0);
    put(original);
    highscore_ table[15];
    highscore_read(table, 15);
    for (int i = 0; i < 15; i++) {
        EXPECT_EQ(table[i].score, SCORES[i]);
        EXPECT_EQ(std::string(table[i].name), "Player" + std::to_string(i));
    }
    remove(path.c_str());
    highscore_write(table, 15);
    EXPECT_EQ(get(), original);
}

TEST_F(HighscoreFile, BytesAfterANameAreWrittenAsZeros) {
    put(hand_built_file(SCORES, 0xAB));
    highscore_ table[15];
    highscore_read(table, 15);
    // Leftovers in memory after a terminator must not reach the file either.
    memset(table[3].name + 8, 'Q', HIGHSCORE_NAME - 8);
    table[3].name[7] = '\0';
    highscore_write(table, 15);
    EXPECT_EQ(get(), hand_built_file(SCORES, 0));
}

TEST_F(HighscoreFile, EveryTruncatedLengthKeepsWholeRecords) {
    bytes full = hand_built_file(SCORES, 0x7E);
    put(full);
    for (size_t length = FILE_SIZE - 1; length + 1 > 0; length--) {
        ASSERT_EQ(truncate(path.c_str(), off_t(length)), 0);
        highscore_ table[15];
        memset(table, 0x55, sizeof table);
        highscore_read(table, 15);
        expect_terminated(table);
        size_t whole = length / 154;
        for (size_t i = 0; i < 15; i++) {
            if (i < whole) {
                ASSERT_EQ(table[i].score, SCORES[i]) << "length " << length;
                ASSERT_EQ(std::string(table[i].name), "Player" + std::to_string(i));
            } else {
                ASSERT_EQ(table[i].score, 45 - int(i)) << "length " << length;
                ASSERT_STREQ(table[i].name, "Noobie") << "length " << length;
            }
        }
    }
}

TEST_F(HighscoreFile, NameWithoutZeroIsCutTo149Characters) {
    bytes file = hand_built_file(SCORES, 0);
    memset(&file[154 * 2 + 4], 'N', 150);
    memset(&file[154 * 14 + 4], 0xFF, 150);
    put(file);
    highscore_ table[15];
    highscore_read(table, 15);
    EXPECT_EQ(std::string(table[2].name), std::string(149, 'N'));
    EXPECT_EQ(strlen(table[14].name), 149u);
    EXPECT_EQ(table[3].score, SCORES[3]);
    EXPECT_STREQ(table[3].name, "Player3");

    highscore_write(table, 15);
    bytes saved = get();
    ASSERT_EQ(saved.size(), FILE_SIZE);
    EXPECT_EQ(saved[154 * 2 + 4 + 148], 'N');
    EXPECT_EQ(saved[154 * 2 + 4 + 149], 0);
}

TEST_F(HighscoreFile, LongerFileIsReadForItsFirstFifteenRecords) {
    bytes file = hand_built_file(SCORES, 0);
    bytes tail = hand_built_file(SCORES, 0x33);
    file.insert(file.end(), tail.begin(), tail.begin() + 500);
    put(file);
    highscore_ table[15];
    highscore_read(table, 15);
    for (int i = 0; i < 15; i++)
        EXPECT_EQ(table[i].score, SCORES[i]);
    highscore_write(table, 15);
    EXPECT_EQ(get(), hand_built_file(SCORES, 0));
}

TEST_F(HighscoreFile, RandomBytesGiveFifteenTerminatedEntries) {
    srand(6);
    const size_t lengths[] = {1, 153, 154, 155, 1000, 2309, 2310, 2311, 5000};
    for (size_t length : lengths) {
        bytes noise(length);
        for (unsigned char& b : noise)
            b = static_cast<unsigned char>(rand() % 256);
        put(noise);
        highscore_ table[15];
        highscore_read(table, 15);
        expect_terminated(table);
        for (size_t i = 0; i < 15; i++) {
            if ((i + 1) * 154 > length) {
                expect_default_entry(table, int(i));
                continue;
            }
            const unsigned char* r = &noise[154 * i];
            uint32_t s = r[0] | r[1] << 8 | r[2] << 16 | uint32_t(r[3]) << 24;
            EXPECT_EQ(table[i].score, int32_t(s)) << "length " << length;
            size_t name_length = strnlen(reinterpret_cast<const char*>(r + 4), 149);
            EXPECT_EQ(strlen(table[i].name), name_length) << "length " << length;
        }
    }
}

TEST_F(HighscoreFile, TwoGamesSeeEachOthersEntries) {
    char saved_name[150];
    strcpy(saved_name, username);
    headless_init();

    highscore_ first[15];
    highscore_read(first, 15);
    strcpy(username, "Alice");
    highscore_new_score(100, first, 15);
    highscore_write(first, 15);

    highscore_ second[15];
    highscore_read(second, 15);
    EXPECT_EQ(second[0].score, 100);
    EXPECT_STREQ(second[0].name, "Alice");
    strcpy(username, "Bob");
    highscore_new_score(40, second, 15);
    highscore_write(second, 15);

    highscore_ later[15];
    highscore_read(later, 15);
    EXPECT_STREQ(later[0].name, "Alice");
    EXPECT_EQ(later[6].score, 40); // 100, 45, 44, 43, 42, 41, then Bob above the old 40
    EXPECT_STREQ(later[6].name, "Bob");
    EXPECT_EQ(later[7].score, 40);
    EXPECT_STREQ(later[7].name, "Noobie");
    EXPECT_EQ(later[14].score, 33);
    EXPECT_EQ(get().size(), FILE_SIZE);
    EXPECT_EQ(files(), std::vector<std::string>{"highscore.zelko"});
    strcpy(username, saved_name);
}

/// Saves `table` in a child process (run as the user `as`, unless 0) that may
/// write at most `limit` bytes to any file; returns the child's wait status.
/// The child ignores the limit's signal itself unless `signal_kills` (then
/// only the save may keep it alive).
int write_in_child_with_file_limit(highscore_* table, rlim_t limit, bool signal_kills = false,
                                   uid_t as = 0) {
    fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
        if (as && (setgid(as) != 0 || setuid(as) != 0))
            _exit(2);
        if (!signal_kills)
            signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of killing
        rlimit small{limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &small) != 0)
            _exit(3);
        highscore_write(table, 15);
        _exit(0);
    }
    int status = -1;
    waitpid(child, &status, 0);
    return status;
}

TEST_F(HighscoreFile, WriteCutShortByTheFileLimitKeepsTheOldTable) {
    bytes original = hand_built_file(SCORES, 0);
    put(original);
    highscore_ table[15];
    highscore_read(table, 15);
    highscore_push(INT32_MAX, "Lost", table, 15);

    int status = write_in_child_with_file_limit(table, 1000);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(get(), original);
    EXPECT_EQ(files(), std::vector<std::string>{"highscore.zelko"});

    // With the signal at its default the save still only fails.
    status = write_in_child_with_file_limit(table, 1000, true);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(get(), original);
    EXPECT_EQ(files(), std::vector<std::string>{"highscore.zelko"});

    // The same save with room enough goes through.
    status = write_in_child_with_file_limit(table, 1 << 20);
    ASSERT_TRUE(WIFEXITED(status));
    highscore_ saved[15];
    highscore_read(saved, 15);
    EXPECT_STREQ(saved[0].name, "Lost");
    EXPECT_EQ(files(), std::vector<std::string>{"highscore.zelko"});
}

TEST_F(HighscoreFile, ReadOnlyDirectoryKeepsTheOldTable) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only directories";
    bytes original = hand_built_file(SCORES, 0);
    put(original);
    highscore_ table[15];
    highscore_read(table, 15);
    highscore_push(INT32_MAX, "Lost", table, 15);
    ASSERT_EQ(chmod(dir.c_str(), 0500), 0);
    highscore_write(table, 15);
    chmod(dir.c_str(), 0700);
    EXPECT_EQ(get(), original);
    EXPECT_EQ(files(), std::vector<std::string>{"highscore.zelko"});
}

TEST_F(HighscoreFile, MissingDirectoryIsNoHarm) {
    std::string nowhere = dir + "/no/such/place";
    testing::internal::CaptureStderr();
    EXPECT_EQ(player_folder_open(nowhere.c_str()), 0);
    highscore_ table[15];
    highscore_read(table, 15);
    expect_default_entry(table, 0);
    highscore_write(table, 15);
    testing::internal::GetCapturedStderr();
    EXPECT_STREQ(highscore_save_problem(), "a link or folder leads nowhere");
    EXPECT_TRUE(files().empty());
}

TEST_F(HighscoreFile, ALinkedTableIsSavedThroughTheLink) {
    ASSERT_EQ(mkdir((dir + "/real").c_str(), 0700), 0);
    const std::string real = dir + "/real/table";
    FILE* f = fopen(real.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fclose(f);
    ASSERT_EQ(symlink("real/table", path.c_str()), 0);
    ASSERT_EQ(player_folder_open(dir.c_str()), 1); // the link is followed at start-up
    highscore_ table[15];
    highscore_read(table, 15);
    highscore_push(100, "Linked", table, 15);
    highscore_write(table, 15);
    struct stat info;
    ASSERT_EQ(lstat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode)); // still the player's link
    highscore_ saved[15];
    highscore_read(saved, 15);
    EXPECT_STREQ(saved[0].name, "Linked");
    EXPECT_EQ(get().size(), FILE_SIZE);
    EXPECT_EQ(files().size(), 2u); // the link and the folder: no temporary file
    remove(real.c_str());
    rmdir((dir + "/real").c_str());
}

TEST_F(HighscoreFile, AReadOnlyTableIsLeftAsItIs) {
    headless_init();
    bytes original = hand_built_file(SCORES, 0);
    put(original);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    highscore_ table[15];
    highscore_read(table, 15);
    highscore_push(INT32_MAX, "Lost", table, 15);
    testing::internal::CaptureStderr();
    highscore_write(table, 15);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(get(), original);
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0444u);
    // The player is told, on the screen and on stderr, that the score is lost.
    EXPECT_NE(said.find(": the score is not saved: the table is read-only"), std::string::npos);
    EXPECT_TRUE(has_text_centre(bmp, "Your score could not be saved: the table is read-only", 512,
                                512, 0x7f0000));
}

/// Another game's table renamed in while this one saves (after the check,
/// before the replace) is kept, and this save is said to have failed; so is
/// a table that appears where there was none.
std::string theirs_path, table_path;
TEST_F(HighscoreFile, ANewerTableRenamedInDuringTheSaveIsKept) {
    const int32_t theirs_scores[15] = {INT32_MAX};
    const bytes theirs = hand_built_file(theirs_scores, 0);
    theirs_path = dir + "/theirs";
    table_path = path;
    highscore_set_before_replace([] { rename(theirs_path.c_str(), table_path.c_str()); });
    for (bool existed : {true, false}) {
        if (existed)
            put(hand_built_file(SCORES, 0));
        highscore_ table[15];
        highscore_read(table, 15);
        std::ofstream(theirs_path).write(reinterpret_cast<const char*>(theirs.data()), 2310);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(highscore_save(table, 15));
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(get(), theirs) << existed;
        EXPECT_STREQ(highscore_save_problem(), "the table changed while saving");
        EXPECT_EQ(files(), std::vector<std::string>{"highscore.zelko"});
        remove(path.c_str());
    }
    highscore_set_before_replace(nullptr);
}

/// Another user swapping the table and a pipe of theirs as fast as can be
/// (renameat2 exchanges) while the game saves never has the pipe replaced.
TEST_F(HighscoreFile, APipeSwappedWithTheTableIsNeverReplaced) {
    put(hand_built_file(SCORES, 0));
    const std::string pipe = dir + "/pipe";
    struct stat made, a, b;
    ASSERT_TRUE(mkfifo(pipe.c_str(), 0600) == 0 && stat(pipe.c_str(), &made) == 0);
    pid_t swapper = fork();
    while (swapper == 0)
        renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, pipe.c_str(), RENAME_EXCHANGE);
    highscore_ table[15];
    highscore_read(table, 15);
    int lost = 0, saved = 0;
    testing::internal::CaptureStderr();
    for (int round = 0; round < 2000; round++) {
        saved += highscore_save(table, 15);
        kill(swapper, SIGSTOP); // looked at between two exchanges
        waitpid(swapper, nullptr, WUNTRACED);
        if ((lstat(pipe.c_str(), &a) != 0 || a.st_ino != made.st_ino) &&
            (lstat(path.c_str(), &b) != 0 || b.st_ino != made.st_ino)) {
            lost++; // replaced: a new pipe for the next rounds
            unlink(pipe.c_str());
            mkfifo(pipe.c_str(), 0600);
            stat(pipe.c_str(), &made);
        }
        kill(swapper, SIGCONT);
    }
    testing::internal::GetCapturedStderr();
    kill(swapper, SIGKILL);
    waitpid(swapper, nullptr, 0);
    EXPECT_EQ(lost, 0) << "of 2000 rounds";
    EXPECT_GT(saved, 0);
}

TEST_F(HighscoreFile, TheTemporaryFileNeverFollowsALinkAndDeadSavesAreCleared) {
    const std::string victim = dir + "/victim";
    FILE* f = fopen(victim.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fputs("keep me", f);
    fclose(f);
    // The name older saves used, planted as a link to another file.
    const std::string planted = path + ".tmp." + std::to_string(getpid());
    ASSERT_EQ(symlink(victim.c_str(), planted.c_str()), 0);
    // Temporary files of a save that never finished (untouched for two
    // hours), of a live one, and look-alikes the save did not make.
    const std::string stale = "highscore.zelko.tmp.4000001";
    const std::string live = "highscore.zelko.tmp." + std::to_string(getppid()) + ".Ab12Cd";
    const std::string spaced = "highscore.zelko.tmp. 4000001.keep00";
    const std::string foreign = stale + ".n0b0dy";
    const timespec two_hours_ago[2] = {{time(nullptr) - 7200, 0}, {time(nullptr) - 7200, 0}};
    for (const std::string& name : {stale, stale + ".x1y2z3", live, spaced, foreign}) {
        fclose(fopen((dir + "/" + name).c_str(), "wb"));
        if (name != live)
            utimensat(AT_FDCWD, (dir + "/" + name).c_str(), two_hours_ago, 0);
    }
    bool other_user = geteuid() == 0 && chown((dir + "/" + foreign).c_str(), 65534, 65534) == 0;
    highscore_ table[15];
    highscore_read(table, 15);
    highscore_write(table, 15);
    std::vector<std::string> left = files();
    std::sort(left.begin(), left.end());
    std::vector<std::string> expected = {"highscore.zelko", live,  path_name(planted),
                                         "victim",          stale, spaced};
    if (other_user)
        expected.push_back(foreign);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected);
    EXPECT_EQ(get().size(), FILE_SIZE);
    FILE* v = fopen(victim.c_str(), "rb");
    char text[16] = {};
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(fread(text, 1, sizeof text, v), 7u);
    fclose(v);
    EXPECT_STREQ(text, "keep me");
}

TEST_F(HighscoreFile, ASaveKeepsTheTablesOwnerAndGroup) {
    if (geteuid() != 0)
        GTEST_SKIP() << "another user's table can only be made by the superuser";
    put(hand_built_file(SCORES, 0));
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
    ASSERT_EQ(chmod(path.c_str(), 0666), 0);
    highscore_ table[15];
    highscore_read(table, 15);
    highscore_push(INT32_MAX, "Root", table, 15);
    highscore_write(table, 15); // the superuser gives the new file the old owner
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_gid, 65534u);

    // The user nobody cannot give a new file the superuser's ownership: the
    // table is written in place instead and stays the superuser's.
    ASSERT_EQ(chown(path.c_str(), 0, 0), 0);
    ASSERT_EQ(chmod(dir.c_str(), 0777), 0);
    pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        highscore_push(INT32_MAX, "Nobody", table, 15);
        highscore_write(table, 15);
        _exit(highscore_save_problem()[0] ? 3 : 0);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 0u);
    EXPECT_EQ(info.st_gid, 0u);
    highscore_ saved[15];
    highscore_read(saved, 15);
    EXPECT_STREQ(saved[0].name, "Nobody");
    EXPECT_EQ(files(), std::vector<std::string>{"highscore.zelko"});

    // Under a file-size limit below the table's length, the write in place
    // is not begun: the table is never half written.
    const bytes before = get();
    highscore_push(INT32_MAX, "Halved", table, 15);
    status = write_in_child_with_file_limit(table, 1000, true, 65534);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(get(), before);
}

TEST_F(HighscoreFile, ALinkSwappedDuringTheSaveNeverSendsTheTableElsewhere) {
    if (geteuid() != 0)
        GTEST_SKIP() << "a link of another user can only be made by the superuser";
    // The player's link to the player's table, and another user's link to a
    // file of the player's, swapped with it as fast as can be.
    ASSERT_EQ(mkdir((dir + "/mine").c_str(), 0700), 0);
    ASSERT_EQ(symlink("mine/table", path.c_str()), 0);
    const std::string bait = dir + "/bait", victim = dir + "/victim";
    ASSERT_EQ(symlink("victim", bait.c_str()), 0);
    ASSERT_EQ(lchown(bait.c_str(), 65534, 65534), 0);
    pid_t swapper = fork();
    if (swapper == 0)
        for (;;)
            renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, bait.c_str(), RENAME_EXCHANGE);
    highscore_ table[15];
    highscore_read(table, 15);
    testing::internal::CaptureStderr();
    int saved = 0;
    for (int i = 0; i < 300; i++) {
        player_folder_open(dir.c_str()); // the folder is found while the links swap
        saved += (highscore_write(table, 15), highscore_save_problem()[0] == 0);
    }
    testing::internal::GetCapturedStderr();
    kill(swapper, SIGKILL);
    waitpid(swapper, nullptr, 0);
    EXPECT_NE(access(victim.c_str(), F_OK), 0); // never made through the bait
    EXPECT_GT(saved, 0);
    struct stat info;
    ASSERT_EQ(stat((dir + "/mine/table").c_str(), &info), 0);
    EXPECT_EQ(info.st_size, off_t(FILE_SIZE));
    remove((dir + "/mine/table").c_str());
    rmdir((dir + "/mine").c_str());
}

TEST_F(HighscoreFile, ATableWithTheLongestNameSaves) {
    const std::string name(NAME_MAX, 'n');
    ASSERT_EQ(symlink(name.c_str(), path.c_str()), 0); // the table is the file of that name
    ASSERT_EQ(player_folder_open(dir.c_str()), 1);
    highscore_ table[15];
    highscore_read(table, 15);
    highscore_push(100, "Long", table, 15);
    highscore_write(table, 15);
    EXPECT_STREQ(highscore_save_problem(), "");
    highscore_read(table, 15);
    EXPECT_STREQ(table[0].name, "Long");
    std::vector<std::string> left = files();
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"highscore.zelko", name}));
}

/// The tape's part of one game that takes the top of the table: recording
/// begun, table saved, game tied to its entry and ended. True when the table
/// was saved and the game can be watched.
bool keep_best_game(int score, const char* name) {
    recordings_enable(1);
    recordings_game_begins(30);
    recording_game_seed(7);
    recordings_play_begins(); // its first turn
    highscore_ table[HIGHSCORE_COUNT];
    highscore_read(table, HIGHSCORE_COUNT);
    highscore_push(score, name, table, HIGHSCORE_COUNT);
    const bool saved = highscore_save(table, HIGHSCORE_COUNT);
    recordings_note_table(0, score, name);
    recordings_game_ends(score);
    recordings_enable(0);
    char where[4096];
    int fd = recordings_open_kept(1, where, sizeof where);
    close(fd);
    return saved && fd >= 0;
}

/// A run as the superuser in the player's folder makes the table,
/// recordings/, its game and index the folder owner's, so that the player's
/// next run still saves and keeps its game.
TEST_F(HighscoreFile, ARunAsTheSuperuserLeavesThePlayersFilesThePlayers) {
    if (geteuid() != 0)
        GTEST_SKIP() << "only the superuser can run as the player afterwards";
    const uid_t player = 4242; // no account has it
    ASSERT_EQ(chown(dir.c_str(), player, player), 0);
    ASSERT_TRUE(player_folder_open(dir.c_str()) && keep_best_game(100, "Root"));
    int made = 0; // the table, recordings/, its game and its index
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        struct stat info;
        ASSERT_EQ(lstat(entry.path().c_str(), &info), 0);
        EXPECT_TRUE(info.st_uid == player && info.st_gid == player) << entry.path();
        made++;
    }
    EXPECT_EQ(made, 4);
    pid_t child = fork();
    if (child == 0)
        _exit(setgroups(0, nullptr) == 0 && setgid(player) == 0 && setuid(player) == 0 &&
                      player_folder_open(dir.c_str()) && keep_best_game(200, "Player")
                  ? 0
                  : 1);
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_EQ(status, 0) << "the player's own run could not save or keep its game";
}

/// A link another user made in a folder part of the path is not followed
/// (and the player is told), for the player's folder as for --record.
TEST_F(HighscoreFile, ALinkOfAnotherUserOnTheWayIsNotFollowed) {
    if (geteuid() != 0)
        GTEST_SKIP() << "a link of another user can only be made by the superuser";
    const std::string elsewhere = dir + "/elsewhere", link = dir + "/in";
    std::filesystem::create_directory(elsewhere);
    std::ofstream(elsewhere + "/r.rec") << "keep me\n";
    ASSERT_TRUE(symlink("elsewhere", link.c_str()) == 0 && lchown(link.c_str(), 65534, 0) == 0);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(player_folder_open(link.c_str()) || keep_best_game(100, "Lost"));
    EXPECT_FALSE(recording_start((link + "/r.rec").c_str()));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_STREQ(highscore_save_problem(), "a link was made by another user");
    EXPECT_NE(said.find("no score nor game can be kept (a link was made by another user)"),
              std::string::npos);
    EXPECT_NE(said.find("r.rec: cannot be written: Operation not permitted"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(elsewhere), {}), 1);
    EXPECT_EQ(std::filesystem::file_size(elsewhere + "/r.rec"), 8u); // whole
    ASSERT_EQ(lchown(link.c_str(), 0, 0), 0); // the superuser's link is followed
    EXPECT_TRUE(player_folder_open(link.c_str()) && keep_best_game(100, "Kept"));
}

} // namespace
