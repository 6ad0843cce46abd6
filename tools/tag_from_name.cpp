#include "tools/tag_from_name.h"

#include <cstring>
#include <memory>
#include <new>

#include "playlist/text_format.h"
#include "settings/lang_table.h"
#include "tags/id3v1/id3v1.h"
#include "tags/id3v2/frame.h"
#include "tags/id3v2/frame_table.h"
#include "tags/id3v2/id3v2_error.h"
#include "tags/song_record.h"
#include "tools/format_pattern.h"
#include "tools/safe_name.h"
#include "tools/text_convert.h"

namespace td {

const char kFromNameTooltip[] = "format filename output";

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::string Trimmed(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

bool OnlyBlanksFrom(const std::string& text, size_t from) {
    for (size_t i = from; i < text.size(); ++i) {
        if (!IsBlank(text[i])) return false;
    }
    return true;
}

void SetBlockField(char* field, size_t size, const std::string& value, size_t max) {
    std::memset(field, 0, size);
    std::memcpy(field, value.data(), value.size() < max ? value.size() : max);
}

// The decimal value of a field; 0 when it does not start with a number (or
// the number does not fit).
uint32_t TrackNumber(const std::string& text) {
    const uint32_t value = LeadingNumber(text);
    return value == UINT32_MAX ? 0 : value;
}

int FrameTypeOf(char token) {
    switch (token) {
    case 'A': return kTPE1;
    case 'T': return kTIT2;
    case 'L': return kTALB;
    case 'C': return kCOMM;
    case 'Y': return kTYER;
    case 'N': return kTRCK;
    default: return kNoFrameType;  // %G writes nothing
    }
}

void SetBlockToken(Id3v1Tag& block, char token, const std::string& value) {
    switch (token) {
    case 'A': SetBlockField(block.artist, sizeof block.artist, value, 30); break;
    case 'T': SetBlockField(block.title, sizeof block.title, value, 30); break;
    case 'L': SetBlockField(block.album, sizeof block.album, value, 30); break;
    case 'C': SetBlockField(block.comment, sizeof block.comment, value, 30); break;
    case 'Y': SetBlockField(block.year, sizeof block.year, value, 4); break;
    case 'N': block.track = TrackNumber(value); break;
    default: break;
    }
}

}  // namespace

CompiledPattern compilePattern(const std::string& pattern) {
    CompiledPattern out;
    std::string literal;
    bool tokenSeen = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c != '%') {
            literal.push_back(c);
            continue;
        }
        if (i + 1 >= pattern.size()) break;  // a lone "%" ends the pattern
        const char next = pattern[++i];
        if (!IsFormatTokenLetter(next)) {
            literal.push_back(next);
            continue;
        }
        if (!literal.empty()) {
            if (out.separators.empty() && !tokenSeen) out.leadingSeparator = true;
            out.separators.push_back(literal);
            literal.clear();
        }
        out.tokens.push_back(next);
        tokenSeen = true;
    }
    return out;
}

std::vector<std::pair<char, std::string>> SplitNameFields(const std::string& name,
                                                          const CompiledPattern& pattern, int caseMode,
                                                          int charMode) {
    std::vector<std::pair<char, std::string>> fields;
    const std::vector<std::string>& seps = pattern.separators;
    size_t p = 0;
    size_t s = 0;
    size_t t = 0;
    if (pattern.leadingSeparator && !seps.empty()) {
        // Skipped by its length, not compared.
        p = seps[0].size();
        s = 1;
    }
    while (p < name.size()) {
        size_t end = name.size();
        size_t step = 0;
        if (s < seps.size()) {
            const size_t found = name.find(seps[s], p);
            if (found != std::string::npos) {
                end = found;
                step = seps[s].size();
            }
        }
        if (!OnlyBlanksFrom(name, p) && t < pattern.tokens.size()) {
            std::string field = Trimmed(name.substr(p, end - p));
            applyConversions(field, caseMode, charMode);
            fields.emplace_back(pattern.tokens[t], std::move(field));
            ++t;
        }
        ++s;
        p = end + step;
    }
    return fields;
}

bool tagFileFromName(SongRecord* entry, const std::string& listText, const CompiledPattern& pattern,
                     const TagFromNameOptions& options) {
    if (!entry || !ToolFileExists(entry->GetFileName())) return false;
    SongRecord record(entry->GetFileName(), true);
    const bool writeV1 = options.version == kFromNameV1 || options.version == kFromNameBoth;
    const bool writeV2 = options.version == kFromNameV2 || options.version == kFromNameBoth;
    if (!writeV1 && !writeV2) return false;

    // The flags are the file's own as just read: flags remembered by the
    // playlist may be stale, and a tag the file has but the flags miss would
    // be dropped by the save.
    uint32_t flags = record.GetTagFlags();
    // The artist an untagged record shows is its file name, not a tag field.
    DropFileNameFrame(record);
    if (writeV1) flags |= kTagId3v1;
    if (writeV2) flags |= kTagId3v2;

    Id3v1Tag block;
    if (const Id3v1Tag* old = record.GetId3v1()) {
        block = *old;
    } else {
        std::memset(&block, 0, sizeof block);
    }

    // Fields go into tags, which hold ANSI text. A name the code page cannot
    // show would put '?' into the tags: the file fails instead.
    std::string ansiText;
    if (!PathNameToAnsi(listText, ansiText)) return false;
    const std::string name = ansiText.size() > 4 ? ansiText.substr(0, ansiText.size() - 4) : std::string();
    for (const auto& [token, value] : SplitNameFields(name, pattern, options.caseMode, options.charMode)) {
        if (writeV1) SetBlockToken(block, token, value);
        const int type = FrameTypeOf(token);
        if (!writeV2 || type == kNoFrameType) continue;
        const std::string text = type == kTRCK ? std::to_string(TrackNumber(value)) : value;
        std::unique_ptr<Id3v2Frame> frame(new (std::nothrow) Id3v2FieldFrame(type, text));
        if (!record.AddFrame(std::move(frame), true)) return false;
    }

    record.SetTagFlags(flags);
    if (writeV1 && !record.SetId3v1(&block)) return false;
    if (SaveToolRecord(record, options.save) != Id3v2Error::NoError) return false;
    entry->CopyFrom(record);
    return true;
}

const char* TagFromNameVersionName(int version) {
    switch (version) {
    case kFromNameV1: return "ID3v1";
    case kFromNameV2: return "ID3v2";
    default: return "ID3v1+v2";
    }
}

std::string TagFromNameLogHeader(int version, int files) {
    return FormatLangText(LangTable::getString(kFromNameTextLogHeader),
                          {TagFromNameVersionName(version), files});
}

std::string TagFromNameSummary(int files) {
    return FormatLangText(LangTable::getString(kFromNameTextSummary), {files});
}

bool CheckTagFromNamePattern(const std::string& pattern, Prompter& prompter) {
    if (isValidFormat(pattern)) return true;
    ShowToolError(prompter, LangTable::getString(kFromNameTextInvalid));
    return false;
}

}  // namespace td
