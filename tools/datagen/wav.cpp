// wav: the RIFF/WAVE writer for the music loops.
#include "wav.h"

#include <cstdio>

/// Appends a little-endian number of `bytes` bytes.
static void put_le(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; i++)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

/// Appends a four-letter chunk tag.
static void put_tag(std::vector<uint8_t>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

bool wav_write(const std::string& path, const std::vector<int16_t>& samples, int rate) {
    const uint32_t data_size = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + data_size);
    put_tag(out, "RIFF");
    put_le(out, 36 + data_size, 4);
    put_tag(out, "WAVE");
    put_tag(out, "fmt ");
    put_le(out, 16, 4);       // format chunk size
    put_le(out, 1, 2);        // PCM
    put_le(out, 1, 2);        // mono
    put_le(out, rate, 4);     // samples per second
    put_le(out, rate * 2, 4); // bytes per second
    put_le(out, 2, 2);        // bytes per sample frame
    put_le(out, 16, 2);       // bits per sample
    put_tag(out, "data");
    put_le(out, data_size, 4);
    for (int16_t s : samples)
        put_le(out, static_cast<uint16_t>(s), 2);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}
