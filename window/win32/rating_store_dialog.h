// The "Store rating into ID3V2..." dialog (template 186): the ratings of the
// entries selected when it opens written into their files by the rating
// store's worker (tools/rating_store.h), with Start/Stop, Close, progress
// and a details list of each file's result.
#pragma once

#include <windows.h>

#include <vector>

namespace td {

class Playlist;
class SongRecord;
class Win32Prompter;

struct RatingStoreRequest {
    HINSTANCE module = nullptr;
    HWND owner = nullptr;
    std::vector<SongRecord*> entries;    // in the window's selection order
    const Playlist* playlist = nullptr;  // asked whether an entry still exists
    Win32Prompter* system = nullptr;     // owned by the dialog while it runs
};

// Runs the dialog until Close; a run still going is stopped, and every file
// it finished has been handed to its entry, before this returns.
void RunRatingStoreDialog(const RatingStoreRequest& request);

}  // namespace td
