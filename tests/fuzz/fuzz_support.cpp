// fuzz_support: headless set-up and the scratch file of the fuzz targets.
#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "main/game.h"

namespace {
std::string scratch_folder, scratch_path;

/// Removes the scratch file and its folder at the end of the run.
void fuzz_clean_up() {
    unlink(scratch_path.c_str());
    rmdir(scratch_folder.c_str());
}
} // namespace

void fuzz_init(const char* name) {
    static bool started = false;
    if (started)
        return;
    started = true;
    if (!game_init_headless()) {
        fprintf(stderr, "fuzz: the graphics library could not start\n");
        exit(1);
    }
    struct stat info;
    const char* base = stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode) ? "/dev/shm" : "/tmp";
    scratch_folder = std::string(base) + "/cave-fuzz-" + std::to_string(getpid());
    mkdir(scratch_folder.c_str(), 0700);
    scratch_path = scratch_folder + "/" + name;
    atexit(fuzz_clean_up);
}

const char* fuzz_scratch() {
    return scratch_path.c_str();
}

const char* fuzz_scratch_folder() {
    return scratch_folder.c_str();
}

void fuzz_write_scratch(const uint8_t* data, size_t size) {
    FILE* f = fopen(scratch_path.c_str(), "wb");
    fuzz_require(f != nullptr, "the scratch file cannot be written");
    fuzz_require(fwrite(data, 1, size, f) == size && fclose(f) == 0,
                 "the scratch file cannot be written");
}

void fuzz_require(bool holds, const char* what) {
    if (holds)
        return;
    fprintf(stderr, "fuzz: %s\n", what);
    abort();
}
