// ID3v2 frames in memory: an abstract base and two classes, field frames
// (decoded text fields) and binary frames (raw bodies).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tags/id3v2/id3v2_error.h"

namespace td {

class Id3v2Frame {
public:
    explicit Id3v2Frame(int type) : type_(type) {}
    virtual ~Id3v2Frame() = default;
    Id3v2Frame(const Id3v2Frame&) = delete;
    Id3v2Frame& operator=(const Id3v2Frame&) = delete;

    // A new frame of the same class and type with the same content; null when
    // memory runs out.
    virtual std::unique_ptr<Id3v2Frame> Clone() const = 0;
    virtual void CopyFrom(const Id3v2Frame& other) = 0;
    virtual bool Equals(const Id3v2Frame& other) const = 0;
    // Replaces the content by decoding a frame body as read from a file
    // (ID3v2.3 layout; the reader converts other versions first). `version` is
    // the tag's major version.
    virtual Id3v2Error SetData(const uint8_t* bytes, int size, int version) = 0;
    // Size of the ID3v2.3 body GetData produces.
    virtual int GetSize() const = 0;
    // BufferTooSmall when `capacity` < GetSize().
    virtual Id3v2Error GetData(uint8_t* buffer, int capacity) const = 0;
    virtual bool IsEmpty() const = 0;

    int Type() const { return type_; }
    // The four-character identifier of the type.
    const char* Id() const;

protected:
    int type_;
};

// Every type of kind 1. Fields are 8-bit ANSI text. A frame read from a file
// whose text the ANSI code page cannot show keeps its original body, and
// writes that body back for as long as its fields are left as they were read.
class Id3v2FieldFrame : public Id3v2Frame {
public:
    explicit Id3v2FieldFrame(int type);  // the table's count of empty fields
    Id3v2FieldFrame(int type, const std::string& value);

    std::unique_ptr<Id3v2Frame> Clone() const override;
    void CopyFrom(const Id3v2Frame& other) override;
    bool Equals(const Id3v2Frame& other) const override;
    Id3v2Error SetData(const uint8_t* bytes, int size, int version) override;
    int GetSize() const override;
    Id3v2Error GetData(uint8_t* buffer, int capacity) const override;
    bool IsEmpty() const override;

    std::vector<std::string>& Fields() { return fields_; }
    const std::vector<std::string>& Fields() const { return fields_; }
    // First character in the high byte: 'e'<<16 | 'n'<<8 | 'g'.
    uint32_t Language() const { return language_; }
    void SetLanguage(uint32_t language) { language_ = language; }
    std::string LanguageText() const;

    // True when the text read could not be shown exactly in the ANSI code page.
    bool IsLossy() const { return !original_.empty(); }

private:
    std::vector<uint8_t> Encode() const;
    // True while the fields (and language) are still those decoded from
    // `original_`, which is then written back instead of a re-encoding.
    bool KeepsOriginal() const;

    std::vector<std::string> fields_;
    uint32_t language_;
    // Original ID3v2.3 body and the fields as decoded from it, for lossy frames.
    std::vector<uint8_t> original_;
    std::vector<std::string> decoded_;
};

// Every type of kind 0 or 2.
class Id3v2BinaryFrame : public Id3v2Frame {
public:
    explicit Id3v2BinaryFrame(int type) : Id3v2Frame(type) {}

    std::unique_ptr<Id3v2Frame> Clone() const override;
    void CopyFrom(const Id3v2Frame& other) override;
    bool Equals(const Id3v2Frame& other) const override;
    Id3v2Error SetData(const uint8_t* bytes, int size, int version) override;
    int GetSize() const override;
    Id3v2Error GetData(uint8_t* buffer, int capacity) const override;
    bool IsEmpty() const override;

    const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// A field frame or a binary frame by the table's kind; null outside 0 to 54
// or when memory runs out.
std::unique_ptr<Id3v2Frame> CreateFrame(int type);
// Main field of a field frame (empty for other frames or a short list).
std::string MainText(const Id3v2Frame* frame);

// A frame the record does not keep (TXXX, PRIV, UFID, GEOB, unknown, ...),
// carried unchanged into a rewritten tag. Its body is already in ID3v2.3 form.
struct CarriedFrame {
    char id[5] = {0, 0, 0, 0, 0};
    uint8_t status = 0;  // ID3v2.3 status flag byte
    uint8_t format = 0;  // ID3v2.3 format flag byte (0 unless encrypted)
    std::vector<uint8_t> body;

    // A body too large to hold in memory (a big picture) stays in the file
    // the tag was read from: after `body`, `fileBytes` more bytes at
    // `fileOffset`, copied across in blocks when the tag is written. The
    // frame's header and first body bytes as read (`check`, at `checkOffset`)
    // and the last bytes of that range (`tail`) must still be found there
    // then; otherwise the file changed and the save is refused.
    uint64_t fileOffset = 0;
    uint32_t fileBytes = 0;
    uint64_t checkOffset = 0;
    uint8_t checkSize = 0;
    uint8_t tailSize = 0;
    uint8_t check[26] = {};
    uint8_t tail[16] = {};

    // Body bytes in the tag: those in memory and those left in the file.
    uint64_t Size() const { return body.size() + static_cast<uint64_t>(fileBytes); }
    bool InFile() const { return fileBytes != 0; }
};

// The rating frame body: "Tunedeck plug-ins for Winamp", zero, rating byte.
void SetPopmRating(Id3v2Frame* frame, int stars);
// Stars 0 to 5 from a POPM body.
int PopmStars(const Id3v2Frame* frame);

}  // namespace td
