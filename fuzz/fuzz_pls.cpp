// Reads arbitrary bytes as a PLS playlist.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "playlist/m3u_pls.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> paths;
    const bool valid = td::plsPaths(text, "/lists/a.pls", paths);
    Check(valid || paths.empty());
    for (const std::string& path : paths) Check(path.find('\n') == std::string::npos);
    return 0;
}
