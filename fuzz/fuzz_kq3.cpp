// Decodes arbitrary bytes as a .kq3 playlist file. Whatever is accepted must
// show in every column and sort without faults, and must write back into a
// file that decodes to the same entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "playlist/kq3.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "tags/id3v2/frame.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool texts = (td::LangTable::useBuiltinEnglish(), true);
    (void)texts;

    td::Kq3Contents contents;
    const td::Kq3Parse result = td::parseKq3(data, size, contents);
    if (result != td::Kq3Parse::Ok) {
        Check(contents.entries.empty() && contents.volumeCount == 0);
        return 0;
    }
    Check(contents.volumes.size() == contents.volumeCount * td::kKq3VolumeSize);

    td::Playlist playlist;
    td::PlaylistView view(playlist);
    for (size_t v = 0; v < contents.volumeCount; ++v) {
        playlist.appendVolume(&contents.volumes[v * td::kKq3VolumeSize]);
    }
    for (auto& entry : contents.entries) {
        td::SongRecord* record = entry.get();
        playlist.append(std::move(entry));
        view.appendRow(record);
    }
    for (int source = 0; source < 4; ++source) {
        view.setViewSource(source);
        for (int row = 0; row < view.rowCount(); ++row) {
            for (int id = 0; id < td::kColumnCount; ++id) {
                view.columnTextById(*view.entryAt(row), id);
            }
        }
    }
    for (int id = 0; id < td::kColumnCount; ++id) view.sortById(id, (id & 1) != 0);
    view.statusText(td::kStatusTotal);

    const std::string again = td::encodeKq3(playlist);
    td::Kq3Contents reread;
    Check(td::parseKq3(reinterpret_cast<const uint8_t*>(again.data()), again.size(), reread) ==
          td::Kq3Parse::Ok);
    Check(reread.entries.size() == static_cast<size_t>(playlist.count()));
    Check(reread.volumes == contents.volumes);
    for (int i = 0; i < playlist.count(); ++i) {
        const td::SongRecord& a = *playlist.entryAt(i);
        const td::SongRecord& b = *reread.entries[static_cast<size_t>(i)];
        Check(a.GetFileName() == b.GetFileName());
        Check(a.FrameCount() == b.FrameCount());
        Check(a.GetRating() == b.GetRating());
        Check(a.GetVolumeSerial() == b.GetVolumeSerial());
        Check(std::memcmp(&a.GetMpegInfo(), &b.GetMpegInfo(), sizeof(td::MpegInfo)) == 0);
        for (int f = 0; f < a.FrameCount(); ++f) {
            Check(td::MainText(a.GetFrameAt(f)) == td::MainText(b.GetFrameAt(f)));
        }
    }
    return 0;
}
