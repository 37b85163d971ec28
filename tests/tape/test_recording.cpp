// Tests of reading a recording within limits: a file over the size limit is
// refused before it is read, and a loaded one takes about its file's size.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <malloc.h>
#include <string>
#include <unistd.h>

#include "tape/recording.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/allocator_interface.h>
#endif

namespace {

/// The bytes the program has allocated and not freed.
size_t heap_in_use() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

class RecordingLimits : public ::testing::Test {
  protected:
    char path[64] = "/tmp/cave-limits-XXXXXX";
    int fd = -1;

    void SetUp() override { fd = mkstemp(path); }
    void TearDown() override {
        close(fd);
        unlink(path);
    }
    /// The file holds `text`, then zeros up to `size` bytes (a hole).
    void put(const std::string& text, off_t size) {
        ASSERT_EQ(pwrite(fd, text.data(), text.size(), 0), ssize_t(text.size()));
        ASSERT_EQ(ftruncate(fd, size), 0);
    }
};

} // namespace

TEST_F(RecordingLimits, ARecordingOverTheLimitIsRefusedUnread) {
    // A game, then a comment line of zeros: only its size is wrong.
    put("cave recording 1\ngame 1\n#", RECORDING_MOST_BYTES + 1);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(recording_load(path, 0, 0));
    EXPECT_FALSE(recording_load_open(fd, "kept.rec", 0, 0)); // as --watch opens it
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, std::string("cave: ") + path + ": is 16777217 bytes long, over the 16 MiB a " +
                        "recording may be; it is not read\ncave: kept.rec: is 16777217 bytes " +
                        "long, over the 16 MiB a recording may be; it is not read\n");
    ASSERT_EQ(ftruncate(fd, RECORDING_MOST_BYTES), 0); // at the limit it is read
    EXPECT_TRUE(recording_load_open(fd, "kept.rec", 0, 0));
    EXPECT_EQ(recording_game_seed(0), 1u);
    EXPECT_TRUE(recording_finish());
}

TEST_F(RecordingLimits, ALoadedRecordingTakesAboutItsFilesSize) {
    std::string text = "cave recording 1\ngame 4294967295\n";
    for (int i = 0; i < 200000; i++)
        text += i % 2 ? "press\n" : "key -1\n";
    put(text, off_t(text.size()));
    const size_t before = heap_in_use();
    ASSERT_TRUE(recording_load(path, 0, 0));
    const size_t taken = heap_in_use() - before;
    EXPECT_LE(taken, text.size() * 3 / 2) << "for a file of " << text.size() << " bytes";
    EXPECT_EQ(recording_game_seed(0), 4294967295u); // every line kept whole
    long long value = 0;
    int held = 0;
    EXPECT_EQ(recording_upcoming(&value, &held), REC_KEY);
    EXPECT_EQ(value, -1);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(recording_finish()); // the lines left unplayed are said
    EXPECT_NE(testing::internal::GetCapturedStderr().find("at line 3"), std::string::npos);
}
