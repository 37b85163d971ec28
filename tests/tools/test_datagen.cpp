// Tests of the generated pictures and music: every file the game reads is
// there in the right format and size, masked pictures keep their see-through
// background, creatures animate, the music loops without a click, the end
// pictures leave room for their text, and the generator is deterministic.
// The working directory is the generated data folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "headless.h"
#include "shell/assets.h"

namespace {

using bytes = std::vector<uint8_t>;

/// The whole content of a file; empty if it cannot be read.
bytes read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t le32(const bytes& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t le16(const bytes& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

/// A 24-bit BMP read by hand: size and pixels as 0xRRGGBB, top row first.
struct picture {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    uint32_t at(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
};

/// Parses an uncompressed 24-bit BMP; fails the test on anything else.
picture read_bmp(const std::string& name) {
    picture p;
    bytes b = read_file(name);
    EXPECT_GE(b.size(), 54u) << name;
    if (b.size() < 54)
        return p;
    EXPECT_EQ('B', b[0]) << name;
    EXPECT_EQ('M', b[1]) << name;
    EXPECT_EQ(b.size(), le32(b, 2)) << name;
    EXPECT_EQ(40u, le32(b, 14)) << name;
    EXPECT_EQ(24, le16(b, 28)) << name;
    EXPECT_EQ(0u, le32(b, 30)) << name << ": compressed";
    p.w = static_cast<int>(le32(b, 18));
    p.h = static_cast<int>(le32(b, 22));
    const size_t row = (p.w * 3 + 3) & ~3u;
    const size_t offset = le32(b, 10);
    EXPECT_EQ(offset + row * p.h, b.size()) << name;
    if (offset + row * p.h > b.size())
        return p;
    p.px.resize(static_cast<size_t>(p.w) * p.h);
    for (int y = 0; y < p.h; y++)
        for (int x = 0; x < p.w; x++) {
            size_t at = offset + row * (p.h - 1 - y) + 3 * x;
            p.px[static_cast<size_t>(y) * p.w + x] = b[at] | b[at + 1] << 8 | b[at + 2] << 16;
        }
    return p;
}

/// A picture the game reads, its size and whether it is drawn masked.
struct expected_picture {
    const char* name;
    int w, h;
    bool masked;
};

/// The creature pictures: first frame, second frame, corpse.
const char* const creatures[][3] = {
    {"green_devil.bmp", "green_devil2.bmp", "green_devil_dead.bmp"},
    {"evil_eyes.bmp", "evil_eyes2.bmp", "evil_eyes_dead.bmp"},
    {"furball.bmp", "furball2.bmp", "furball_dead.bmp"},
    {"floating_eye.bmp", "floating_eye2.bmp", "floating_eye_dead.bmp"},
    {"grumbo_troll1.bmp", "grumbo_troll2.bmp", "grumbo_troll_dead.bmp"},
    {"baker.bmp", "baker2.bmp", "baker_dead.bmp"},
    {"littlespider.bmp", "littlespider2.bmp", "littlespider_dead.bmp"},
    {"rat.bmp", "rat2.bmp", "rat_dead.bmp"},
    {"bat.bmp", "bat2.bmp", "bat_dead.bmp"},
    {"gnome.bmp", "gnome2.bmp", "gnome_dead.bmp"},
};

const char* const items[] = {
    "stone.bmp",      "ring.bmp",
    "diamond.bmp",    "lamp.bmp",
    "cd.bmp",         "bread.bmp",
    "beef_jerky.bmp", "potion.bmp",
    "red_potion.bmp", "green_potion.bmp",
    "stick.bmp",      "stick_used.bmp",
    "long_stick.bmp", "long_stick_used.bmp",
    "stekpanna.bmp",  "stekpanna_used.bmp",
    "sword.bmp",      "sword_used.bmp",
    "wand.bmp",       "wand_used.bmp",
    "wand_zap.bmp",   "user.bmp",
    "user_dead.bmp",
};

const char* const opaque_tiles[] = {
    "empty.bmp",          "floor.bmp",     "wall.bmp",
    "door.bmp",           "door_open.bmp", "door_out.bmp",
    "invent_bg_bg.bmp",   "invent_bg.bmp", "invent_bg_marked.bmp",
    "invent_bg_used.bmp",
};

const char* const full_screens[] = {
    "TitelScreen.bmp",  "StoryScreen1.bmp", "StoryScreen2.bmp",
    "StoryScreen3.bmp", "StoryScreen4.bmp", "ControlInfo.bmp",
    "ControlHelp.bmp",  "ByeBye.bmp",       "GameOver.bmp",
};

/// Every picture with its size and mask flag.
std::vector<expected_picture> all_pictures() {
    std::vector<expected_picture> v;
    for (const auto& c : creatures)
        for (const char* n : c)
            v.push_back({n, 32, 32, true});
    for (const char* n : items)
        v.push_back({n, 32, 32, true});
    for (const char* n : opaque_tiles)
        v.push_back({n, 32, 32, false});
    v.push_back({"msg_bg.bmp", 304, 176, false});
    v.push_back({"msg_yes.bmp", 64, 32, false});
    v.push_back({"msg_no.bmp", 64, 32, false});
    for (const char* n : full_screens)
        v.push_back({n, 1024, 768, false});
    return v;
}

constexpr uint32_t MASK = 0xff00ff;

/// Number of pixels in which two pictures of the same size differ.
int pixels_differing(const picture& a, const picture& b) {
    int n = 0;
    for (size_t i = 0; i < a.px.size() && i < b.px.size(); i++)
        n += a.px[i] != b.px[i];
    return n;
}

/// Number of drawn (not mask-coloured) pixels.
int drawn_pixels(const picture& p) {
    int n = 0;
    for (uint32_t c : p.px)
        n += c != MASK;
    return n;
}

/// Perceived brightness of a colour, 0 to 255.
double luminance(uint32_t rgb) {
    return 0.299 * (rgb >> 16 & 0xff) + 0.587 * (rgb >> 8 & 0xff) + 0.114 * (rgb & 0xff);
}

/// A mono 16-bit WAV read by hand.
struct sound {
    int channels = 0, rate = 0, bits = 0, format = 0;
    std::vector<int16_t> samples;
};

/// Parses a RIFF/WAVE file with a "fmt " and a "data" chunk.
sound read_wav(const std::string& name) {
    sound s;
    bytes b = read_file(name);
    EXPECT_GE(b.size(), 44u) << name;
    if (b.size() < 44)
        return s;
    EXPECT_EQ(0, std::string(b.begin(), b.begin() + 4).compare("RIFF")) << name;
    EXPECT_EQ(0, std::string(b.begin() + 8, b.begin() + 12).compare("WAVE")) << name;
    EXPECT_EQ(b.size() - 8, le32(b, 4)) << name;
    for (size_t at = 12; at + 8 <= b.size();) {
        std::string tag(b.begin() + at, b.begin() + at + 4);
        uint32_t len = le32(b, at + 4);
        if (tag == "fmt ") {
            s.format = le16(b, at + 8);
            s.channels = le16(b, at + 10);
            s.rate = static_cast<int>(le32(b, at + 12));
            s.bits = le16(b, at + 22);
        } else if (tag == "data" && at + 8 + len <= b.size()) {
            for (uint32_t i = 0; i + 1 < len; i += 2)
                s.samples.push_back(static_cast<int16_t>(le16(b, at + 8 + i)));
        }
        at += 8 + len + (len & 1);
    }
    return s;
}

/// The folder of the repository, read from the build's CMake cache (the
/// data folder lies inside the build folder).
std::string source_dir() {
    std::ifstream in("../CMakeCache.txt");
    std::string line;
    const std::string key = "CMAKE_HOME_DIRECTORY:INTERNAL=";
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0)
            return line.substr(key.size());
    return "";
}

class Datagen : public ::testing::Test {
  protected:
    void SetUp() override { headless_init(); }
};

} // namespace

TEST_F(Datagen, EveryPictureIsAnUncompressed24BitBmpOfItsSize) {
    for (const expected_picture& e : all_pictures()) {
        picture p = read_bmp(e.name);
        EXPECT_EQ(e.w, p.w) << e.name;
        EXPECT_EQ(e.h, p.h) << e.name;
    }
}

TEST_F(Datagen, TheLibraryLoadsEveryPictureAtItsSize) {
    for (const expected_picture& e : all_pictures()) {
        BITMAP* b = load_bitmap(e.name, nullptr);
        ASSERT_NE(nullptr, b) << e.name;
        EXPECT_EQ(e.w, b->w) << e.name;
        EXPECT_EQ(e.h, b->h) << e.name;
        destroy_bitmap(b);
    }
}

TEST_F(Datagen, EveryFileTheGameAsksForExists) {
    for (int i = 0; i < assets_table_file_count(); i++)
        EXPECT_FALSE(read_file(assets_table_file(i)).empty()) << assets_table_file(i);
    for (int i = 0; i < assets_required_count; i++)
        EXPECT_FALSE(read_file(assets_required_files[i]).empty()) << assets_required_files[i];
    EXPECT_EQ(64, assets_table_file_count());
}

TEST_F(Datagen, MaskedPicturesStandOnTheMaskColour) {
    for (const expected_picture& e : all_pictures()) {
        if (!e.masked)
            continue;
        picture p = read_bmp(e.name);
        ASSERT_EQ(32, p.w) << e.name;
        EXPECT_EQ(MASK, p.at(0, 0)) << e.name;
        EXPECT_EQ(MASK, p.at(31, 0)) << e.name;
        EXPECT_EQ(MASK, p.at(0, 31)) << e.name;
        EXPECT_EQ(MASK, p.at(31, 31)) << e.name;
        int ink = 0;
        for (uint32_t c : p.px)
            ink += c != MASK;
        EXPECT_GT(ink, 20) << e.name << " is nearly empty";
        EXPECT_LT(ink, 32 * 32 * 3 / 4) << e.name << " hides too much of the floor";
    }
}

TEST_F(Datagen, OpaquePicturesNeverUseTheMaskColour) {
    for (const expected_picture& e : all_pictures()) {
        if (e.masked)
            continue;
        picture p = read_bmp(e.name);
        int magenta = 0;
        for (uint32_t c : p.px)
            magenta += c == MASK;
        EXPECT_EQ(0, magenta) << e.name;
    }
}

TEST_F(Datagen, CreaturesAnimateAndLeaveADifferentCorpse) {
    for (const auto& c : creatures) {
        picture first = read_bmp(c[0]), second = read_bmp(c[1]), dead = read_bmp(c[2]);
        EXPECT_GE(pixels_differing(first, second), 30) << c[0] << " barely moves";
        EXPECT_GE(pixels_differing(first, dead), 100) << c[2] << " looks alive";
        // The two frames are of like size: the creature does not shrink.
        const int a = drawn_pixels(first), b = drawn_pixels(second);
        EXPECT_GE(std::min(a, b) * 100, std::max(a, b) * 85) << c[0] << " and " << c[1];
    }
}

TEST_F(Datagen, EverySpriteStandsOutFromTheFloor) {
    // At least half of the drawn pixels of every picture drawn over the floor
    // are clearly apart from the floor's mean colour: in brightness, or, for
    // a strong colour of the floor's brightness, in the colour itself.
    picture floor = read_bmp("floor.bmp");
    ASSERT_FALSE(floor.px.empty());
    double mean[3] = {0, 0, 0};
    for (uint32_t c : floor.px)
        for (int k = 0; k < 3; k++)
            mean[k] += (c >> (16 - 8 * k) & 0xff) / static_cast<double>(floor.px.size());
    const double floor_light = 0.299 * mean[0] + 0.587 * mean[1] + 0.114 * mean[2];
    for (const expected_picture& e : all_pictures()) {
        if (!e.masked)
            continue;
        picture p = read_bmp(e.name);
        int apart = 0;
        for (uint32_t c : p.px) {
            if (c == MASK)
                continue;
            double d2 = 0;
            for (int k = 0; k < 3; k++)
                d2 += std::pow((c >> (16 - 8 * k) & 0xff) - mean[k], 2);
            apart += std::fabs(luminance(c) - floor_light) >= 30 || d2 >= 100 * 100;
        }
        EXPECT_GE(apart * 2, drawn_pixels(p)) << e.name << " fades into the floor";
    }
}

TEST_F(Datagen, TheWandBurstLiesWhereAScatteringExplosionKeepsIt) {
    picture p = read_bmp("wand_zap.bmp");
    ASSERT_EQ(32, p.w);
    int inside = 0;
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 32; x++) {
            bool in_core = x >= 9 && x <= 23 && y >= 9 && y <= 23;
            if (!in_core) {
                EXPECT_EQ(MASK, p.at(x, y)) << "burst pixel outside at " << x << "," << y;
            }
            inside += in_core && p.at(x, y) != MASK;
        }
    EXPECT_GT(inside, 60);
    // The pixels a scatter leaves in place (13-15 and 17-19 each way) are the
    // ones still there at the last move: all of them bright.
    for (int y : {13, 14, 15, 17, 18, 19})
        for (int x : {13, 14, 15, 17, 18, 19})
            EXPECT_GT(luminance(p.at(x, y)), 200) << "dim core pixel at " << x << "," << y;
}

TEST_F(Datagen, TheThreeDoorsLookDifferent) {
    picture closed = read_bmp("door.bmp"), open = read_bmp("door_open.bmp");
    picture out = read_bmp("door_out.bmp");
    EXPECT_GT(pixels_differing(closed, open), 150);
    EXPECT_GT(pixels_differing(closed, out), 150);
    EXPECT_GT(pixels_differing(open, out), 150);
}

/// Mean colour difference between column a and column b (or rows, when
/// `rows` is set) of a tile.
double line_difference(const picture& p, int a, int b, bool rows) {
    double sum = 0;
    for (int k = 0; k < 32; k++) {
        uint32_t c1 = rows ? p.at(k, a) : p.at(a, k);
        uint32_t c2 = rows ? p.at(k, b) : p.at(b, k);
        sum += std::fabs(luminance(c1) - luminance(c2));
    }
    return sum / 32;
}

TEST_F(Datagen, FloorAndWallTileWithoutASeam) {
    // Across the edge where one tile meets the next, the picture changes no
    // more than it does somewhere inside the tile (give or take the grain).
    for (const char* name : {"floor.bmp", "wall.bmp"}) {
        picture p = read_bmp(name);
        ASSERT_EQ(32, p.w) << name;
        for (bool rows : {false, true}) {
            double inside = 0;
            for (int k = 0; k < 31; k++)
                inside = std::max(inside, line_difference(p, k, k + 1, rows));
            EXPECT_LE(line_difference(p, 31, 0, rows), inside * 1.2 + 2)
                << name << (rows ? ": seam between rows" : ": seam between columns");
        }
    }
}

TEST_F(Datagen, InventorySlotsAreToldApartAtAGlance) {
    auto mean = [](const picture& p) {
        double sum = 0;
        for (uint32_t c : p.px)
            sum += luminance(c);
        return sum / p.px.size();
    };
    picture closed = read_bmp("invent_bg_bg.bmp"), usable = read_bmp("invent_bg.bmp");
    picture cursor = read_bmp("invent_bg_marked.bmp"), used = read_bmp("invent_bg_used.bmp");
    EXPECT_GT(mean(usable) - mean(closed), 15) << "a usable slot must be lighter";
    double rim = 0;
    for (int k = 0; k < 32; k++)
        rim = std::max(rim, luminance(cursor.at(k, 1)));
    EXPECT_GT(rim, 180) << "the cursor needs a bright frame";
    EXPECT_GT(pixels_differing(usable, used), 400);
    EXPECT_GT(pixels_differing(cursor, used), 400);
}

TEST_F(Datagen, TheButtonsCarryTheirWords) {
    picture yes = read_bmp("msg_yes.bmp"), no = read_bmp("msg_no.bmp");
    int yes_ink = 0, no_ink = 0;
    for (uint32_t c : yes.px)
        yes_ink += c == 0xffffff;
    for (uint32_t c : no.px)
        no_ink += c == 0xffffff;
    EXPECT_GT(yes_ink, 40);
    EXPECT_GT(no_ink, 30);
    EXPECT_GT(pixels_differing(yes, no), 1000);
}

TEST_F(Datagen, EndPicturesKeepACalmLightBandForTheirText) {
    // The end lines are drawn centred on x 512 from y 384 to 440, in dark red
    // on the game-over picture and dark green on the farewell picture.
    for (const char* name : {"ByeBye.bmp", "GameOver.bmp"}) {
        picture p = read_bmp(name);
        ASSERT_EQ(1024, p.w) << name;
        double lo = 255, hi = 0;
        for (int y = 380; y < 448; y++)
            for (int x = 300; x < 724; x++) {
                double l = luminance(p.at(x, y));
                lo = std::min(lo, l);
                hi = std::max(hi, l);
            }
        EXPECT_GT(lo, 150) << name << ": the band is too dark for dark text";
        EXPECT_LT(hi - lo, 60) << name << ": the band is too busy";
    }
}

TEST_F(Datagen, TheSheetCalledUpInPlayDiffersOnlyInItsLastLine) {
    // The story's sheet leads into the cave; the one called up in play back
    // to the game. Both are painted from one description of the keys.
    picture story = read_bmp("ControlInfo.bmp"), play = read_bmp("ControlHelp.bmp");
    ASSERT_EQ(story.px.size(), play.px.size());
    int above = 0, last_line = 0;
    for (int y = 0; y < 768; y++)
        for (int x = 0; x < 1024; x++)
            (y < 730 ? above : last_line) += story.at(x, y) != play.at(x, y);
    EXPECT_EQ(above, 0);
    EXPECT_GT(last_line, 200);
}

TEST_F(Datagen, TheMessageBoxIsDarkWhereWhiteTextGoes) {
    picture p = read_bmp("msg_bg.bmp");
    ASSERT_EQ(304, p.w);
    for (int y = 12; y < 164; y++)
        for (int x = 40; x < 296; x++)
            ASSERT_LT(luminance(p.at(x, y)), 90) << x << "," << y;
}

TEST_F(Datagen, MusicLoopsAreLongMonoAndSeamless) {
    for (const char* name : {"lugn.wav", "quiet.wav", "end.wav"}) {
        sound s = read_wav(name);
        EXPECT_EQ(1, s.format) << name;
        EXPECT_EQ(1, s.channels) << name;
        EXPECT_EQ(22050, s.rate) << name;
        EXPECT_EQ(16, s.bits) << name;
        ASSERT_GE(s.samples.size(), 15u * 22050) << name << " is shorter than 15 s";
        // The step from the last sample back to the first is no bigger than
        // the steps inside the music.
        int biggest = 0;
        for (size_t i = 1; i < s.samples.size(); i++)
            biggest = std::max(biggest, std::abs(s.samples[i] - s.samples[i - 1]));
        int seam = std::abs(s.samples.front() - s.samples.back());
        EXPECT_LE(seam, biggest) << name;
        EXPECT_LE(seam, 1500) << name;
        // It starts and ends in silence, fading in and out: no click.
        EXPECT_EQ(0, s.samples.front()) << name;
        EXPECT_EQ(0, s.samples.back()) << name;
        int edge = 0;
        for (size_t i = 0; i < 20; i++)
            edge = std::max({edge, std::abs(static_cast<int>(s.samples[i])),
                             std::abs(static_cast<int>(s.samples[s.samples.size() - 1 - i]))});
        EXPECT_LT(edge, 500) << name;
        int peak = 0;
        for (int16_t v : s.samples)
            peak = std::max(peak, std::abs(static_cast<int>(v)));
        EXPECT_GT(peak, 8000) << name << " is nearly silent";
        // Every loop is mastered to the same peak, -1 dBFS, and none clips.
        EXPECT_NEAR(20 * std::log10(peak / 32768.0), -1.0, 0.01) << name;
    }
}

TEST_F(Datagen, RunningTheGeneratorTwiceGivesTheSameBytes) {
    const std::string src = source_dir();
    ASSERT_FALSE(src.empty()) << "no CMake cache beside the data folder";
    char a_tmpl[] = "/tmp/datagen_a_XXXXXX";
    char b_tmpl[] = "/tmp/datagen_b_XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(a_tmpl));
    ASSERT_NE(nullptr, mkdtemp(b_tmpl));
    const std::string a = a_tmpl, b = b_tmpl;
    ASSERT_EQ(0, std::system(("../datagen " + src + "/data " + a).c_str()));
    ASSERT_EQ(0, std::system(("../datagen " + src + "/data " + b).c_str()));
    for (const expected_picture& e : all_pictures()) {
        bytes first = read_file(a + "/" + e.name);
        EXPECT_FALSE(first.empty()) << e.name;
        EXPECT_TRUE(first == read_file(b + "/" + e.name)) << e.name;
        EXPECT_TRUE(first == read_file(e.name)) << e.name << " differs from the build's";
    }
    for (const char* name : {"lugn.wav", "quiet.wav", "end.wav"})
        EXPECT_TRUE(read_file(a + "/" + name) == read_file(b + "/" + name)) << name;
    std::system(("rm -rf " + a + " " + b).c_str());
}

TEST_F(Datagen, BrokenOrMissingSourcesStopTheBuild) {
    const std::string src = source_dir();
    ASSERT_FALSE(src.empty()) << "no CMake cache beside the data folder";
    char tmpl[] = "/tmp/datagen_src_XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(tmpl));
    const std::string dir = tmpl;
    const std::string copy = "rm -rf " + dir + "/data && cp -r " + src + "/data " + dir + "/data";
    const std::string run = "../datagen " + dir + "/data " + dir + "/out 2>/dev/null";
    ASSERT_EQ(0, std::system(("mkdir -p " + dir + "/out").c_str()));

    // A music loop without its source: the build must not go on silently.
    ASSERT_EQ(0, std::system(copy.c_str()));
    ASSERT_EQ(0, std::system(("rm " + dir + "/data/music/end.txt").c_str()));
    EXPECT_NE(0, std::system(run.c_str()));

    // A pixel whose character the palette does not know.
    ASSERT_EQ(0, std::system(copy.c_str()));
    std::ofstream(dir + "/data/sprites/zz_broken.txt")
        << "palette\n. ff00ff\nsprite stone.bmp\n..x.\n";
    EXPECT_NE(0, std::system(run.c_str()));

    // A picture of the wrong size.
    ASSERT_EQ(0, std::system(copy.c_str()));
    std::ofstream(dir + "/data/screens/msg_no.txt") << "size 60 30\nfill 203040\n";
    EXPECT_NE(0, std::system(run.c_str()));

    // A screen that includes itself.
    ASSERT_EQ(0, std::system(copy.c_str()));
    std::ofstream(dir + "/data/screens/msg_no.txt") << "include msg_no.txt\n";
    EXPECT_NE(0, std::system(run.c_str()));

    // The untouched sources go through.
    ASSERT_EQ(0, std::system(copy.c_str()));
    EXPECT_EQ(0, std::system(run.c_str()));
    std::system(("rm -rf " + dir).c_str());
}
