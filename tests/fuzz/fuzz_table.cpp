// fuzz_table: any bytes as the highscore file. Reading always gives fifteen
// entries with terminated names, and saving them and reading them back gives
// the same table.
#include <cstring>

#include "fuzz_support.h"
#include "screens/highscore.h"
#include "tape/player_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_init("highscore.zelko");
    fuzz_write_scratch(data, size);
    if (player_folder_fd() < 0)
        player_folder_open(fuzz_scratch_folder());
    highscore_ table[HIGHSCORE_COUNT], again[HIGHSCORE_COUNT];
    memset(table, 0x55, sizeof table);
    highscore_read(table, HIGHSCORE_COUNT);
    for (const highscore_& entry : table)
        fuzz_require(memchr(entry.name, 0, HIGHSCORE_NAME) != nullptr, "a name runs on");
    highscore_write(table, HIGHSCORE_COUNT);
    memset(again, 0x55, sizeof again);
    highscore_read(again, HIGHSCORE_COUNT);
    for (int i = 0; i < HIGHSCORE_COUNT; i++)
        fuzz_require(again[i].score == table[i].score && strcmp(again[i].name, table[i].name) == 0,
                     "the saved table reads back otherwise");
    return 0;
}
