#include "tags/id3v2/frame_table.h"

#include <cstring>

namespace td {

// Row order and the v2.2 column are part of the playlist file format and stay
// as they were first published, errors included; reading ID3v2.2 tags uses
// kV22Map below instead of the v2.2 column.
const Id3v2FrameType Id3v2FrameTable[kFrameTypeCount + 1] = {
    {"UFID", "UMI", "MP3 Ident", "Unique MP3 Identifier", 0, false, 0, false},
    {"TIT1", "TT1", "Group", "Content group description", 1, false, 1, true},
    {"TIT2", "TT2", "Title", "Title/Songname/Content description", 1, false, 1, true},
    {"TIT3", "TT3", "Opus", "Subtitle/Description refinement", 1, false, 1, true},
    {"TPE1", "TP1", "Artist", "Lead artist/Lead performer/Soloist", 1, false, 1, true},
    {"TPE2", "TP2", "Orchestra", "Band/Orchestra/Accompaniment", 1, false, 1, true},
    {"TPE3", "TP3", "Conductor", "Conductor/Performer refinement", 1, false, 1, true},
    {"TPE4", "TP4", "Remixed", "Interpreted, remixed, or otherwise modified by", 1, false, 1, true},
    {"TCOM", "TCM", "Composer", "Composer", 1, false, 1, true},
    {"TEXT", "TXT", "Lyricist", "Lyricist/text writer", 1, false, 1, true},
    {"TCON", "TCO", "Genre", "Content type", 1, false, 1, true},
    {"TALB", "TAL", "Album", "Album/movie/show title", 1, false, 1, true},
    {"TRCK", "TRK", "Track", "Track number on album", 1, false, 1, true},
    {"TYER", "TYE", "Year", "Year", 1, false, 1, true},
    {"TDAT", "TDA", "Date", "Date", 1, false, 1, true},
    {"TIME", "TIM", "Time", "Time", 1, false, 1, true},
    {"TMED", "TMT", "Media", "Media type", 1, false, 1, false},
    {"TBPM", "TBM", "BPM", "BPM (median value of main music)", 1, false, 1, true},
    {"TCOP", "TCR", "Copyright", "Copyright message", 1, false, 1, true},
    {"TPUB", "TPB", "Publisher", "Publisher", 1, false, 1, true},
    {"TENC", "TMB", "Encoded by", "Encoded by", 1, false, 1, true},
    {"TSSE", "TSS", "Encoding setting", "Software/hardware and settings used for mpeg coding", 1, false, 1,
     true},
    {"TOPE", "TXX", "Orig. Artist", "Original artist(s)/performer(s)", 1, false, 1, true},
    {"TOFN", "TOF", "Orig. file", "Original filename", 1, false, 1, true},
    {"TLEN", "TLE", "Length", "Length", 1, false, 1, false},
    {"TSIZ", "TSI", "Size", "Size", 1, false, 1, true},
    {"TDLY", "TDY", "Playlist delay", "Playlist delay", 1, false, 1, false},
    {"TKEY", "TKE", "Init key", "Initial key", 1, false, 1, true},
    {"TXXX", "TXX", "User info", "User defined text information frame", 1, false, 0, false},
    {"IPLS", "IPL", "Involved people", "Involved people list", 1, false, 1, true},
    {"MCDI", "MCI", "CD Identifier", "Music CD Identifier", 0, false, 0, false},
    {"ETCO", "ETC", "Event timing", "Event timing codes", 0, false, 0, false},
    {"SYTC", "STC", "Synced tempo", "Synced tempo codes", 0, false, 0, false},
    {"USLT", "ULT", "Unsynched lyric", "Unsychronized lyric/text", 1, true, 2, true},
    {"SYLT", "SLT", "Synched lyric", "Synchronized lyric/text", 0, false, 0, false},
    {"COMM", "COM", "Comment", "Comments", 1, true, 2, true},
    {"RVAD", "RVA", "Relative Volume adjust", "Relative volume adjustment", 0, false, 0, false},
    {"EQUA", "EQU", "Equalization", "Equalization", 0, false, 0, false},
    {"RVRB", "REV", "Reverb", "Reverb", 0, false, 0, false},
    {"APIC", "PIC", "Picture", "Attached picture", 2, false, 0, true},
    {"GEOB", "GEO", "Object", "General encapsulated object", 0, false, 0, false},
    {"PCNT", "CNT", "Play counter", "Play counter", 0, false, 0, false},
    {"POPM", "POP", "Popularimeter", "Popularimeter", 0, false, 0, true},
    {"RBUF", "BUF", "Buffer", "Recommended buffer size", 0, false, 0, false},
    {"ENCR", "CRM", "Encrypt", "Encrypted meta frame", 0, false, 0, false},
    {"AENC", "CRA", "Audio encrypt", "Audio encryption", 0, false, 0, false},
    {"WPUB", "TWW", "Official webpage", "Official webpage", 1, false, 1, true},
    {"WCOM", "WXX", "Commercial information", "Commercial information", 1, false, 1, true},
    {"WCOP", "WXX", "Copyright/Legal information", "Copyright/Legal information", 1, false, 1, true},
    {"WOAF", "WXX", "Official audio file webpage", "Official audio file webpage", 1, false, 1, true},
    {"WOAR", "WXX", "Official artist/performer webpage", "Official artist/performer webpage", 1, false, 1,
     true},
    {"WOAS", "WXX", "Official audio source webpage", "Official audio source webpage", 1, false, 1, true},
    {"WORS", "WXX", "Official internet radio station homepage", "Official internet radio station homepage", 1,
     false, 1, true},
    {"WPAY", "WXX", "Payment", "Payment", 1, false, 1, true},
    {"WXXX", "WXX", "URL", "General URL", 1, false, 2, true},
    {"", "", "", "", 0, false, 0, false},
};

namespace {

struct V22Mapping {
    const char* v22;
    const char* v23;
};

// The published ID3v2.2 identifiers and their ID3v2.3 successors. Frames whose
// body layout changed between the versions in a way we cannot convert (CRM,
// an encrypted meta frame with no ID3v2.3 counterpart; LNK, whose body holds
// three-letter identifiers) are left out and so dropped. PIC keeps its place:
// the reader rewrites its body as an APIC body.
constexpr V22Mapping kV22Map[] = {
    {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"}, {"EQU", "EQUA"},
    {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"MCI", "MCDI"}, {"MLL", "MLLT"}, {"PIC", "APIC"}, {"POP", "POPM"},
    {"REV", "RVRB"}, {"RVA", "RVAD"}, {"SLT", "SYLT"}, {"STC", "SYTC"}, {"TAL", "TALB"}, {"TBP", "TBPM"},
    {"TCM", "TCOM"}, {"TCO", "TCON"}, {"TCR", "TCOP"}, {"TDA", "TDAT"}, {"TDY", "TDLY"}, {"TEN", "TENC"},
    {"TFT", "TFLT"}, {"TIM", "TIME"}, {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"}, {"TMT", "TMED"},
    {"TOA", "TOPE"}, {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"}, {"TP1", "TPE1"},
    {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TPB", "TPUB"}, {"TRC", "TSRC"},
    {"TRD", "TRDA"}, {"TRK", "TRCK"}, {"TSI", "TSIZ"}, {"TSS", "TSSE"}, {"TT1", "TIT1"}, {"TT2", "TIT2"},
    {"TT3", "TIT3"}, {"TXT", "TEXT"}, {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"}, {"ULT", "USLT"},
    {"WAF", "WOAF"}, {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"}, {"WPB", "WPUB"},
    {"WXX", "WXXX"},
};

}  // namespace

int FindFrameType(const char* id) {
    if (id == nullptr) return kNoFrameType;
    for (int i = 0; i < kFrameTypeCount; ++i) {
        if (std::strncmp(id, Id3v2FrameTable[i].id, 4) == 0) return i;
    }
    return kNoFrameType;
}

const char* MapV22Identifier(const char* id) {
    if (id == nullptr) return nullptr;
    for (const V22Mapping& m : kV22Map) {
        if (std::strncmp(id, m.v22, 3) == 0) return m.v23;
    }
    return nullptr;
}

bool IsFieldFrameType(int type) {
    return type >= 0 && type < kFrameTypeCount && Id3v2FrameTable[type].kind == 1;
}

int MainFieldIndex(int type) { return (type == kUSLT || type == kCOMM || type == kWXXX) ? 1 : 0; }

}  // namespace td
