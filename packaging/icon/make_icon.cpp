// make_icon: turns one of the game's sprites (an uncompressed 24- or 32-bit
// BMP file) into a desktop icon: a square RGBA PNG file of any size, scaled
// nearest-neighbour (no smoothing, so the pixels stay crisp), with the mask
// colour 0xff00ff made transparent.
//
// Usage: make_icon <sprite.bmp> <icon.png> <size>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

/// A picture as rows of 0xRRGGBBAA pixels, top row first.
struct picture {
    int w = 0;
    int h = 0;
    std::vector<uint32_t> px;
};

/// The see-through colour of the sprites.
constexpr uint32_t MASK_RGB = 0xff00ff;

/// Reads a little-endian number of `n` bytes at `p`.
uint32_t read_le(const unsigned char* p, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; i--)
        v = v << 8 | p[i];
    return v;
}

/// Reads an uncompressed 24- or 32-bit BMP file; false with a message if it
/// is not one.
bool bmp_read(const std::string& path, picture& out) {
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> f((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
    if (f.size() < 54 || f[0] != 'B' || f[1] != 'M') {
        fprintf(stderr, "make_icon: %s is not a BMP file\n", path.c_str());
        return false;
    }
    uint32_t offset = read_le(&f[10], 4), bits = read_le(&f[28], 2);
    int32_t w = (int32_t)read_le(&f[18], 4), h = (int32_t)read_le(&f[22], 4);
    bool bottom_up = h > 0;
    h = h < 0 ? -h : h;
    if ((bits != 24 && bits != 32) || read_le(&f[30], 4) != 0 || w <= 0 || w > 4096 || h > 4096) {
        fprintf(stderr, "make_icon: %s is not an uncompressed 24/32-bit BMP\n", path.c_str());
        return false;
    }
    size_t stride = ((size_t)w * (bits / 8) + 3) / 4 * 4;
    if (offset + stride * h > f.size()) {
        fprintf(stderr, "make_icon: %s is cut short\n", path.c_str());
        return false;
    }
    out.w = w;
    out.h = h;
    out.px.assign((size_t)w * h, 0);
    for (int y = 0; y < h; y++) {
        const unsigned char* row = &f[offset + stride * (bottom_up ? h - 1 - y : y)];
        for (int x = 0; x < w; x++) {
            const unsigned char* p = row + x * (bits / 8);
            uint32_t rgb = (uint32_t)p[2] << 16 | p[1] << 8 | p[0];
            out.px[(size_t)y * w + x] = rgb == MASK_RGB ? 0 : rgb << 8 | 0xff;
        }
    }
    return true;
}

/// The picture scaled to `size` x `size`, each icon pixel taking the colour
/// of the sprite pixel it falls on.
picture scale_to(const picture& src, int size) {
    picture out;
    out.w = size;
    out.h = size;
    out.px.resize((size_t)size * size);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++)
            out.px[(size_t)y * size + x] =
                src.px[(size_t)(y * src.h / size) * src.w + x * src.w / size];
    return out;
}

/// CRC-32 of a byte range, as PNG chunks carry it.
uint32_t crc32(const unsigned char* p, size_t n) {
    static uint32_t table[256];
    if (table[1] == 0)
        for (uint32_t i = 0; i < 256; i++) {
            uint32_t c = i;
            for (int k = 0; k < 8; k++)
                c = c & 1 ? 0xedb88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
    uint32_t c = 0xffffffffu;
    for (size_t i = 0; i < n; i++)
        c = table[(c ^ p[i]) & 0xff] ^ (c >> 8);
    return c ^ 0xffffffffu;
}

/// Appends a big-endian 32-bit number.
void put_be32(std::vector<unsigned char>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back((unsigned char)(v >> shift));
}

/// Appends one PNG chunk: length, type, data and CRC.
void put_chunk(std::vector<unsigned char>& out, const char* type,
               const std::vector<unsigned char>& data) {
    put_be32(out, (uint32_t)data.size());
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put_be32(out, crc32(&out[start], out.size() - start));
}

/// Wraps raw bytes in a zlib stream of stored (uncompressed) deflate blocks.
std::vector<unsigned char> zlib_stored(const std::vector<unsigned char>& raw) {
    std::vector<unsigned char> z = {0x78, 0x01};
    uint32_t a = 1, b = 0;
    size_t pos = 0;
    do {
        size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
        z.push_back(pos + n == raw.size() ? 1 : 0);
        z.push_back(n & 0xff);
        z.push_back(n >> 8);
        z.push_back(~n & 0xff);
        z.push_back((~n >> 8) & 0xff);
        for (size_t i = pos; i < pos + n; i++) {
            z.push_back(raw[i]);
            a = (a + raw[i]) % 65521;
            b = (b + a) % 65521;
        }
        pos += n;
    } while (pos < raw.size());
    put_be32(z, b << 16 | a);
    return z;
}

/// Writes the picture as an 8-bit RGBA PNG file; false on failure.
bool png_write(const picture& pic, const std::string& path) {
    std::vector<unsigned char> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<unsigned char> head;
    put_be32(head, pic.w);
    put_be32(head, pic.h);
    head.insert(head.end(), {8, 6, 0, 0, 0}); // depth 8, RGBA, deflate, no filter, no interlace
    put_chunk(out, "IHDR", head);
    std::vector<unsigned char> raw;
    for (int y = 0; y < pic.h; y++) {
        raw.push_back(0); // filter type: none
        for (int x = 0; x < pic.w; x++)
            put_be32(raw, pic.px[(size_t)y * pic.w + x]);
    }
    put_chunk(out, "IDAT", zlib_stored(raw));
    put_chunk(out, "IEND", {});
    std::ofstream file(path, std::ios::binary);
    file.write((const char*)out.data(), (std::streamsize)out.size());
    return (bool)file;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: make_icon <sprite.bmp> <icon.png> <size>\n");
        return 2;
    }
    picture sprite;
    if (!bmp_read(argv[1], sprite))
        return 1;
    int size = atoi(argv[3]);
    if (sprite.w != sprite.h || size < 1 || size > 1024) {
        fprintf(stderr, "make_icon: a %dx%d sprite cannot make a %dx%d icon\n", sprite.w, sprite.h,
                size, size);
        return 1;
    }
    if (!png_write(scale_to(sprite, size), argv[2])) {
        fprintf(stderr, "make_icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
