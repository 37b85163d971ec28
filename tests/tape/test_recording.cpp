// Reading a recording within limits: a file over the size limit is refused
// before it is read, and a loaded one takes about its file's size.
#include <gtest/gtest.h>

#include <malloc.h>
#include <string>
#include <unistd.h>

#include "tape/recording.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's own count (its allocator stands in for malloc's).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

/// The bytes the program has allocated and not freed.
static size_t heap_in_use() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 now = mallinfo2();
    return now.uordblks + now.hblkhd; // the small blocks and the large ones mapped alone
#endif
}

TEST(RecordingLimits, ARecordingIsReadWithinLimits) {
    char path[] = "/tmp/cave-limits-XXXXXX";
    int fd = mkstemp(path);
    std::string text = "cave recording 1\ngame 4294967295\n";
    for (int i = 0; i < 200000; i++)
        text += i % 2 ? "press\n" : "key -1\n";
    ASSERT_EQ(write(fd, text.data(), text.size()), ssize_t(text.size()));
    const size_t before = heap_in_use();
    ASSERT_TRUE(recording_load(path, 0, 0));
    EXPECT_LE(heap_in_use() - before, text.size() * 3 / 2) << "for " << text.size() << " bytes";
    EXPECT_EQ(recording_game_seed(0), 4294967295u); // every line kept whole
    int answer = 0;
    EXPECT_TRUE(recording_replayed(REC_KEY, &answer) && answer == -1);
    testing::internal::CaptureStderr();
    recording_finish();
    // Over the size limit (here by a long comment line): one line, unread.
    ASSERT_EQ(ftruncate(fd, RECORDING_MOST_BYTES + 1), 0);
    EXPECT_FALSE(recording_load_open(fd, "kept.rec", 0, 0));
    EXPECT_NE(testing::internal::GetCapturedStderr().find(
                  "cave: kept.rec: is 16777217 bytes long, over the 16 MiB a recording may be; "
                  "it is not read\n"),
              std::string::npos);
    close(fd);
    unlink(path);
}
