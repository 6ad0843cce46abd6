#include "tags/id3v2/frame.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/text_codec.h"
#include "tags/id3v2/frame_table.h"
#include "tags/id3v2/id3v2_error.h"

namespace td {

namespace {

constexpr uint32_t kLanguageEng = (uint32_t('e') << 16) | (uint32_t('n') << 8) | uint32_t('g');

constexpr char kPopmOwner[] = "Tunedeck plug-ins for Winamp";

bool IsValidType(int type) { return type >= 0 && type < kFrameTypeCount; }

bool HasLanguage(int type) { return IsValidType(type) && Id3v2FrameTable[type].language; }

size_t InitialFieldCount(int type) {
    return IsValidType(type) ? static_cast<size_t>(Id3v2FrameTable[type].fields) : 0;
}

// Strings the ID3v2.3 layout of a type requires: a description and a text
// (or URL). A shorter list is written with empty strings for the missing
// ones, so that the body read back is valid; COMM and USLT bodies of only
// encoding and language are refused when read.
size_t RequiredFieldCount(int type) {
    return (type == kCOMM || type == kUSLT || type == kWXXX || type == kTXXX) ? 2 : 0;
}

uint32_t LanguageFromBytes(const uint8_t* b) {
    return (uint32_t(b[0]) << 16) | (uint32_t(b[1]) << 8) | uint32_t(b[2]);
}

// Reads one zero-terminated 8-bit string starting at `pos`; the body may end
// without the terminator.
std::string ReadLatinString(const uint8_t* b, size_t size, size_t& pos) {
    size_t n = 0;
    while (pos + n < size && b[pos + n] != 0) ++n;
    std::string s(reinterpret_cast<const char*>(b + pos), n);
    pos += n + 1;
    return s;
}

// Reads one UTF-16 string with an optional byte order mark (little-endian
// without one). A lone trailing byte or a missing terminator ends the string.
// Returns false when the text has no exact equivalent in the ANSI code page.
bool ReadUtf16String(const uint8_t* b, size_t size, size_t& pos, std::string& out) {
    bool bigEndian = false;
    if (pos + 1 < size) {
        if (b[pos] == 0xFF && b[pos + 1] == 0xFE) {
            pos += 2;
        } else if (b[pos] == 0xFE && b[pos + 1] == 0xFF) {
            bigEndian = true;
            pos += 2;
        }
    }
    std::u16string text;
    size_t units = 0;
    while (pos + 2 * units + 1 < size) {
        const uint8_t* u = b + pos + 2 * units;
        char16_t unit = bigEndian ? char16_t((u[0] << 8) | u[1]) : char16_t(u[0] | (u[1] << 8));
        if (unit == 0) break;
        text.push_back(unit);
        ++units;
    }
    pos += 2 * units + 2;
    out.clear();
    return text::Utf16ToAnsi(text, out);
}

}  // namespace

// --- Id3v2Frame -------------------------------------------------------------

const char* Id3v2Frame::Id() const { return IsValidType(type_) ? Id3v2FrameTable[type_].id : ""; }

// --- Id3v2FieldFrame --------------------------------------------------------

Id3v2FieldFrame::Id3v2FieldFrame(int type)
    : Id3v2Frame(type), fields_(InitialFieldCount(type)), language_(kLanguageEng) {}

Id3v2FieldFrame::Id3v2FieldFrame(int type, const std::string& value) : Id3v2FieldFrame(type) {
    size_t main = static_cast<size_t>(MainFieldIndex(type));
    if (fields_.size() <= main) fields_.resize(main + 1);
    fields_[main] = value;
}

bool Id3v2FieldFrame::KeepsOriginal() const {
    if (original_.empty() || fields_ != decoded_) return false;
    // A changed language must be written too, so the original body no longer fits.
    if (HasLanguage(type_)) {
        return original_.size() >= 4 && LanguageFromBytes(original_.data() + 1) == language_;
    }
    return true;
}

std::unique_ptr<Id3v2Frame> Id3v2FieldFrame::Clone() const {
    try {
        auto copy = std::make_unique<Id3v2FieldFrame>(type_);
        copy->fields_ = fields_;
        copy->language_ = language_;
        copy->original_ = original_;
        copy->decoded_ = decoded_;
        return copy;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void Id3v2FieldFrame::CopyFrom(const Id3v2Frame& other) {
    const auto* o = dynamic_cast<const Id3v2FieldFrame*>(&other);
    if (o == nullptr || o == this || o->type_ != type_) return;
    try {
        fields_ = o->fields_;
        if (HasLanguage(type_)) language_ = o->language_;
        original_ = o->original_;
        decoded_ = o->decoded_;
    } catch (const std::bad_alloc&) {
        // Keep a consistent frame: without the original body the fields are
        // simply re-encoded.
        original_.clear();
        decoded_.clear();
    }
}

bool Id3v2FieldFrame::Equals(const Id3v2Frame& other) const {
    const auto* o = dynamic_cast<const Id3v2FieldFrame*>(&other);
    if (o == nullptr || o->type_ != type_ || o->fields_ != fields_) return false;
    // Texts the code page cannot show may look alike ("???") and still differ.
    const bool mine = KeepsOriginal(), theirs = o->KeepsOriginal();
    if (!mine && !theirs) return true;
    return mine && theirs && original_ == o->original_;
}

Id3v2Error Id3v2FieldFrame::SetData(const uint8_t* bytes, int size, int version) {
    if (size < 0 || (size > 0 && bytes == nullptr)) return Id3v2Error::TagCorrupt;
    const size_t n = static_cast<size_t>(size);
    try {
        std::vector<std::string> fields;
        uint32_t language = language_;
        bool lossy = false;
        if (IsUrlLinkType(type_)) {
            // No encoding byte: the whole body is an ISO-8859-1 URL.
            size_t pos = 0;
            fields.push_back(ReadLatinString(bytes, n, pos));
        } else {
            if (n < 1) return Id3v2Error::TagCorrupt;
            size_t pos = 1;
            if (HasLanguage(type_)) {
                if (n <= 4) return Id3v2Error::TagCorrupt;
                language = LanguageFromBytes(bytes + 1);
                pos = 4;
            }
            const uint8_t encoding = bytes[0];
            if (encoding > 1) return Id3v2Error::BadEncoding;
            while (pos < n) {
                // The URL of WXXX is ISO-8859-1 whatever the encoding byte says.
                bool latin = encoding == 0 || (type_ == kWXXX && fields.size() == 1);
                if (latin) {
                    fields.push_back(ReadLatinString(bytes, n, pos));
                } else {
                    std::string s;
                    if (!ReadUtf16String(bytes, n, pos, s)) lossy = true;
                    fields.push_back(std::move(s));
                }
            }
        }
        if (lossy) {
            original_.assign(bytes, bytes + n);
            decoded_ = fields;
        } else {
            original_.clear();
            decoded_.clear();
        }
        fields_ = std::move(fields);
        language_ = language;
        return Id3v2Error::NoError;
    } catch (const std::bad_alloc&) {
        return Id3v2Error::OutOfMemory;
    }
}

// The body of a field frame in ID3v2.3 form. Encoding 0 means ISO-8859-1 to
// every other reader, so text with characters outside Latin-1 (the euro sign
// and the typographic quotes of Windows-1252, or any letter of another ANSI
// code page) is written as UTF-16 with a byte order mark instead.
std::vector<uint8_t> Id3v2FieldFrame::Encode() const {
    std::vector<uint8_t> body;
    if (IsUrlLinkType(type_)) {
        // No encoding byte; an empty URL is its terminator, as a body has at least one byte.
        if (fields_.empty() || fields_[0].empty()) return {0};
        return std::vector<uint8_t>(fields_[0].begin(), fields_[0].end());
    }
    const size_t count = std::max(fields_.size(), RequiredFieldCount(type_));
    // The URL of WXXX is ISO-8859-1 whatever the encoding byte says.
    auto isLatinOnly = [this](size_t i) { return type_ == kWXXX && i == 1; };
    std::vector<std::u16string> wide(count);
    bool unicode = false;
    for (size_t i = 0; i < fields_.size(); ++i) {
        const std::string& f = fields_[i];
        if (isLatinOnly(i) || std::all_of(f.begin(), f.end(), [](char c) { return (c & 0x80) == 0; })) {
            continue;
        }
        wide[i] = text::AnsiToUtf16(f);
        if (std::any_of(wide[i].begin(), wide[i].end(), [](char16_t u) { return u > 0xFF; })) {
            unicode = true;
        }
    }
    body.push_back(unicode ? 1 : 0);
    if (HasLanguage(type_)) {
        body.push_back(static_cast<uint8_t>(language_ >> 16));
        body.push_back(static_cast<uint8_t>(language_ >> 8));
        body.push_back(static_cast<uint8_t>(language_));
    }
    for (size_t i = 0; i < count; ++i) {
        const bool wideField = unicode && !isLatinOnly(i);
        if (i > 0) {
            // Terminator of the previous string, in that string's width.
            body.push_back(0);
            if (unicode && !isLatinOnly(i - 1)) body.push_back(0);
        }
        if (i >= fields_.size()) continue;
        const std::string& f = fields_[i];
        if (!wideField) {
            if (wide[i].empty() || isLatinOnly(i)) {
                body.insert(body.end(), f.begin(), f.end());
            } else {
                for (char16_t u : wide[i]) body.push_back(static_cast<uint8_t>(u));
            }
            continue;
        }
        const std::u16string units = wide[i].empty() ? text::AnsiToUtf16(f) : wide[i];
        body.push_back(0xFF);
        body.push_back(0xFE);
        for (char16_t u : units) {
            body.push_back(static_cast<uint8_t>(u & 0xFF));
            body.push_back(static_cast<uint8_t>(u >> 8));
        }
    }
    return body;
}

int Id3v2FieldFrame::GetSize() const {
    if (KeepsOriginal()) return static_cast<int>(original_.size());
    return static_cast<int>(Encode().size());
}

Id3v2Error Id3v2FieldFrame::GetData(uint8_t* buffer, int capacity) const {
    if (KeepsOriginal()) {
        if (buffer == nullptr || capacity < static_cast<int>(original_.size())) {
            return Id3v2Error::BufferTooSmall;
        }
        std::memcpy(buffer, original_.data(), original_.size());
        return Id3v2Error::NoError;
    }
    const std::vector<uint8_t> body = Encode();
    if (buffer == nullptr || capacity < static_cast<int>(body.size())) return Id3v2Error::BufferTooSmall;
    std::memcpy(buffer, body.data(), body.size());
    return Id3v2Error::NoError;
}

bool Id3v2FieldFrame::IsEmpty() const {
    return std::all_of(fields_.begin(), fields_.end(), [](const std::string& f) { return f.empty(); });
}

std::string Id3v2FieldFrame::LanguageText() const {
    std::string s(3, ' ');
    s[0] = static_cast<char>((language_ >> 16) & 0xFF);
    s[1] = static_cast<char>((language_ >> 8) & 0xFF);
    s[2] = static_cast<char>(language_ & 0xFF);
    return s;
}

// --- Id3v2BinaryFrame -------------------------------------------------------

std::unique_ptr<Id3v2Frame> Id3v2BinaryFrame::Clone() const {
    try {
        auto copy = std::make_unique<Id3v2BinaryFrame>(type_);
        copy->bytes_ = bytes_;
        return copy;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void Id3v2BinaryFrame::CopyFrom(const Id3v2Frame& other) {
    const auto* o = dynamic_cast<const Id3v2BinaryFrame*>(&other);
    if (o == nullptr || o == this) return;
    try {
        bytes_ = o->bytes_;
    } catch (const std::bad_alloc&) {
        // The old bytes stay: assignment of a vector is all or nothing.
    }
}

bool Id3v2BinaryFrame::Equals(const Id3v2Frame& other) const {
    const auto* o = dynamic_cast<const Id3v2BinaryFrame*>(&other);
    return o != nullptr && o->type_ == type_ && o->bytes_ == bytes_;
}

Id3v2Error Id3v2BinaryFrame::SetData(const uint8_t* bytes, int size, int version) {
    if (size < 0 || (size > 0 && bytes == nullptr)) return Id3v2Error::TagCorrupt;
    try {
        bytes_.assign(bytes, bytes + size);
        return Id3v2Error::NoError;
    } catch (const std::bad_alloc&) {
        return Id3v2Error::OutOfMemory;
    }
}

int Id3v2BinaryFrame::GetSize() const { return static_cast<int>(bytes_.size()); }

Id3v2Error Id3v2BinaryFrame::GetData(uint8_t* buffer, int capacity) const {
    if (capacity < GetSize() || (buffer == nullptr && !bytes_.empty())) return Id3v2Error::BufferTooSmall;
    if (!bytes_.empty()) std::memcpy(buffer, bytes_.data(), bytes_.size());
    return Id3v2Error::NoError;
}

bool Id3v2BinaryFrame::IsEmpty() const { return bytes_.empty(); }

// --- free functions ---------------------------------------------------------

std::unique_ptr<Id3v2Frame> CreateFrame(int type) {
    if (!IsValidType(type)) return nullptr;
    try {
        if (Id3v2FrameTable[type].kind == 1) return std::make_unique<Id3v2FieldFrame>(type);
        return std::make_unique<Id3v2BinaryFrame>(type);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::string MainText(const Id3v2Frame* frame) {
    const auto* f = dynamic_cast<const Id3v2FieldFrame*>(frame);
    if (f == nullptr) return std::string();
    size_t main = static_cast<size_t>(MainFieldIndex(f->Type()));
    return main < f->Fields().size() ? f->Fields()[main] : std::string();
}

void SetPopmRating(Id3v2Frame* frame, int stars) {
    auto* f = dynamic_cast<Id3v2BinaryFrame*>(frame);
    if (f == nullptr) return;
    static constexpr uint8_t kRatingBytes[6] = {0, 32, 64, 128, 196, 255};
    uint8_t body[sizeof(kPopmOwner) + 1];
    std::memcpy(body, kPopmOwner, sizeof(kPopmOwner));  // with its terminating zero
    body[sizeof(kPopmOwner)] = (stars >= 1 && stars <= 5) ? kRatingBytes[stars] : 0;
    f->SetData(body, static_cast<int>(sizeof(body)), 3);
}

int PopmStars(const Id3v2Frame* frame) {
    const auto* f = dynamic_cast<const Id3v2BinaryFrame*>(frame);
    if (f == nullptr) return 0;
    const std::vector<uint8_t>& b = f->Bytes();
    auto zero = std::find(b.begin(), b.end(), uint8_t(0));
    if (zero == b.end() || zero + 1 == b.end()) return 0;
    const int rating = *(zero + 1);
    if (rating == 0) return 0;
    if (rating <= 32) return 1;
    if (rating <= 64) return 2;
    if (rating <= 128) return 3;
    if (rating <= 196) return 4;
    return 5;
}

}  // namespace td
