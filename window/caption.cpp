#include "window/caption.h"

#include "platform/file_system.h"
#include "settings/lang_table.h"

namespace td {

const char kWindowCaption[] = "Tunedeck";

std::string captionText(uint32_t filterMask, const std::string& playlistFile) {
    int label = -1;
    switch (filterMask) {
    case 1: label = 92; break;    // "Genre"
    case 2: label = 87; break;    // "Artist"
    case 4: label = 89; break;    // "Album"
    case 8: label = 91; break;    // "Comment"
    case 16: label = 101; break;  // "ID3Tag"
    case 32: label = 94; break;   // "Mode"
    case 64: label = 366; break;  // "Rating"
    default: break;
    }
    std::string caption = kWindowCaption;
    if (!playlistFile.empty()) {
        caption += " - ";
        caption += BaseName(playlistFile);
    }
    if (label >= 0) {
        caption += " (";
        caption += LangTable::getString(label);
        caption += ')';
    }
    return caption;
}

}  // namespace td
