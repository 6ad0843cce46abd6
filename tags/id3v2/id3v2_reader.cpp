// Reading whole ID3v2.2, 2.3 and 2.4 tags into frame lists.
//
// The tag is parsed from memory. Every size read from the data is checked
// against what remains before anything is allocated or copied, so that a
// damaged or hostile tag can only end the walk, never overrun a buffer.
// Frames are delivered in ID3v2.3 form: that is the version the writer
// produces, and a carried frame must be valid in the tag it is written into.
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/text_codec.h"
#include "tags/id3v2/frame_table.h"
#include "tags/id3v2/id3v2_flags.h"
#include "tags/id3v2/id3v2_tag.h"

namespace td {

namespace {

// Compressed frames state their inflated size; larger claims are refused
// rather than allocated.
constexpr uint32_t kMaxInflatedSize = 16u << 20;

using Bytes = std::vector<uint8_t>;

uint32_t Be32(const uint8_t* b) {
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}
uint32_t Be24(const uint8_t* b) { return (uint32_t(b[0]) << 16) | (uint32_t(b[1]) << 8) | b[2]; }
// The ID3v2.3 flags of a frame; the rest have no meaning there.
constexpr uint8_t kFrameFormatFlags = kFrameCompressed | kFrameEncrypted | kFrameGrouped;
// The status flags a frame written back keeps.
constexpr uint8_t kFrameKeptStatus = kFrameFileAlter | kFrameReadOnly;

// ID3v2.4 status flags in their ID3v2.3 places.
uint8_t StatusFrom24(uint8_t status24) {
    return static_cast<uint8_t>(((status24 & kFrame24TagAlter) ? kFrameTagAlter : 0) |
                                ((status24 & kFrame24FileAlter) ? kFrameFileAlter : 0) |
                                ((status24 & kFrame24ReadOnly) ? kFrameReadOnly : 0));
}

bool IsSynchsafe(const uint8_t* b) { return ((b[0] | b[1] | b[2] | b[3]) & 0x80) == 0; }
uint32_t Synchsafe32(const uint8_t* b) {
    return (uint32_t(b[0] & 0x7F) << 21) | (uint32_t(b[1] & 0x7F) << 14) | (uint32_t(b[2] & 0x7F) << 7) |
           (b[3] & 0x7F);
}

bool IsIdChar(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }
bool IsValidId(const uint8_t* p, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (!IsIdChar(p[i])) return false;
    }
    return true;
}

// The 10-byte tag header:
//   "ID3"  major  revision  flags  size
//   3      1      1         1      4 synchsafe (7 bits a byte), tag after the header
bool ParseHeader(const uint8_t* b, Id3v2Header& header) {
    if (b[0] != 'I' || b[1] != 'D' || b[2] != '3' || !IsSynchsafe(b + 6)) return false;
    header.major = b[3];
    header.revision = b[4];
    header.flags = b[5];
    header.size = Synchsafe32(b + 6);
    return true;
}

// Unsynchronisation put a zero byte after every 0xFF; take them out again.
void UndoUnsync(const uint8_t* in, size_t n, Bytes& out) {
    out.clear();
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        out.push_back(in[i]);
        if (in[i] == 0xFF && i + 1 < n && in[i + 1] == 0x00) ++i;
    }
}

// Inflates a zlib stream that must yield exactly `expected` bytes.
bool Inflate(const uint8_t* src, size_t n, uint32_t expected, Bytes& out) {
    if (expected > kMaxInflatedSize) return false;
    out.assign(expected == 0 ? 1 : expected, 0);
    uLongf length = expected;
    if (uncompress(out.data(), &length, src, static_cast<uLong>(n)) != Z_OK) return false;
    if (length != expected) return false;
    out.resize(expected);
    return true;
}

// --- text re-encoding (ID3v2.4 encodings 2 and 3 have no ID3v2.3 form) -------

// Reads one string of `encoding` at `pos` (0 ISO-8859-1, 1 UTF-16 with BOM,
// 2 UTF-16BE, 3 UTF-8). Sets `terminated` when a terminator ended it.
std::u16string ReadString(const uint8_t* b, size_t n, size_t& pos, uint8_t encoding, bool& terminated) {
    terminated = false;
    std::u16string s;
    if (encoding == 0 || encoding == 3) {
        size_t len = 0;
        while (pos + len < n && b[pos + len] != 0) ++len;
        if (encoding == 0) {
            s.reserve(len);
            for (size_t i = 0; i < len; ++i) s.push_back(char16_t(b[pos + i]));
        } else {
            s = text::Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(b + pos), len));
        }
        terminated = pos + len < n;
        pos += len + (terminated ? 1 : 0);
        return s;
    }
    bool bigEndian = encoding == 2;
    if (encoding == 1 && pos + 1 < n) {
        if (b[pos] == 0xFF && b[pos + 1] == 0xFE) {
            pos += 2;
        } else if (b[pos] == 0xFE && b[pos + 1] == 0xFF) {
            bigEndian = true;
            pos += 2;
        }
    }
    while (pos + 1 < n) {
        char16_t unit =
            bigEndian ? char16_t((b[pos] << 8) | b[pos + 1]) : char16_t(b[pos] | (b[pos + 1] << 8));
        pos += 2;
        if (unit == 0) {
            terminated = true;
            break;
        }
        s.push_back(unit);
    }
    if (!terminated) pos = n;  // a lone trailing byte belongs to nothing
    return s;
}

// Appends `s` as UTF-16LE with a byte order mark (encoding 1), or as
// ISO-8859-1 bytes (encoding 0; every unit is below 256 then).
void AppendString(Bytes& out, const std::u16string& s, uint8_t encoding, bool terminate) {
    if (encoding == 0) {
        for (char16_t c : s) out.push_back(static_cast<uint8_t>(c));
        if (terminate) out.push_back(0);
        return;
    }
    out.push_back(0xFF);
    out.push_back(0xFE);
    for (char16_t c : s) {
        out.push_back(static_cast<uint8_t>(c & 0xFF));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    if (terminate) {
        out.push_back(0);
        out.push_back(0);
    }
}

// Reads every string from `pos` to the end.
std::vector<std::u16string> ReadStrings(const uint8_t* b, size_t n, size_t pos, uint8_t encoding,
                                        bool& trailingTerminator) {
    std::vector<std::u16string> strings;
    trailingTerminator = false;
    while (pos < n) {
        strings.push_back(ReadString(b, n, pos, encoding, trailingTerminator));
    }
    return strings;
}

void AppendStrings(Bytes& out, const std::vector<std::u16string>& strings, uint8_t encoding,
                   bool trailingTerminator) {
    for (size_t i = 0; i < strings.size(); ++i) {
        AppendString(out, strings[i], encoding, i + 1 < strings.size() || trailingTerminator);
    }
}

// ID3v2.3 separates several people in these frames with "/", ID3v2.4 with zeros.
bool JoinsWithSlash(const char* id) {
    static const char* const kIds[] = {"TPE1", "TPE2", "TPE3", "TPE4", "TCOM", "TEXT", "TOPE", "TOLY"};
    for (const char* k : kIds) {
        if (std::memcmp(id, k, 4) == 0) return true;
    }
    return false;
}

// A text frame (T*** and TXXX) body in ID3v2.3 form.
Bytes ConvertTextBody(const char* id, const uint8_t* b, size_t n) {
    if (n == 0) return Bytes();
    const uint8_t encoding = b[0];
    if (encoding > 3) return Bytes(b, b + n);
    bool trailing = false;
    std::vector<std::u16string> strings = ReadStrings(b, n, 1, encoding, trailing);
    const bool join = JoinsWithSlash(id) && strings.size() > 1;
    if (encoding <= 1 && !join) return Bytes(b, b + n);
    if (join) {
        std::u16string joined;
        for (const std::u16string& s : strings) {
            if (s.empty()) continue;
            if (!joined.empty()) joined.push_back(u'/');
            joined += s;
        }
        strings.assign(1, joined);
        trailing = false;
    }
    const uint8_t outEncoding = encoding == 0 ? 0 : 1;
    Bytes out;
    out.push_back(outEncoding);
    AppendStrings(out, strings, outEncoding, trailing);
    return out;
}

// `prefix` bytes after the encoding byte are copied as they are (a language
// code), then every string is re-encoded (COMM, USLT, USER).
Bytes ConvertPrefixedStrings(const uint8_t* b, size_t n, size_t prefix) {
    if (n < 1 + prefix || b[0] < 2 || b[0] > 3) return Bytes(b, b + n);
    bool trailing = false;
    std::vector<std::u16string> strings = ReadStrings(b, n, 1 + prefix, b[0], trailing);
    Bytes out(b, b + 1 + prefix);
    out[0] = 1;
    AppendStrings(out, strings, 1, trailing);
    return out;
}

// Encoding, description in that encoding, then an ISO-8859-1 URL.
Bytes ConvertWxxxBody(const uint8_t* b, size_t n) {
    if (n < 1 || b[0] < 2 || b[0] > 3) return Bytes(b, b + n);
    size_t pos = 1;
    bool terminated = false;
    std::u16string description = ReadString(b, n, pos, b[0], terminated);
    Bytes out{1};
    AppendString(out, description, 1, true);
    out.insert(out.end(), b + pos, b + n);
    return out;
}

// Encoding, ISO-8859-1 MIME type, then `strings` strings in the encoding and,
// when `typeByte`, a picture type between the MIME type and the strings
// (APIC); the rest is copied (APIC, GEOB).
Bytes ConvertMimeBody(const uint8_t* b, size_t n, bool typeByte, int strings) {
    if (n < 1 || b[0] < 2 || b[0] > 3) return Bytes(b, b + n);
    size_t pos = 1;
    while (pos < n && b[pos] != 0) ++pos;
    if (pos >= n) return Bytes(b, b + n);
    ++pos;
    if (typeByte) {
        if (pos >= n) return Bytes(b, b + n);
        ++pos;
    }
    Bytes out(b, b + pos);
    out[0] = 1;
    for (int i = 0; i < strings; ++i) {
        bool terminated = false;
        std::u16string s = ReadString(b, n, pos, b[0], terminated);
        if (!terminated) return Bytes(b, b + n);  // no room left for the data
        AppendString(out, s, 1, true);
    }
    out.insert(out.end(), b + pos, b + n);
    return out;
}

// Where the data of an APIC or GEOB body in encoding 2 or 3 begins (after the
// MIME type, the picture type and `strings` strings), or 0 when that is not
// within the first `n` bytes.
size_t MimeHeadEnd(const uint8_t* b, size_t n, bool typeByte, int strings) {
    if (n < 1) return 0;
    size_t pos = 1;
    while (pos < n && b[pos] != 0) ++pos;
    if (pos >= n) return 0;
    ++pos;
    if (typeByte) {
        if (pos >= n) return 0;
        ++pos;
    }
    for (int i = 0; i < strings; ++i) {
        bool terminated = false;
        ReadString(b, n, pos, b[0], terminated);
        if (!terminated) return 0;
    }
    return pos;
}

// The first string of a text frame as plain ASCII (for time stamps).
std::string FirstAsciiString(const uint8_t* b, size_t n) {
    if (n < 1 || b[0] > 3) return std::string();
    size_t pos = 1;
    bool terminated = false;
    std::u16string s = ReadString(b, n, pos, b[0], terminated);
    std::string ascii;
    for (char16_t c : s) {
        if (c >= 0x80) break;
        ascii.push_back(static_cast<char>(c));
    }
    return ascii;
}

bool AllDigits(const std::string& s, size_t from, size_t count) {
    if (s.size() < from + count) return false;
    for (size_t i = from; i < from + count; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
    }
    return true;
}

Bytes Latin1TextBody(const std::string& text) {
    Bytes out(text.size() + 1, 0);
    if (!text.empty()) std::memcpy(out.data() + 1, text.data(), text.size());
    return out;
}

// ID3v2.2 PIC: encoding, three-letter image format, picture type,
// description, data. ID3v2.3 APIC states a MIME type instead of the format.
bool ConvertPicBody(const uint8_t* b, size_t n, Bytes& out) {
    if (n < 5) return false;
    std::string format(reinterpret_cast<const char*>(b + 1), 3);
    std::string mime;
    if (format == "-->") {
        mime = format;  // the data is a URL to the picture
    } else {
        std::string lower;
        for (char c : format) {
            if (c == 0 || c == ' ') break;
            lower.push_back((c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c);
        }
        if (lower == "jpg") lower = "jpeg";
        mime = "image/" + lower;
    }
    out.clear();
    out.push_back(b[0]);
    out.insert(out.end(), mime.begin(), mime.end());
    out.push_back(0);
    out.insert(out.end(), b + 4, b + n);
    return true;
}

// --- the walk ---------------------------------------------------------------

struct WalkScore {
    int frames = 0;
    bool clean = false;  // ended exactly at the end of the tag or at padding
};

// Walks ID3v2.4 frame headers reading sizes as synchsafe or as plain integers.
WalkScore ScoreWalk(const uint8_t* data, size_t n, size_t pos, bool plain) {
    WalkScore score;
    while (pos + 10 <= n) {
        const uint8_t* h = data + pos;
        if (h[0] == 0) {
            score.clean = true;
            return score;
        }
        if (!IsValidId(h, 4)) return score;
        if (!plain && !IsSynchsafe(h + 4)) return score;
        const uint32_t size = plain ? Be32(h + 4) : Synchsafe32(h + 4);
        if (size > n - pos - 10) return score;
        pos += 10 + size;
        ++score.frames;
    }
    score.clean = pos == n || data[pos] == 0;
    return score;
}

// Whether the tag body starts with a frame header (four identifier characters
// and a size that fits) although the header announces an extended header. One
// writer sets that flag without writing the extended header; a real extended
// header never looks like this: its size field would claim 100 MB or more.
bool StartsWithFrame(const uint8_t* data, size_t n, bool v24) {
    if (n < 10 || !IsValidId(data, 4)) return false;
    const uint32_t size = v24 && IsSynchsafe(data + 4) ? Synchsafe32(data + 4) : Be32(data + 4);
    return size <= n - 10;
}

// --- frame bodies left in the file ----------------------------------------

// Bytes of a large body read into memory: enough for its encoding, MIME type
// and description, and for the check of the file before a rewrite.
constexpr size_t kLargeSample = 4096;
// Once the bodies read hold this many bytes, every body beyond a sample is
// left in the file as well: many frames just below the limit add up too.
constexpr size_t kReadBudget = 4u << 20;

// A frame whose body was left in the file. The tag image holds its header and
// the first `sample` bytes of the body.
struct LargeBody {
    size_t at = 0;        // the header's position in the tag image
    uint64_t offset = 0;  // the body's position in the file
    uint32_t size = 0;    // the whole body
    size_t sample = 0;
    uint8_t tail[16] = {};
    uint8_t tailSize = 0;
};

// How the tag was read from a file when large bodies were left out: where the
// frames begin in the image and how ID3v2.4 frame sizes are read (decided on
// the whole tag, which the image does not hold).
struct SparseTag {
    std::vector<LargeBody> large;
    size_t start = 0;
    bool plainSizes = false;
};

bool IsTextAgain(const char* id, uint8_t encoding) {
    return encoding <= 1 && !JoinsWithSlash(id) && std::strcmp(id, "TDRC") != 0 &&
           std::strcmp(id, "TDOR") != 0;
}

// Whether the body of a frame can be left in the file and copied back as it
// stands (after the bytes LeaveInFile takes from its sample). `h` is the frame
// header, `b` the first `n` bytes of its body.
bool CanLeaveInFile(const Id3v2Header& header, const uint8_t* h, const uint8_t* b, size_t n) {
    if (header.major != 4) return true;
    // Unsynchronised or compressed ID3v2.4 bodies must be decoded to be
    // written as ID3v2.3; encrypted ones are rebuilt in another layout.
    const uint8_t format = h[9];
    if ((header.flags & kId3Unsync) || (format & (kFrame24Compressed | kFrame24Encrypted | kFrame24Unsync))) {
        return false;
    }
    const size_t extra = ((format & kFrame24Grouped) ? 1 : 0) + ((format & kFrame24DataLength) ? 4 : 0);
    if (n <= extra) return false;
    const char id[5] = {char(h[0]), char(h[1]), char(h[2]), char(h[3]), 0};
    const uint8_t encoding = b[extra];
    if (id[0] == 'T') return IsTextAgain(id, encoding);
    if (std::strcmp(id, "COMM") == 0 || std::strcmp(id, "USLT") == 0 || std::strcmp(id, "USER") == 0 ||
        std::strcmp(id, "WXXX") == 0) {
        return encoding <= 1;
    }
    if (encoding >= 2 && encoding <= 3) {
        if (std::strcmp(id, "APIC") == 0) return MimeHeadEnd(b + extra, n - extra, true, 1) != 0;
        if (std::strcmp(id, "GEOB") == 0) return MimeHeadEnd(b + extra, n - extra, false, 2) != 0;
    }
    return true;
}

class TagParser {
public:
    TagParser(const Id3v2Header& header, FrameList& frames, CarriedFrameList* carried,
              const SparseTag* sparse = nullptr)
        : header_(header), frames_(frames), carried_(carried), sparse_(sparse) {}

    Id3v2Error Parse(const uint8_t* data, size_t n);

private:
    Id3v2Error ParseFrames(const uint8_t* data, size_t n, size_t pos);
    void LeaveInFile(const uint8_t* h, const LargeBody& large);
    Id3v2Error Frame22(const uint8_t* h, const uint8_t* body, size_t size);
    Id3v2Error Frame23(const uint8_t* h, const uint8_t* body, size_t size);
    Id3v2Error Frame24(const uint8_t* h, const uint8_t* body, size_t size);
    Id3v2Error Deliver24(const char* id, uint8_t status, const uint8_t* body, size_t size);
    Id3v2Error Deliver(const char* id, uint8_t status, const uint8_t* body, size_t size);
    void Carry(const char* id, uint8_t status, uint8_t format, const uint8_t* body, size_t size);

    const Id3v2Header& header_;
    FrameList& frames_;
    CarriedFrameList* carried_;
    const SparseTag* sparse_;
    size_t nextLarge_ = 0;
    bool plainSizes_ = false;
};

Id3v2Error TagParser::Parse(const uint8_t* data, size_t n) {
    const int major = header_.major;
    Bytes resynced;
    // ID3v2.2 defined a compression flag but never a compression scheme.
    if (major == 2 && (header_.flags & kId3ExtendedHeader)) return Id3v2Error::TagCorrupt;
    if (sparse_ != nullptr) {
        plainSizes_ = sparse_->plainSizes;
        return ParseFrames(data, n, sparse_->start);
    }
    if (major == 2) {
        if (header_.flags & kId3Unsync) {
            UndoUnsync(data, n, resynced);
            data = resynced.data();
            n = resynced.size();
        }
        return ParseFrames(data, n, 0);
    }
    if (major == 3) {
        if (header_.flags & kId3Unsync) {
            UndoUnsync(data, n, resynced);
            data = resynced.data();
            n = resynced.size();
        }
        size_t pos = 0;
        if ((header_.flags & kId3ExtendedHeader) && !StartsWithFrame(data, n, false)) {
            // The extended header's size does not count its own four bytes.
            if (n < 4) return Id3v2Error::NoError;
            const uint64_t extended = 4 + uint64_t(Be32(data));
            if (extended > n) return Id3v2Error::NoError;
            pos = static_cast<size_t>(extended);
        }
        return ParseFrames(data, n, pos);
    }
    if (major == 4) {
        size_t pos = 0;
        if ((header_.flags & kId3ExtendedHeader) && !StartsWithFrame(data, n, true)) {
            // Synchsafe, and counting itself.
            if (n < 6 || !IsSynchsafe(data)) return Id3v2Error::NoError;
            const uint32_t extended = Synchsafe32(data);
            if (extended < 6 || extended > n) return Id3v2Error::NoError;
            pos = extended;
        }
        // Some writers stored plain sizes in ID3v2.4 frame headers. Read them
        // that way when it explains the tag better than synchsafe sizes do.
        const WalkScore synchsafe = ScoreWalk(data, n, pos, false);
        const WalkScore plain = ScoreWalk(data, n, pos, true);
        plainSizes_ = plain.frames > synchsafe.frames ||
                      (plain.frames == synchsafe.frames && plain.clean && !synchsafe.clean);
        return ParseFrames(data, n, pos);
    }
    // Major versions 0 and 1 never existed; read them like 2.3 without flags.
    return ParseFrames(data, n, 0);
}

Id3v2Error TagParser::ParseFrames(const uint8_t* data, size_t n, size_t pos) {
    const size_t headerSize = header_.major == 2 ? 6 : 10;
    const size_t idLength = header_.major == 2 ? 3 : 4;
    while (n - pos >= headerSize) {
        const uint8_t* h = data + pos;
        if (sparse_ != nullptr && nextLarge_ < sparse_->large.size() &&
            sparse_->large[nextLarge_].at == pos) {
            const LargeBody& large = sparse_->large[nextLarge_++];
            LeaveInFile(h, large);
            pos += headerSize + large.sample;
            continue;
        }
        if (!IsValidId(h, idLength)) break;  // padding or garbage ends the tag
        uint32_t size;
        if (header_.major == 2) {
            size = Be24(h + 3);
        } else if (header_.major == 4 && !plainSizes_) {
            if (!IsSynchsafe(h + 4)) break;
            size = Synchsafe32(h + 4);
        } else {
            size = Be32(h + 4);
        }
        if (size > n - pos - headerSize) break;  // overruns the tag
        const uint8_t* body = h + headerSize;
        pos += headerSize + size;

        // A frame that fits but cannot be decoded is passed over (and carried
        // where it can be), so that it takes no later frame with it.
        Id3v2Error rc = Id3v2Error::NoError;
        if (header_.major == 2) {
            rc = Frame22(h, body, size);
        } else if (header_.major == 4) {
            rc = Frame24(h, body, size);
        } else {
            rc = Frame23(h, body, size);
        }
        if (rc != Id3v2Error::NoError) return rc;
    }
    return Id3v2Error::NoError;
}

Id3v2Error TagParser::Frame22(const uint8_t* h, const uint8_t* body, size_t size) {
    char id22[4] = {char(h[0]), char(h[1]), char(h[2]), 0};
    const char* id = MapV22Identifier(id22);
    if (id == nullptr) return Id3v2Error::NoError;  // no ID3v2.3 counterpart: cannot be written back
    if (std::strcmp(id, "APIC") == 0) {
        Bytes apic;
        if (!ConvertPicBody(body, size, apic)) return Id3v2Error::NoError;
        return Deliver(id, 0, apic.data(), apic.size());
    }
    return Deliver(id, 0, body, size);
}

Id3v2Error TagParser::Frame23(const uint8_t* h, const uint8_t* body, size_t size) {
    char id[5] = {char(h[0]), char(h[1]), char(h[2]), char(h[3]), 0};
    if (header_.major < 3) return Deliver(id, 0, body, size);  // flags count as 0
    const uint8_t status = h[8];
    const uint8_t format = h[9];
    // Encrypted, or compressed or grouped without room for what that needs,
    // or a stream that does not inflate: nothing can be decoded, so the frame
    // travels as it is.
    const bool compressed = (format & kFrameCompressed) != 0;
    const size_t extra = (compressed ? 4 : 0) + ((format & kFrameGrouped) ? 1 : 0);
    Bytes plain;
    if ((format & kFrameEncrypted) || size < extra ||
        (compressed && !Inflate(body + extra, size - extra, Be32(body), plain))) {
        Carry(id, status, format & kFrameFormatFlags, body, size);
        return Id3v2Error::NoError;
    }
    if (compressed) return Deliver(id, status, plain.data(), plain.size());
    return Deliver(id, status, body + extra, size - extra);  // after the group identifier
}

Id3v2Error TagParser::Frame24(const uint8_t* h, const uint8_t* body, size_t size) {
    char id[5] = {char(h[0]), char(h[1]), char(h[2]), char(h[3]), 0};
    const uint8_t status24 = h[8];
    const uint8_t format = h[9];
    const uint8_t status = StatusFrom24(status24);
    const bool grouped = (format & kFrame24Grouped) != 0;
    const bool compressed = (format & kFrame24Compressed) != 0;
    const bool encrypted = (format & kFrame24Encrypted) != 0;
    const bool unsync = (format & kFrame24Unsync) != 0 || (header_.flags & kId3Unsync) != 0;
    const bool hasLength = (format & kFrame24DataLength) != 0;

    // Extra bytes follow the header in flag order: group, method, data length.
    const size_t extra = (grouped ? 1 : 0) + (encrypted ? 1 : 0) + (hasLength ? 4 : 0);
    if (size < extra) return Id3v2Error::NoError;  // its flags ask for more than it holds
    size_t pos = 0;
    uint8_t group = 0, method = 0;
    uint32_t dataLength = 0;
    if (grouped) group = body[pos++];
    if (encrypted) method = body[pos++];
    if (hasLength) {
        dataLength = IsSynchsafe(body + pos) ? Synchsafe32(body + pos) : Be32(body + pos);
        pos += 4;
    }
    const uint8_t* data = body + pos;
    size_t n = size - pos;
    Bytes resynced;
    if (unsync) {
        UndoUnsync(data, n, resynced);
        data = resynced.data();
        n = resynced.size();
    }
    Bytes plain;
    if (encrypted || (compressed && (!hasLength || !Inflate(data, n, dataLength, plain)))) {
        // Undecodable: carried in ID3v2.3 layout (inflated size, method,
        // group, data), which needs the inflated size.
        if (compressed && !hasLength) return Id3v2Error::NoError;
        Bytes raw;
        if (compressed) {
            raw = {uint8_t(dataLength >> 24), uint8_t(dataLength >> 16), uint8_t(dataLength >> 8),
                   uint8_t(dataLength)};
        }
        if (encrypted) raw.push_back(method);
        if (grouped) raw.push_back(group);
        raw.insert(raw.end(), data, data + n);
        const uint8_t format23 =
            static_cast<uint8_t>((compressed ? kFrameCompressed : 0) | (encrypted ? kFrameEncrypted : 0) |
                                 (grouped ? kFrameGrouped : 0));
        Carry(id, status, format23, raw.data(), raw.size());
        return Id3v2Error::NoError;
    }
    if (compressed) return Deliver24(id, status, plain.data(), plain.size());
    return Deliver24(id, status, data, n);
}

// Converts an ID3v2.4 frame to its ID3v2.3 form and delivers it.
Id3v2Error TagParser::Deliver24(const char* id, uint8_t status, const uint8_t* b, size_t n) {
    if (std::strcmp(id, "TDRC") == 0 || std::strcmp(id, "TDOR") == 0) {
        // yyyy[-MM[-dd[THH[:mm[:ss]]]]]
        const std::string stamp = FirstAsciiString(b, n);
        if (AllDigits(stamp, 0, 4)) {
            const bool recording = id[2] == 'R';
            const Bytes year = Latin1TextBody(stamp.substr(0, 4));
            Id3v2Error rc = Deliver(recording ? "TYER" : "TORY", status, year.data(), year.size());
            if (rc != Id3v2Error::NoError || !recording) return rc;
            if (stamp.size() >= 10 && stamp[4] == '-' && AllDigits(stamp, 5, 2) && stamp[7] == '-' &&
                AllDigits(stamp, 8, 2)) {
                const Bytes date = Latin1TextBody(stamp.substr(8, 2) + stamp.substr(5, 2));
                rc = Deliver("TDAT", status, date.data(), date.size());
                if (rc != Id3v2Error::NoError) return rc;
                if (stamp.size() >= 16 && stamp[10] == 'T' && AllDigits(stamp, 11, 2) && stamp[13] == ':' &&
                    AllDigits(stamp, 14, 2)) {
                    const Bytes time = Latin1TextBody(stamp.substr(11, 2) + stamp.substr(14, 2));
                    rc = Deliver("TIME", status, time.data(), time.size());
                }
            }
            return rc;
        }
    }
    // Positions in the audio or the ID3v2.4 tag layout, wrong after a rewrite.
    if (std::strcmp(id, "SEEK") == 0 || std::strcmp(id, "ASPI") == 0) return Id3v2Error::NoError;
    if (id[0] == 'T') {
        const Bytes body = ConvertTextBody(id, b, n);
        // The involved people list has the same layout under its new name.
        const char* to = std::strcmp(id, "TIPL") == 0 ? "IPLS" : id;
        return Deliver(to, status, body.data(), body.size());
    }
    Bytes body;
    if (std::strcmp(id, "COMM") == 0 || std::strcmp(id, "USLT") == 0 || std::strcmp(id, "USER") == 0) {
        body = ConvertPrefixedStrings(b, n, 3);
    } else if (std::strcmp(id, "WXXX") == 0) {
        body = ConvertWxxxBody(b, n);
    } else if (std::strcmp(id, "APIC") == 0) {
        body = ConvertMimeBody(b, n, true, 1);
    } else if (std::strcmp(id, "GEOB") == 0) {
        body = ConvertMimeBody(b, n, false, 2);
    } else {
        return Deliver(id, status, b, n);
    }
    return Deliver(id, status, body.data(), body.size());
}

Id3v2Error TagParser::Deliver(const char* id, uint8_t status, const uint8_t* body, size_t size) {
    const int type = FindFrameType(id);
    if (type != kNoFrameType && Id3v2FrameTable[type].kept) {
        std::unique_ptr<Id3v2Frame> frame = CreateFrame(type);
        if (!frame) return Id3v2Error::OutOfMemory;
        const Id3v2Error rc = frame->SetData(size == 0 ? nullptr : body, static_cast<int>(size), 3);
        if (rc == Id3v2Error::OutOfMemory) return rc;
        if (rc == Id3v2Error::NoError) {
            frames_.push_back(std::move(frame));
            return Id3v2Error::NoError;
        }
        // An empty or malformed body (an encoding byte alone where a language
        // must follow, an unknown encoding) shows nothing, but the rest of
        // the tag is still good. The frame goes back into the file as it was.
    }
    Carry(id, status, 0, body, size);
    return Id3v2Error::NoError;
}

void TagParser::Carry(const char* id, uint8_t status, uint8_t format, const uint8_t* body, size_t size) {
    if (carried_ == nullptr) return;
    // Tag alter preservation: the frame asks to be discarded when the tag changes.
    if (status & kFrameTagAlter) return;
    // A frame body is at least one byte; an empty one carries nothing.
    if (size == 0) return;
    CarriedFrame frame;
    std::memcpy(frame.id, id, 4);
    frame.status = status & kFrameKeptStatus;
    frame.format = format;
    frame.body.assign(body, body + size);
    carried_->push_back(std::move(frame));
}

// The frame as Frame22/23/24 would carry it, with the body beyond its sample
// still in the file; dropped where they would drop it.
void TagParser::LeaveInFile(const uint8_t* h, const LargeBody& large) {
    if (carried_ == nullptr) return;
    const size_t headerSize = header_.major == 2 ? 6 : 10;
    const uint8_t* sample = h + headerSize;
    CarriedFrame frame;
    size_t skip = 0;
    if (header_.major == 2) {
        const char id22[4] = {char(h[0]), char(h[1]), char(h[2]), 0};
        const char* id = MapV22Identifier(id22);
        if (id == nullptr) return;
        std::memcpy(frame.id, id, 4);
        if (std::strcmp(id, "APIC") == 0) {
            // The image format becomes a MIME type; the picture type follows.
            if (large.sample < 5 || !ConvertPicBody(sample, 5, frame.body)) return;
            skip = 5;
        }
    } else if (header_.major == 4) {
        const uint8_t status24 = h[8];
        const uint8_t format = h[9];
        frame.status = StatusFrom24(status24);
        // The group identifier and the data length go, as in a decoded frame.
        skip = ((format & kFrame24Grouped) ? 1 : 0) + ((format & kFrame24DataLength) ? 4 : 0);
        const char id[5] = {char(h[0]), char(h[1]), char(h[2]), char(h[3]), 0};
        if (std::strcmp(id, "SEEK") == 0 || std::strcmp(id, "ASPI") == 0) return;
        std::memcpy(frame.id, std::strcmp(id, "TIPL") == 0 ? "IPLS" : id, 4);
        const uint8_t* b = sample + skip;
        const size_t n = large.sample - skip;
        const bool apic = std::strcmp(id, "APIC") == 0;
        if ((apic || std::strcmp(id, "GEOB") == 0) && b[0] >= 2 && b[0] <= 3) {
            const size_t end = MimeHeadEnd(b, n, apic, apic ? 1 : 2);
            frame.body = ConvertMimeBody(b, end, apic, apic ? 1 : 2);
            skip += end;
        }
    } else {
        std::memcpy(frame.id, h, 4);
        if (header_.major == 3) {
            frame.status = h[8];
            const uint8_t format = h[9];
            if (format & (kFrameCompressed | kFrameEncrypted)) {
                frame.format = format & kFrameFormatFlags;  // undecodable: travels as it is
            } else if (format & kFrameGrouped) {
                skip = 1;  // the group identifier goes, as in a decoded frame
            }
        }
    }
    // Tag alter preservation: the frame asks to be discarded when the tag changes.
    if (frame.status & kFrameTagAlter) return;
    frame.status &= kFrameKeptStatus;
    frame.fileOffset = large.offset + skip;
    frame.fileBytes = large.size - static_cast<uint32_t>(skip);
    if (frame.fileBytes == 0 && frame.body.empty()) return;
    frame.checkOffset = large.offset - headerSize;
    frame.checkSize = static_cast<uint8_t>(headerSize + std::min<size_t>(large.sample, 16));
    std::memcpy(frame.check, h, frame.checkSize);
    frame.tailSize = large.tailSize;
    std::memcpy(frame.tail, large.tail, large.tailSize);
    carried_->push_back(std::move(frame));
}

// Reads `size` bytes at `pos` of the tag body (after the 10-byte header).
bool ReadBodyAt(File& file, size_t pos, uint8_t* out, size_t size) {
    return file.Seek(10 + static_cast<uint64_t>(pos)) && ReadFully(file, out, size) == size;
}

// ScoreWalk on the tag in the file, frame header by frame header.
bool ScoreWalkFile(File& file, size_t n, size_t pos, bool plain, WalkScore& score) {
    score = WalkScore();
    uint8_t h[10];
    while (pos + 10 <= n) {
        if (!ReadBodyAt(file, pos, h, 10)) return false;
        if (h[0] == 0) {
            score.clean = true;
            return true;
        }
        if (!IsValidId(h, 4)) return true;
        if (!plain && !IsSynchsafe(h + 4)) return true;
        const uint32_t size = plain ? Be32(h + 4) : Synchsafe32(h + 4);
        if (size > n - pos - 10) return true;
        pos += 10 + size;
        ++score.frames;
    }
    if (pos == n) {
        score.clean = true;
    } else {
        if (!ReadBodyAt(file, pos, h, 1)) return false;
        score.clean = h[0] == 0;
    }
    return true;
}

// Reads the `n` body bytes of the tag at the head of `file` as the parser
// needs them: every byte up to where the frame walk ends, except the bodies
// larger than `largeBody` that can stay in the file, of which only a sample
// is read. The walk follows the parser's rules exactly (Parse, ParseFrames).
Id3v2Error ReadSparse(File& file, const Id3v2Header& header, size_t n, uint32_t largeBody, Bytes& image,
                      SparseTag& sparse) {
    const size_t headerSize = header.major == 2 ? 6 : 10;
    const size_t idLength = header.major == 2 ? 3 : 4;
    uint8_t first[10] = {};
    const size_t firstSize = std::min<size_t>(n, sizeof first);
    if (!ReadBodyAt(file, 0, first, firstSize)) return Id3v2Error::ReadFailed;
    size_t pos = 0;
    if (header.major == 3 && (header.flags & kId3ExtendedHeader) && !StartsWithFrame(first, n, false)) {
        if (n < 4) return Id3v2Error::NoError;
        const uint64_t extended = 4 + uint64_t(Be32(first));
        pos = extended > n ? n : static_cast<size_t>(extended);
    }
    if (header.major == 4) {
        if ((header.flags & kId3ExtendedHeader) && !StartsWithFrame(first, n, true)) {
            const uint32_t extended = n >= 6 && IsSynchsafe(first) ? Synchsafe32(first) : 0;
            pos = extended < 6 || extended > n ? n : extended;
        }
        WalkScore synchsafe, plain;
        if (!ScoreWalkFile(file, n, pos, false, synchsafe) || !ScoreWalkFile(file, n, pos, true, plain)) {
            return Id3v2Error::ReadFailed;
        }
        sparse.plainSizes = plain.frames > synchsafe.frames ||
                            (plain.frames == synchsafe.frames && plain.clean && !synchsafe.clean);
    }
    // The image begins with the first frame: the parser never looks back at
    // an extended header.
    sparse.start = 0;
    image.clear();
    size_t bodies = 0;
    while (n - pos >= headerSize) {
        uint8_t h[10];
        if (!ReadBodyAt(file, pos, h, headerSize)) return Id3v2Error::ReadFailed;
        if (!IsValidId(h, idLength)) break;
        uint32_t size;
        if (header.major == 2) {
            size = Be24(h + 3);
        } else if (header.major == 4 && !sparse.plainSizes) {
            if (!IsSynchsafe(h + 4)) break;
            size = Synchsafe32(h + 4);
        } else {
            size = Be32(h + 4);
        }
        if (size > n - pos - headerSize) break;
        const size_t at = image.size();
        const size_t bodyPos = pos + headerSize;
        const size_t sample = std::min<size_t>(size, kLargeSample);
        image.insert(image.end(), h, h + headerSize);
        image.resize(at + headerSize + sample);
        uint8_t* b = image.data() + at + headerSize;
        if (!ReadBodyAt(file, bodyPos, b, sample)) return Id3v2Error::ReadFailed;
        const bool large = size > largeBody || (bodies > kReadBudget && size > sample);
        if (large && CanLeaveInFile(header, h, b, sample)) {
            LargeBody body;
            body.at = at;
            body.offset = 10 + static_cast<uint64_t>(bodyPos);
            body.size = size;
            body.sample = sample;
            body.tailSize = static_cast<uint8_t>(std::min<size_t>(size, sizeof body.tail));
            if (!ReadBodyAt(file, bodyPos + size - body.tailSize, body.tail, body.tailSize)) {
                return Id3v2Error::ReadFailed;
            }
            sparse.large.push_back(body);
        } else {
            image.resize(at + headerSize + size);
            b = image.data() + at + headerSize;
            if (!ReadBodyAt(file, bodyPos + sample, b + sample, size - sample)) {
                return Id3v2Error::ReadFailed;
            }
            bodies += size;
        }
        pos = bodyPos + size;
    }
    return Id3v2Error::NoError;
}

Id3v2Error ParseTag(const Id3v2Header& header, const uint8_t* data, size_t n, FrameList& frames,
                    CarriedFrameList* carried, const SparseTag* sparse = nullptr) {
    try {
        TagParser parser(header, frames, carried, sparse);
        return parser.Parse(data, n);
    } catch (const std::bad_alloc&) {
        return Id3v2Error::OutOfMemory;
    }
}

}  // namespace

Id3v2Error ReadId3v2Header(File& file, Id3v2Header& header) {
    uint8_t b[10];
    if (file.Read(b, sizeof b) != sizeof b) return Id3v2Error::ReadFailed;
    Id3v2Header h;
    if (!ParseHeader(b, h)) return Id3v2Error::NoTag;
    header = h;
    return Id3v2Error::NoError;
}

Id3v2Error ReadId3v2Frames(const uint8_t* head, size_t size, FrameList& frames, uint32_t& tagSize,
                           CarriedFrameList* carried, size_t& needMore) {
    tagSize = 0;
    needMore = 0;
    if (head == nullptr) size = 0;
    if (size < 10) {
        // Only a beginning of "ID3" can still turn out to be a tag.
        static const char kMagic[] = "ID3";
        for (size_t i = 0; i < size && i < 3; ++i) {
            if (head[i] != static_cast<uint8_t>(kMagic[i])) return Id3v2Error::NoTag;
        }
        needMore = 10;
        return Id3v2Error::ReadFailed;
    }
    Id3v2Header header;
    if (!ParseHeader(head, header)) return Id3v2Error::NoTag;
    tagSize = header.TotalSize();
    if (header.major >= 5) return Id3v2Error::NoTag;
    const size_t needed = 10 + size_t(header.size);
    if (size < needed) {
        needMore = needed;
        return Id3v2Error::ReadFailed;
    }
    return ParseTag(header, head + 10, header.size, frames, carried);
}

Id3v2Error ReadId3v2Frames(File& file, FrameList& frames, uint32_t& tagSize, CarriedFrameList* carried,
                           uint32_t largeBody) {
    tagSize = 0;
    if (!file.Seek(0)) return Id3v2Error::ReadFailed;
    Id3v2Header header;
    Id3v2Error rc = ReadId3v2Header(file, header);
    if (rc != Id3v2Error::NoError) return rc;
    tagSize = header.TotalSize();
    if (header.major >= 5) return Id3v2Error::NoTag;
    uint64_t fileSize = 0;
    if (!file.GetSize(fileSize)) return Id3v2Error::ReadFailed;
    // A tag claiming more than the file holds (a cut-off download) is read as
    // far as it goes; never allocate what the file cannot supply.
    const uint64_t remaining = fileSize > 10 ? fileSize - 10 : 0;
    const size_t available = static_cast<size_t>(header.size < remaining ? header.size : remaining);
    const bool resynchronised = (header.major == 2 || header.major == 3) && (header.flags & kId3Unsync);
    if (available > largeBody && !resynchronised) {
        try {
            Bytes image;
            SparseTag sparse;
            rc = ReadSparse(file, header, available, largeBody, image, sparse);
            if (rc != Id3v2Error::NoError) return rc;
            return ParseTag(header, image.data(), image.size(), frames, carried, &sparse);
        } catch (const std::bad_alloc&) {
            return Id3v2Error::OutOfMemory;
        }
    }
    std::unique_ptr<uint8_t[]> body(new (std::nothrow) uint8_t[available == 0 ? 1 : available]);
    if (!body) return Id3v2Error::OutOfMemory;
    size_t got = 0;
    while (got < available) {
        const size_t r = file.Read(body.get() + got, available - got);
        if (r == 0) break;
        got += r;
    }
    if (got != available) return Id3v2Error::ReadFailed;
    return ParseTag(header, body.get(), available, frames, carried);
}

Id3v2Error ReadId3v2Frames(const std::string& path, FrameList& frames, uint32_t& tagSize,
                           CarriedFrameList* carried) {
    tagSize = 0;
    std::unique_ptr<File> file = Fs().Open(path, OpenMode::Read);
    if (!file) return Id3v2Error::CannotOpen;
    return ReadId3v2Frames(*file, frames, tagSize, carried);
}

}  // namespace td
