// What the benchmarks share: a list like a real library's, their options,
// and best-of-N timing. The test support (temporary folders, MPEG audio
// bytes) is linked in too.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>

namespace td {
class Playlist;
namespace bench {

// N entries with paths of about 60 characters on two volumes, both tags,
// seven text frames and ratings.
void FillSamplePlaylist(Playlist& playlist, int entries);

// `count` words drawn from a small vocabulary (with a few accented ones and
// band names), separated by spaces.
std::string RandomWords(std::mt19937& rng, int count);

// An ID3v2.3 text frame holding `text` in ISO-8859-1.
inline std::string TextFrame(const char* id, const std::string& text) {
    const std::string body = std::string(1, '\0') + text;
    const auto size = static_cast<uint32_t>(body.size());
    std::string frame(id, 4);
    frame += static_cast<char>(size >> 24);
    frame += static_cast<char>(size >> 16);
    frame += static_cast<char>(size >> 8);
    frame += static_cast<char>(size);
    frame += std::string(2, '\0');
    return frame + body;
}

// An ID3v2.3 tag around `frames`, followed by `padding` zero bytes.
inline std::string Id3v2Tag(const std::string& frames, size_t padding) {
    const auto size = static_cast<uint32_t>(frames.size() + padding);
    std::string tag("ID3\x03\x00\x00", 6);
    tag += static_cast<char>((size >> 21) & 0x7F);
    tag += static_cast<char>((size >> 14) & 0x7F);
    tag += static_cast<char>((size >> 7) & 0x7F);
    tag += static_cast<char>(size & 0x7F);
    return tag + frames + std::string(padding, '\0');
}

// The value after `name` on the command line ("--rounds 5"), at least 1;
// `fallback` when it is not given.
inline int IntOption(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) return std::max(1, std::atoi(argv[i + 1]));
    }
    return fallback;
}

// Milliseconds since `start`.
inline double Ms(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The machine the benchmarks run on may be shared: each figure is the best of
// a few rounds, in wall-clock time and in processor time of this process.
struct Timing {
    double wall = 1e300;
    double cpu = 1e300;
};

template <typename F>
Timing Best(int rounds, F&& f) {
    Timing best;
    for (int r = 0; r < rounds; ++r) {
        const std::clock_t c0 = std::clock();
        const auto w0 = std::chrono::steady_clock::now();
        f();
        best.wall = std::min(best.wall, Ms(w0));
        best.cpu = std::min(best.cpu, 1000.0 * static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC);
    }
    return best;
}

}  // namespace bench
}  // namespace td
