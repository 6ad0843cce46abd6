// Placeholder until the playlist window lands.
#include "window/win32/playlist_window.h"
