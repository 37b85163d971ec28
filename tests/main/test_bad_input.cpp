// Bad input from the world outside the game: pictures missing, truncated or
// garbled, data files missing at start-up, and a highscore file that is a
// folder, cannot be read or cannot be written. None of them may stop a game.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include "headless.h"
#include "main/game.h"
#include "screens/highscore.h"
#include "shell/assets.h"
#include "shell/sound.h"
#include "tape/player_folder.h"

namespace fs = std::filesystem;

namespace {

/// Appends `n` bytes of `value`, little-endian.
void put_le(std::string& out, uint32_t value, int n) {
    for (int i = 0; i < n; i++)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

/// A BMP file of w x h pixels at `bits` a pixel stored with `compression`,
/// with a palette of `colours` entries (the first of colour 0xRRGGBB, the
/// others black) and `pixels` as its data.
std::string bmp_with(int w, int h, int bits, int compression, int colours, int rgb,
                     const std::string& pixels) {
    std::string out = "BM";
    put_le(out, 54 + 4 * colours + pixels.size(), 4);
    put_le(out, 0, 4);
    put_le(out, 54 + 4 * colours, 4);
    put_le(out, 40, 4); // header size
    put_le(out, w, 4);
    put_le(out, h, 4);
    put_le(out, 1, 2); // planes
    put_le(out, bits, 2);
    put_le(out, compression, 4);
    put_le(out, pixels.size(), 4);
    put_le(out, 2835, 4);
    put_le(out, 2835, 4);
    put_le(out, colours, 4);
    put_le(out, 0, 4);
    for (int i = 0; i < colours; i++)
        put_le(out, i == 0 ? rgb : 0, 4);
    return out + pixels;
}

/// A plain 24-bit BMP file of w x h pixels, all of colour 0xRRGGBB.
std::string bmp_file(int w, int h, int rgb) {
    int row = ((w * 24 + 31) / 32) * 4;
    std::string line;
    for (int x = 0; x < w; x++)
        put_le(line, rgb, 3);
    line.resize(row, '\0');
    std::string pixels;
    for (int y = 0; y < h; y++)
        pixels += line;
    return bmp_with(w, h, 24, 0, 0, rgb, pixels);
}

/// A run-length BMP of w x h pixels (8 bits: compression 1, 4 bits: 2) whose
/// palette entry 0 is 0xRRGGBB, with the given runs as its data.
std::string bmp_runs(int w, int h, int bits, int rgb, const std::string& runs) {
    return bmp_with(w, h, bits, bits == 8 ? 1 : 2, bits == 8 ? 256 : 16, rgb, runs);
}

/// The same file with one little-endian field of `n` bytes at `at` replaced.
std::string with_field(std::string file, int at, uint32_t value, int n) {
    std::string field;
    put_le(field, value, n);
    return file.replace(at, n, field);
}

/// Bytes from a seeded generator of our own.
std::string garbage(int n, uint32_t seed) {
    std::string out;
    for (int i = 0; i < n; i++) {
        seed = seed * 1103515245u + 12345u;
        out.push_back(static_cast<char>(seed >> 16));
    }
    return out;
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

/// Tests that work in a folder of their own and come back to the data
/// folder afterwards, with the picture tables as they were.
class BadInput : public ::testing::Test {
  protected:
    std::string data_dir;
    std::string dir;
    bool tables_replaced = false;

    void SetUp() override {
        headless_init();
        data_dir = fs::current_path().string();
        char name[] = "/tmp/cave-bad-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir = name;
    }
    void TearDown() override {
        fs::current_path(data_dir);
        if (tables_replaced) {
            draw_release();
            draw_init();
        }
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    /// Copies every data file into the folder, but not those named.
    void copy_data_except(std::initializer_list<const char*> left_out) {
        for (const auto& entry : fs::directory_iterator(data_dir)) {
            std::string name = entry.path().filename().string();
            bool skip = name[0] == '.';
            for (const char* out : left_out)
                skip = skip || name == out;
            if (!skip && entry.is_regular_file())
                fs::copy_file(entry.path(), dir + "/" + name);
        }
    }

    /// Loads the picture tables afresh from the folder.
    void reload_tables_here() {
        fs::current_path(dir);
        tables_replaced = true;
        draw_release();
        draw_init();
    }
};

} // namespace

TEST_F(BadInput, BrokenBmpFilesLoadAsMissing) {
    const std::string good = bmp_file(32, 32, 0x10a020);
    const std::string cases[][2] = {
        {"empty.bmp", ""},
        {"short_header.bmp", good.substr(0, 30)},
        {"garbage.bmp", garbage(3126, 7)},
        {"wrong_magic.bmp", "XM" + good.substr(2)},
        {"half_pixels.bmp", good.substr(0, 54 + 32 * 32 * 3 / 2)},
        {"no_pixels.bmp", good.substr(0, 54)},
        {"huge.bmp", with_field(good, 18, 100000, 4)},
        {"upside_down.bmp", with_field(good, 22, (uint32_t)-32, 4)},
        {"zero_width.bmp", with_field(good, 18, 0, 4)},
        {"odd_depth.bmp", with_field(good, 28, 7, 2)},
        {"offset_past_end.bmp", with_field(good, 10, 900000, 4)},
        {"real_but_cut.bmp", read_file(data_dir + "/TitelScreen.bmp").substr(0, 5000)},
    };
    for (const auto& c : cases)
        write_file(dir + "/" + c[0], c[1]);
    fs::create_directory(dir + "/folder.bmp");
    write_file(dir + "/good.bmp", good);
    fs::current_path(dir);

    for (const auto& c : cases)
        EXPECT_EQ(assets_load_bitmap(c[0].c_str()), nullptr) << c[0];
    EXPECT_EQ(assets_load_bitmap("folder.bmp"), nullptr);
    EXPECT_EQ(assets_load_bitmap("not_there.bmp"), nullptr);

    // The check lets a sound file through: the same picture, whole, loads.
    BITMAP* loaded = assets_load_bitmap("good.bmp");
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->w, 32);
    EXPECT_EQ(loaded->h, 32);
    EXPECT_EQ(pixel_rgb(loaded, 31, 31), 0x10a020);
    destroy_bitmap(loaded);
}

TEST_F(BadInput, BrokenFullScreenPictureLeavesABlackScreen) {
    write_file(dir + "/TitelScreen.bmp", garbage(54 + 1024 * 768 * 3, 11));
    write_file(dir + "/GameOver.bmp",
               read_file(data_dir + "/GameOver.bmp").substr(0, 54 + 1024 * 3 * 100));
    fs::current_path(dir);
    for (const char* name : {"TitelScreen.bmp", "GameOver.bmp", "ByeBye.bmp"}) {
        clear_to_color(bmp, color_rgb(0x123456));
        EXPECT_EQ(assets_load_screen(bmp, name), 0) << name;
        EXPECT_EQ(count_rgb(bmp, 0, 0, 1024, 768, 0), 1024 * 768) << name;
    }
}

TEST_F(BadInput, RunLengthFilesLoadOnlyWhenTheirRunsFit) {
    using std::string;
    // 4 x 2 pixels: a run of four on the bottom line; on the top line three
    // pixels copied as they are (padded to 16 bits) and a run of one.
    const string runs8 = string("\4\0\0\0", 4) + string("\0\3\0\0\0\0", 6) + string("\1\0\0\1", 4);
    const string runs4 = string("\4\0\0\0", 4) + string("\0\3\0\0", 4) + string("\1\0\0\1", 4);
    const string cases[][2] = {
        {"past_the_edge.bmp", bmp_runs(4, 2, 8, 0, string("\5\0\0\1", 4))},
        {"copy_past_the_edge.bmp", bmp_runs(4, 2, 8, 0, string("\0\5\0\0\0\0\0\0\0\1", 10))},
        {"moved_off_the_top.bmp", bmp_runs(4, 2, 8, 0, string("\0\2\0\3\1\0\0\1", 8))},
        {"moved_past_the_edge.bmp", bmp_runs(4, 2, 8, 0, string("\0\2\11\0\0\1", 6))},
        {"no_end_mark.bmp", bmp_runs(4, 2, 8, 0, string("\4\0", 2))},
        {"copy_cut_short.bmp", bmp_runs(4, 2, 8, 0, string("\0\4\0\0", 4))},
        {"runs_at_24_bits.bmp", with_field(bmp_runs(4, 2, 8, 0, runs8), 28, 24, 2)},
        {"unknown_packing.bmp", with_field(bmp_file(4, 2, 0), 30, 4, 4)},
        // 62 bytes: the offset points inside the headers, the runs move up two lines.
        {"offset_in_header.bmp",
         with_field(bmp_with(4, 2, 8, 1, 0, 0, string("\0\2\0\2\2\0\0\1", 8)), 10, 20, 4)},
    };
    for (const auto& c : cases)
        write_file(dir + "/" + c[0], c[1]);
    write_file(dir + "/runs8.bmp", bmp_runs(4, 2, 8, 0x00ff00, runs8));
    write_file(dir + "/runs4.bmp", bmp_runs(4, 2, 4, 0x00ff00, runs4));
    // The runs are read where the offset says, not after the palette.
    string moved = bmp_with(4, 2, 8, 1, 1, 0, string("\0\2\0\2\4\0\0\0\4\0\0\1", 12));
    write_file(dir + "/moved_runs.bmp", with_field(moved, 10, 62, 4));
    fs::current_path(dir);
    for (const auto& c : cases) {
        EXPECT_EQ(assets_load_bitmap(c[0].c_str()), nullptr) << c[0];
        EXPECT_EQ(assets_picture_is_sound(c[0].c_str()), 0) << c[0]; // named at start-up
    }
    for (const char* name : {"runs8.bmp", "runs4.bmp", "moved_runs.bmp"}) {
        BITMAP* picture = assets_load_bitmap(name);
        ASSERT_NE(picture, nullptr) << name;
        EXPECT_EQ(picture->w, 4);
        EXPECT_EQ(picture->h, 2);
        destroy_bitmap(picture);
    }

    // Runs of random bytes: whatever they say, loading never falls over, and
    // a picture that loads has the size its header gives.
    for (uint32_t seed = 1; seed <= 200; seed++) {
        write_file(dir + "/random.bmp", bmp_runs(32, 32, seed % 2 ? 8 : 4, 0, garbage(600, seed)));
        BITMAP* picture = assets_load_bitmap("random.bmp");
        if (picture) {
            EXPECT_EQ(picture->w, 32);
            destroy_bitmap(picture);
        }
    }
}

/// Bytes this process has read from files so far.
long bytes_read_so_far() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long value = -1;
    while (io >> key >> value && key != "rchar:") {
    }
    return value;
}

TEST_F(BadInput, AHugeSparsePictureIsReadOnlyAsFarAsItsRuns) {
    // 3 GB of zeros after the headers: 32 ends of lines make the picture.
    const std::string name = dir + "/floor.bmp";
    write_file(name, bmp_runs(32, 32, 8, 0x00ff00, ""));
    ASSERT_EQ(truncate(name.c_str(), 3L << 30), 0);
    long before = bytes_read_so_far();
    BITMAP* picture = assets_load_bitmap(name.c_str());
    long read = bytes_read_so_far() - before;
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(pixel_rgb(picture, 31, 0), 0x00ff00); // palette entry 0 all over
    destroy_bitmap(picture);
    EXPECT_LT(read, 1L << 20);
}

TEST_F(BadInput, BrokenSamplesStaySilentAndAreNamedOnce) {
    for (const char* name : {"lugn.wav", "quiet.wav", "end.wav"})
        EXPECT_EQ(sound_wav_is_sound(name), 1) << name;
    const std::string good = read_file(data_dir + "/lugn.wav");
    write_file(dir + "/negative_rate.wav", with_field(good, 24, (uint32_t)-22050, 4));
    write_file(dir + "/cut_short.wav", good.substr(0, good.size() - 1));
    write_file(dir + "/huge_chunk.wav", with_field(good, 40, 0xfffffff0u, 4));
    // Chunks after the data: one whose size is near 2^32 (-8 in a 32-bit
    // long), and an odd one with its pad byte, which the library loads.
    auto appended = [&](const std::string& chunk) {
        return with_field(good + chunk, 4, uint32_t(good.size() + chunk.size() - 8), 4);
    };
    write_file(dir + "/near_4g_chunk.wav", appended(std::string("LIST\xf8\xff\xff\xff", 8)));
    write_file(dir + "/padded.wav", appended(std::string("LIST\3\0\0\0abc\0", 12)));
    fs::current_path(dir);
    for (const char* name :
         {"negative_rate.wav", "cut_short.wav", "huge_chunk.wav", "near_4g_chunk.wav"})
        EXPECT_EQ(sound_wav_is_sound(name), 0) << name;
    EXPECT_EQ(sound_wav_is_sound("padded.wav"), 1);
    SAMPLE* padded = load_sample("padded.wav");
    EXPECT_NE(padded, nullptr);
    if (padded)
        destroy_sample(padded);
    testing::internal::CaptureStderr();
    EXPECT_EQ(sound_load("negative_rate.wav"), nullptr);
    EXPECT_EQ(sound_load("negative_rate.wav"), nullptr);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("negative_rate.wav"), std::string::npos);
    EXPECT_EQ(err.find("negative_rate.wav"), err.rfind("negative_rate.wav")); // once
}

TEST_F(BadInput, MissingOrBrokenTablePicturesBecomeRedSquares) {
    copy_data_except({"rat.bmp"});
    write_file(dir + "/bat.bmp", read_file(data_dir + "/bat.bmp").substr(0, 100));
    write_file(dir + "/gnome.bmp", garbage(3126, 3));
    write_file(dir + "/stone.bmp", "");
    fs::remove(dir + "/sword.bmp");
    fs::create_directory(dir + "/sword.bmp");
    write_file(dir + "/ring.bmp", with_field(read_file(data_dir + "/ring.bmp"), 18, 70000, 4));
    reload_tables_here();

    ASSERT_NE(error_pic, nullptr);
    EXPECT_EQ(pixel_rgb(error_pic, 0, 0), 0xff0000);
    EXPECT_EQ(pixel_rgb(error_pic, 31, 31), 0xff0000);
    EXPECT_EQ(neutralpic[6], error_pic);  // rat.bmp missing
    EXPECT_EQ(neutralpic[9], error_pic);  // bat.bmp cut short
    EXPECT_EQ(neutralpic[12], error_pic); // gnome.bmp garbage
    EXPECT_EQ(thingpic[0], error_pic);    // stone.bmp empty
    EXPECT_EQ(thingpic[1], error_pic);    // ring.bmp far too wide
    EXPECT_EQ(weaponpic[6], error_pic);   // sword.bmp a folder
    // Their neighbours in the tables are whole and loaded as they are.
    for (BITMAP* whole : {neutralpic[7], neutralpic[10], thingpic[2], weaponpic[7]}) {
        ASSERT_NE(whole, nullptr);
        EXPECT_NE(whole, error_pic);
    }
}

TEST_F(BadInput, MissingFilesAreNamedAtStart) {
    copy_data_except({"GameOver.bmp", "end.wav"});
    fs::current_path(dir);
    testing::internal::CaptureStderr();
    int missing = game_check_data_files();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(missing, 2);
    EXPECT_NE(err.find("  GameOver.bmp\n"), std::string::npos);
    EXPECT_NE(err.find("  end.wav\n"), std::string::npos);
    EXPECT_EQ(err.find("TitelScreen.bmp"), std::string::npos);
    EXPECT_NE(err.find(dir), std::string::npos); // where it looked

    // Table pictures have a stand-in, so none of them is asked for.
    fs::remove(dir + "/rat.bmp");
    testing::internal::CaptureStderr();
    EXPECT_EQ(game_check_data_files(), 2);
    testing::internal::GetCapturedStderr();

    // A damaged picture without a stand-in counts as missing too.
    std::string title = read_file(dir + "/TitelScreen.bmp");
    write_file(dir + "/TitelScreen.bmp", title.substr(0, title.size() / 2));
    testing::internal::CaptureStderr();
    EXPECT_EQ(game_check_data_files(), 3);
    err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("  TitelScreen.bmp\n"), std::string::npos);
}

namespace {

/// A game ended at once with Escape, whose highscore table lives in the
/// player's folder the test names; the table screen is looked at before the
/// last key.
class BadHighscoreFile : public BadInput {
  protected:
    bool saw_table = false;
    std::string problem; // why the save did not happen, as the screen said
    bool saw_problem = false, line_drawn = false, row_free = false;

    void TearDown() override {
        player_folder_close();
        BadInput::TearDown();
    }

    /// Plays the game with the player's folder `folder`, found as the game
    /// starts; returns the answer to "Play again?".
    int play_in_folder(const std::string& folder) {
        player_folder_open(folder.c_str());
        srand(3);
        keys_press(KEY_SPACE);
        keys_type("Table\r");
        for (int i = 0; i < 5; i++)
            keys_press(KEY_A);
        keys_press(KEY_ESC);
        keys_press(KEY_Y);     // "Do you want to end this game?"
        keys_press(KEY_SPACE); // "You are dead!"
        keys_press(KEY_SPACE); // the score
        keys_press(KEY_N);     // no history
        keys_call([this] {
            saw_table = has_text(screen, "Place", 293, 240, 0x7f0000) &&
                        has_text(screen, "Noobie", 469, 256 + 16 * 14, 0x7f7f7f);
            problem = highscore_save_problem();
            std::string line = "Your score could not be saved: " + problem;
            saw_problem = has_text_centre(screen, line.c_str(), 512, 512, 0x7f0000);
            line_drawn = has_rgb(screen, 0, 512, 1024, 8, 0x7f0000);
            row_free = !has_rgb(screen, 0, 528, 1024, 8, 0x7f0000);
        });
        keys_press(KEY_SPACE);
        keys_press(KEY_N); // "Play again?"
        return game_play_one();
    }

    /// The names in the folder, for checking that nothing was left behind.
    std::vector<std::string> files_in(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        return names;
    }
};

} // namespace

TEST_F(BadHighscoreFile, AFolderInItsPlaceGivesTheDefaultTable) {
    fs::create_directory(dir + "/highscore.zelko");
    EXPECT_EQ(play_in_folder(dir), 0);
    EXPECT_TRUE(saw_table);
    EXPECT_TRUE(fs::is_directory(dir + "/highscore.zelko"));
    EXPECT_EQ(files_in(dir), std::vector<std::string>{"highscore.zelko"}); // no temporary left
}

TEST_F(BadHighscoreFile, AnUnreadableFileGivesTheDefaultTable) {
    // A file that opens but fails every read, whoever runs the test.
    ASSERT_EQ(symlink("/proc/self/mem", (dir + "/highscore.zelko").c_str()), 0);
    EXPECT_EQ(play_in_folder(dir), 0);
    EXPECT_TRUE(saw_table);
    fs::remove(dir + "/highscore.zelko");
    if (geteuid() != 0) {
        // Without the right to read, for a player who is not the superuser.
        write_file(dir + "/highscore.zelko", std::string(15 * 154, 'x'));
        chmod((dir + "/highscore.zelko").c_str(), 0);
        saw_table = false;
        keys_reset();
        EXPECT_EQ(play_in_folder(dir), 0);
        EXPECT_TRUE(saw_table);
    }
}

TEST_F(BadHighscoreFile, AnotherUsersUnreadableTableIsNeverReplaced) {
    // A table of 0600 in a folder the player may write: as root the player
    // is played by the user nobody, else the player's own table is made unreadable.
    const std::string table = dir + "/highscore.zelko", entries(15 * 154, 'x');
    write_file(table, entries);
    chmod(table.c_str(), geteuid() == 0 ? 0600 : 0);
    chmod(dir.c_str(), 0777);
    int err[2];
    ASSERT_EQ(pipe(err), 0);
    pid_t child = fork();
    if (child == 0) {
        dup2(err[1], 2);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        player_folder_open(dir.c_str());
        highscore_ entry[15];
        highscore_read(entry, 15);
        highscore_push(100, "Lost", entry, 15);
        highscore_write(entry, 15);
        _exit(strcmp(entry[1].name, "Noobie") == 0 ? 0 : 3); // the default table was read
    }
    close(err[1]);
    char said[512] = {};
    ssize_t got = read(err[0], said, sizeof said - 1);
    close(err[0]);
    int status = -1;
    waitpid(child, &status, 0);
    chmod(table.c_str(), 0600);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2)
        GTEST_SKIP() << "the user nobody is not available";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(read_file(table), entries);
    EXPECT_EQ(files_in(dir), std::vector<std::string>{"highscore.zelko"});
    EXPECT_GT(got, 0);
    EXPECT_NE(std::string(said).find("cannot be read"), std::string::npos) << said;
}

TEST_F(BadHighscoreFile, APipeInItsPlaceNeitherHangsNorStays) {
    ASSERT_EQ(mkfifo((dir + "/highscore.zelko").c_str(), 0600), 0);
    EXPECT_EQ(play_in_folder(dir), 0);
    EXPECT_TRUE(saw_table);
    // The pipe is left as it was, and the screen says the score is not kept.
    EXPECT_TRUE(fs::is_fifo(dir + "/highscore.zelko"));
    EXPECT_EQ(problem, "the table is not a file");
    EXPECT_TRUE(saw_problem);
    EXPECT_EQ(files_in(dir), std::vector<std::string>{"highscore.zelko"});
}

TEST_F(BadHighscoreFile, NothingButAPlainFileIsReplacedAndEveryLostScoreIsSaid) {
    const std::string table = dir + "/highscore.zelko", node = dir + "/zero";
    struct Case {
        const char* target;
        const char* reason;
    } cases[] = {{"zero", "the table is not a file"},
                 {"gone/table", "a link or folder leads nowhere"},
                 {"highscore.zelko", "a link loops"},
                 {".", "the table is not a file"}};
    bool device = mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 5)) == 0;
    for (const Case& c : cases) {
        if (!device && strcmp(c.target, "zero") == 0)
            continue; // device nodes cannot be made here
        SCOPED_TRACE(c.target);
        ASSERT_EQ(symlink(c.target, table.c_str()), 0);
        testing::internal::CaptureStderr();
        EXPECT_EQ(play_in_folder(dir), 0);
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(problem, c.reason);
        EXPECT_TRUE(saw_problem && row_free);
        EXPECT_NE(said.find(table + ": the score is not saved: " + c.reason), std::string::npos)
            << said;
        EXPECT_TRUE(fs::is_symlink(table));
        fs::remove(table);
        keys_reset();
    }
    if (device) {
        struct stat info;
        ASSERT_EQ(lstat(node.c_str(), &info), 0);
        EXPECT_TRUE(S_ISCHR(info.st_mode) && info.st_rdev == makedev(1, 5));
        fs::remove(node);
    }
    EXPECT_TRUE(files_in(dir).empty());
    // A save that works adds no line.
    EXPECT_EQ(play_in_folder(dir), 0);
    EXPECT_EQ(problem, "");
    EXPECT_FALSE(line_drawn);
    EXPECT_EQ(fs::file_size(table), 2310u);
}

TEST_F(BadHighscoreFile, AnUnwritablePlaceKeepsTheGameGoing) {
    // The table would have to go under a plain file, which no one can do.
    write_file(dir + "/plain", "not a folder");
    EXPECT_EQ(play_in_folder(dir + "/plain"), 0);
    EXPECT_TRUE(saw_table);
    EXPECT_EQ(read_file(dir + "/plain"), "not a folder");
    EXPECT_EQ(files_in(dir), std::vector<std::string>{"plain"});
}
