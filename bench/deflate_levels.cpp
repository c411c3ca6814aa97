// How fast and how small gzip output comes out: zlib at levels 1 and 6 against ISA-L's levels
// 1 to 3 (GzipCompressor), over a file's bytes in 4 MB writes, as the converter writes.
//
//   build/release/bench/deflate_levels FILE
#include "files/GzipCompressor.h"
#include "files/MappedFile.h"

#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <string>

using namespace pellacor;

namespace {

constexpr std::size_t piece = std::size_t(4) << 20;

std::size_t withZlib(std::string_view text, int level) {
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(1 << 20, '\0');
    std::size_t total = 0;
    for (std::size_t at = 0; at <= text.size(); at += piece) {
        const std::string_view part = text.substr(std::min(at, text.size()), piece);
        const bool last = at + piece >= text.size();
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(part.data()));
        z.avail_in = static_cast<uInt>(part.size());
        do {
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = static_cast<uInt>(out.size());
            deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            total += out.size() - z.avail_out;
        } while (z.avail_out == 0);
        if (last)
            break;
    }
    deflateEnd(&z);
    return total;
}

std::size_t withIsal(std::string_view text, int level) {
    std::size_t total = 0;
    GzipCompressor compressor([&](std::string_view bytes) { total += bytes.size(); }, level);
    for (std::size_t at = 0; at < text.size(); at += piece)
        compressor.write(text.substr(at, piece));
    compressor.finish();
    return total;
}

template <typename Compress> void measure(const char* name, std::string_view text, Compress run) {
    const auto start = std::chrono::steady_clock::now();
    const std::size_t bytes = run();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("  %-10s %8.0f ms  %6.0f MB/s  %5.1f%% of the text\n", name, seconds * 1000,
                text.size() / seconds / 1e6, 100.0 * bytes / text.size());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: deflate_levels FILE\n");
        return 2;
    }
    MappedFile file(argv[1]);
    const std::string_view text = file.bytes();
    std::string warm;
    for (std::size_t at = 0; at < text.size(); at += 4096)
        warm += text[at]; // the pages in memory before any clock starts
    std::printf("== %zu MB\n", text.size() / 1000000);
    measure("zlib -1", text, [&] { return withZlib(text, 1); });
    measure("zlib -6", text, [&] { return withZlib(text, 6); });
    for (const int level : {1, 2, 3}) {
        const std::string name = "ISA-L " + std::to_string(level);
        measure(name.c_str(), text, [&] { return withIsal(text, level); });
    }
}
