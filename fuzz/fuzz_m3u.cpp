// Reads arbitrary bytes as an M3U playlist: the paths it names, resolved
// against the playlist's folder.
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
    for (const char* list : {"/lists/a.m3u", "a.m3u", "lists/b.m3u8"}) {
        const std::vector<std::string> paths = td::m3uPaths(text, list);
        for (const std::string& path : paths) Check(path.find('\n') == std::string::npos);
    }
    // The text as one line of a playlist.
    const std::string resolved = td::resolvePlaylistPath("/lists/a.m3u", text);
    Check(resolved.size() <= text.size() + 8);
    return 0;
}
