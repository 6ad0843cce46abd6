#include "tools/mass_tag.h"

#include <cstring>

#include "platform/prompter.h"
#include "playlist/text_format.h"
#include "settings/lang_table.h"
#include "tags/id3v1/id3v1.h"
#include "tags/id3v2/frame.h"
#include "tags/id3v2/frame_table.h"
#include "tags/id3v2/id3v2_error.h"
#include "tags/song_record.h"

namespace td {

namespace {

// Copies at most `max` characters into a block field of `size` bytes and
// zero-fills the rest, so that no old text survives behind the new one.
void SetBlockField(char* field, size_t size, const std::string& value, size_t max) {
    std::memset(field, 0, size);
    const size_t n = value.size() < max ? value.size() : max;
    std::memcpy(field, value.data(), n);
}

// The decimal value of up to three leading characters ("12a" gives 12).
uint32_t TrackValue(const std::string& text) {
    uint32_t value = 0;
    for (size_t i = 0; i < text.size() && i < 3; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') break;
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    return value;
}

}  // namespace

int MassTagFrameType(int field) {
    switch (field) {
    case kMassTitle: return kTIT2;
    case kMassArtist: return kTPE1;
    case kMassAlbum: return kTALB;
    case kMassYear: return kTYER;
    case kMassTrack: return kTRCK;
    case kMassGenre: return kTCON;
    case kMassComment: return kCOMM;
    default: return kNoFrameType;
    }
}

bool massTagFile(SongRecord* entry, const MassTagOptions& options) {
    if (!entry || !ToolFileExists(entry->GetFileName())) return false;
    SongRecord record(entry->GetFileName(), true);
    auto checked = [&](int field) { return (options.fields >> field) & 1u; };
    // The artist an untagged record shows is its file name, not a tag field;
    // once either tag is written the file is no longer untagged.
    DropFileNameFrame(record);

    if (options.versions & kMassTagV1) {
        Id3v1Tag block;
        if (const Id3v1Tag* old = record.GetId3v1()) {
            block = *old;
        } else {
            std::memset(&block, 0, sizeof block);
        }
        const auto& v = options.values;
        if (checked(kMassTitle)) SetBlockField(block.title, sizeof block.title, v[kMassTitle], 30);
        if (checked(kMassArtist)) SetBlockField(block.artist, sizeof block.artist, v[kMassArtist], 30);
        if (checked(kMassAlbum)) SetBlockField(block.album, sizeof block.album, v[kMassAlbum], 30);
        if (checked(kMassYear)) SetBlockField(block.year, sizeof block.year, v[kMassYear], 4);
        if (checked(kMassTrack)) block.track = TrackValue(v[kMassTrack]);
        if (checked(kMassGenre)) {
            const int genre = GenreIndex(v[kMassGenre].c_str());
            block.genre = static_cast<uint8_t>(genre > 0 && genre < kGenreCount ? genre : 0);
        }
        if (checked(kMassComment)) {
            SetBlockField(block.comment, sizeof block.comment, v[kMassComment], 30);
        }
        if (!record.SetId3v1(&block)) return false;
    }

    if (options.versions & kMassTagV2) {
        if (!record.HasId3v2()) {
            record.SetTagFlags(record.GetTagFlags() | kTagId3v2);
        }
        for (int field = 0; field < kMassTagFieldCount; ++field) {
            if (!checked(field)) continue;
            Id3v2FieldFrame frame(MassTagFrameType(field), options.values[static_cast<size_t>(field)]);
            record.UpdateFrame(frame);
        }
        // UpdateFrame clears the flag when it removed the last frame; the
        // tag is still wanted, only empty.
        record.SetTagFlags(record.GetTagFlags() | kTagId3v2);
    }

    if (SaveToolRecord(record, options.save) != Id3v2Error::NoError) return false;
    entry->CopyFrom(record);
    return true;
}

const char* MassTagVersionName(uint32_t versions) {
    const bool v1 = (versions & kMassTagV1) != 0;
    const bool v2 = (versions & kMassTagV2) != 0;
    if (v1 && v2) return "ID3v1+v2";
    return v2 ? "ID3v2" : "ID3v1";
}

std::string MassTagLogHeader(uint32_t versions, int files) {
    return FormatLangText(LangTable::getString(kMassTextLogHeader), {MassTagVersionName(versions), files});
}

std::string MassTagSummary(int files) {
    return FormatLangText(LangTable::getString(kMassTextSummary), {files});
}

bool CheckMassTagVersions(uint32_t versions, Prompter& prompter) {
    if (versions & (kMassTagV1 | kMassTagV2)) return true;
    ShowToolInformation(prompter, LangTable::getString(kMassTextCheckVersion));
    return false;
}

}  // namespace td
