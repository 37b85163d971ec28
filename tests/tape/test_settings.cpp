// Tests of the settings file: read, written, partly unknown and damaged.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "table_folder.h"
#include "tape/settings.h"

namespace {

/// The player's folder of a test, with its settings file.
class Settings : public TableFolderTest {
  protected:
    std::string settings() const { return std::string(dir) + "/settings"; }

    /// The file's text ("" when there is none).
    std::string text() const {
        std::ifstream in(settings());
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    /// Writes `content` as the file, then loads it; what stderr said into *said.
    settings_ load(const std::string& content, std::string* said) {
        std::ofstream(settings()) << content;
        testing::internal::CaptureStderr();
        const settings_ s = settings_load();
        *said = testing::internal::GetCapturedStderr();
        return s;
    }
};

} // namespace

/// No file: the defaults. Each change by the player writes its line, the
/// lines the game does not know stay where they were, and the next run
/// reads what was left.
TEST_F(Settings, ChangesAreKeptBesideUnknownLines) {
    settings_ s = settings_load();
    EXPECT_EQ(s.windowed, 0);
    EXPECT_EQ(s.window_w * s.window_h, 0);
    EXPECT_EQ(s.music, 1);
    EXPECT_EQ(text(), "");
    settings_keep_music(0);
    EXPECT_EQ(text(), "music off\n");

    std::string said;
    s = load("# mine\ncolour-scheme dusk and dawn\n\nmusic off\nscreen full\nmusic on\n", &said);
    EXPECT_EQ(said, "");
    EXPECT_EQ(s.music, 1); // the last line of a key counts
    settings_keep_screen(1);
    settings_keep_window_size(1280, 960);
    settings_keep_music(0);
    EXPECT_EQ(text(), "# mine\ncolour-scheme dusk and dawn\n\nmusic off\nscreen window\n"
                      "window-size 1280x960\n");
    s = settings_load();
    EXPECT_EQ(s.windowed, 1);
    EXPECT_EQ(s.window_w, 1280);
    EXPECT_EQ(s.window_h, 960);
    EXPECT_EQ(s.music, 0);
    EXPECT_STREQ(settings_trouble(), "");
}

/// A damaged file is said once on stderr and on the screen, and replaced
/// by the defaults at once; so is one over the size limit.
TEST_F(Settings, ADamagedFileIsSaidOnceAndReplacedByTheDefaults) {
    const std::string damaged[] = {
        "screen window\nmusic loud\n",
        "screen window\nMusic on\n",
        "screen window\nwindow-size 1280x\n",
        "window-size 0x960\n",
        "window-size 99999x960\n",
        "window-size 1280x 960\n",
        "music\n",
        " music on\n",
        "music on\x01\n",
        "screen window\n" + std::string(SETTINGS_MOST_BYTES, '#'),
    };
    for (const std::string& content : damaged) {
        std::string said;
        const settings_ s = load(content, &said);
        EXPECT_NE(said.find("settings is damaged"), std::string::npos) << content;
        EXPECT_EQ(s.windowed, 0) << content;
        EXPECT_EQ(s.music, 1) << content;
        EXPECT_EQ(text(), "screen full\nmusic on\n") << content;
        EXPECT_NE(std::string(settings_trouble()).find("set back to the defaults"),
                  std::string::npos)
            << content;
        EXPECT_STREQ(settings_trouble(), ""); // said once
        testing::internal::CaptureStderr();
        settings_load();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << content;
    }
    std::string said;
    load("screen window\n" + std::string(SETTINGS_MOST_BYTES - 14, '#'), &said);
    EXPECT_EQ(said, ""); // just within the limit
}
