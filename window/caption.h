// The playlist window's caption: the product's name, the playlist file in
// use, and the category of the explorer filter while one is active.
#pragma once

#include <cstdint>
#include <string>

namespace td {

extern const char kWindowCaption[];  // "Tunedeck"

// "Tunedeck", or "Tunedeck (Artist)" and the like for filter masks 1, 2, 4,
// 8, 16, 32 and 64 (labels from the language table). A mask that is not one
// of those gives the plain name. With a playlist file, its name (without
// the folder) follows the product's: "Tunedeck - rock.kq3 (Artist)".
std::string captionText(uint32_t filterMask, const std::string& playlistFile = std::string());

}  // namespace td
