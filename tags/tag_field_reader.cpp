#include "tags/song_record.h"

namespace td {

namespace {

// The fields an ID3v1 tag can answer; `text` is left alone for the others.
void FieldFromId3v1(const SongRecord& record, int type, std::string& text) {
    const Id3v1Tag* block = record.GetId3v1();
    if (!block) return;
    std::string value;
    switch (type) {
    case kTIT2: value = Id3v1FieldText(block->title, sizeof(block->title)); break;
    case kTPE1: value = Id3v1FieldText(block->artist, sizeof(block->artist)); break;
    case kTALB: value = Id3v1FieldText(block->album, sizeof(block->album)); break;
    case kTYER: value = Id3v1FieldText(block->year, sizeof(block->year)); break;
    case kCOMM: value = Id3v1FieldText(block->comment, sizeof(block->comment)); break;
    case kTCON: text = GenreName(block->genre); return;
    case kTRCK:
        if (block->track != 0) text = std::to_string(block->track);
        return;
    default: return;
    }
    if (!value.empty()) text = std::move(value);
}

void FieldFromId3v2(const SongRecord& record, int type, std::string& text) {
    if (type < 0 || type >= kFrameTypeCount) return;
    const Id3v2FrameType& row = Id3v2FrameTable[type];
    if (row.kind != 1 || !row.kept) return;
    const Id3v2Frame* frame = record.GetFrame(type);
    if (!frame) return;
    text = td::MainText(frame);
    if (type == kTCON) text = ResolveGenreText(text);
}

bool IsEmptyOrSpace(const std::string& text) { return text.empty() || text == " "; }

}  // namespace

void TagFieldReader::GetField(const SongRecord& record, int type, std::string& text) const {
    switch (source_) {
    case 0: FieldFromId3v1(record, type, text); break;
    case 1: FieldFromId3v2(record, type, text); break;
    case 2:
        FieldFromId3v2(record, type, text);
        if (IsEmptyOrSpace(text)) {
            text.clear();
            FieldFromId3v1(record, type, text);
        }
        break;
    case 3:
        FieldFromId3v1(record, type, text);
        if (IsEmptyOrSpace(text)) {
            text.clear();
            FieldFromId3v2(record, type, text);
        }
        break;
    default: break;
    }
}

void GetTagField(const SongRecord& record, int type, int source, std::string& text) {
    TagFieldReader(source).GetField(record, type, text);
}

}  // namespace td
