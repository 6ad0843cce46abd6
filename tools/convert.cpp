#include "tools/convert.h"

#include <functional>

#include "platform/file_system.h"
#include "platform/prompter.h"
#include "playlist/text_format.h"
#include "settings/lang_table.h"
#include "tags/id3v2/id3v2_error.h"
#include "tags/song_record.h"

namespace td {

namespace {

// The engine's whole-file operations write through SaveTags; the read-only
// question of a forced save is asked around them, as for every other save.
bool WithReadOnlyConfirmed(const std::string& path, const ToolSave& save,
                           const std::function<bool()>& write) {
    if (!save.askReadOnly || !save.prompter) return write();
    return ConfirmReadOnlyWrite(path, *save.prompter, [&write] {
               return write() ? Id3v2Error::NoError : Id3v2Error::WriteFailed;
           }) == Id3v2Error::NoError;
}

}  // namespace

ToolKind ConvertKind(int op) {
    switch (op) {
    case kConvertV2ToV1: return ToolKind::CopyV2ToV1;
    case kConvertRemoveV1: return ToolKind::RemoveV1;
    case kConvertRemoveV2: return ToolKind::RemoveV2;
    case kConvertRemoveAll: return ToolKind::RemoveAll;
    default: return ToolKind::CopyV1ToV2;
    }
}

std::string ConvertLogHeader(int op, int files) {
    if (op < 0 || op >= kConvertOpCount) op = 0;
    return FormatLangText(LangTable::getString(33 + op), {files});
}

std::string ConvertSummary(int op, int files) {
    if (op < 0 || op >= kConvertOpCount) op = 0;
    return FormatLangText(LangTable::getString(38 + op), {files});
}

bool convertFile(SongRecord* entry, int op, const ToolSave& save) {
    if (!entry || op < 0 || op >= kConvertOpCount) return false;
    const std::string path = entry->GetFileName();
    if (!ToolFileExists(path)) return false;
    SongRecord record(path, true);
    bool ok = false;
    switch (op) {
    case kConvertV1ToV2:
        if (!record.GetId3v1()) return false;
        ok = WithReadOnlyConfirmed(path, save, [&] { return record.CopyId3v1ToId3v2(); });
        break;
    case kConvertV2ToV1:
        if (!record.HasId3v2()) return false;
        ok = WithReadOnlyConfirmed(path, save, [&] { return record.CopyId3v2ToId3v1(); });
        break;
    default: {
        const int which = op == kConvertRemoveV1 ? 1 : op == kConvertRemoveV2 ? 2 : 3;
        ok = WithReadOnlyConfirmed(path, save, [&] { return record.RemoveTagsAndSave(which); });
        break;
    }
    }
    if (!ok) return false;
    entry->CopyFrom(record);
    return true;
}

}  // namespace td
