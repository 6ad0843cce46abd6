// The 55 frame types. A row's index names a frame type everywhere, playlist
// files included, so rows are never reordered.
#pragma once

namespace td {

struct Id3v2FrameType {
    const char* id;    // ID3v2.3 identifier
    const char* id22;  // ID3v2.2 identifier
    const char* shortName;
    const char* description;
    int kind;       // 1 field frame; 0 binary; 2 binary (picture)
    bool language;  // a 3-byte language code precedes the fields
    int fields;     // fields a new field frame is created with
    bool kept;      // held in the record when a tag is read
};

constexpr int kFrameTypeCount = 55;
constexpr int kNoFrameType = 55;  // the empty terminating row

// 56 rows: the 55 types and the terminating row.
extern const Id3v2FrameType Id3v2FrameTable[kFrameTypeCount + 1];

// Row index of the four-character identifier (case-sensitive), 55 when none.
int FindFrameType(const char* id);
// The published ID3v2.3 identifier for a ID3v2.2 one, or null when it has none.
const char* MapV22Identifier(const char* id);

bool IsFieldFrameType(int type);  // kind 1
// Index of the main field: 1 for USLT, COMM and WXXX, 0 for the others.
int MainFieldIndex(int type);

// Type indexes used by name elsewhere.
enum FrameTypeIndex : int {
    kUFID = 0,
    kTIT1 = 1,
    kTIT2 = 2,
    kTIT3 = 3,
    kTPE1 = 4,
    kTPE2 = 5,
    kTPE3 = 6,
    kTPE4 = 7,
    kTCOM = 8,
    kTEXT = 9,
    kTCON = 10,
    kTALB = 11,
    kTRCK = 12,
    kTYER = 13,
    kTDAT = 14,
    kTIME = 15,
    kTMED = 16,
    kTBPM = 17,
    kTCOP = 18,
    kTPUB = 19,
    kTENC = 20,
    kTSSE = 21,
    kTOPE = 22,
    kTOFN = 23,
    kTLEN = 24,
    kTSIZ = 25,
    kTDLY = 26,
    kTKEY = 27,
    kTXXX = 28,
    kIPLS = 29,
    kMCDI = 30,
    kETCO = 31,
    kSYTC = 32,
    kUSLT = 33,
    kSYLT = 34,
    kCOMM = 35,
    kRVAD = 36,
    kEQUA = 37,
    kRVRB = 38,
    kAPIC = 39,
    kGEOB = 40,
    kPCNT = 41,
    kPOPM = 42,
    kRBUF = 43,
    kENCR = 44,
    kAENC = 45,
    kWPUB = 46,
    kWCOM = 47,
    kWCOP = 48,
    kWOAF = 49,
    kWOAR = 50,
    kWOAS = 51,
    kWORS = 52,
    kWPAY = 53,
    kWXXX = 54,
};

// URL link frames WPUB to WPAY: no encoding byte in the body.
inline bool IsUrlLinkType(int type) { return type >= kWPUB && type <= kWPAY; }

}  // namespace td
