// replay_main: runs a fuzz target once over every file of the folders (or
// files) given, as a quick regression test built with the normal compiler.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

/// Feeds one file to the target.
static void replay_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

int main(int argc, char** argv) {
    long replayed = 0;
    for (int i = 1; i < argc; i++) {
        std::error_code error;
        if (fs::is_regular_file(argv[i], error)) {
            replay_file(argv[i]);
            replayed++;
            continue;
        }
        for (const auto& entry : fs::directory_iterator(argv[i], error))
            if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') {
                replay_file(entry.path());
                replayed++;
            }
        if (error) {
            fprintf(stderr, "replay: cannot read %s\n", argv[i]);
            return 1;
        }
    }
    printf("replayed %ld inputs\n", replayed);
    return replayed > 0 ? 0 : 1;
}
