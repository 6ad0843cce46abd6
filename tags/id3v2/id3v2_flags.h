// Flag bits of ID3v2 tag and frame headers.
#pragma once

#include <cstdint>

namespace td {

// The flags byte of the tag header (byte 5):
//   %abcd0000  a unsynchronisation, b extended header (ID3v2.2: compression),
//              c experimental, d footer after the tag (ID3v2.4)
constexpr uint8_t kId3Unsync = 0x80;
constexpr uint8_t kId3ExtendedHeader = 0x40;
constexpr uint8_t kId3Footer = 0x10;

// The two flag bytes that end an ID3v2.3 frame header:
//   status %abc00000  a tag alter preservation (discard the frame when the
//                     tag changes), b file alter preservation, c read only
//   format %ijk00000  i compressed (4 bytes of inflated size first),
//                     j encrypted (a method byte), k grouped (a group byte)
constexpr uint8_t kFrameTagAlter = 0x80;
constexpr uint8_t kFrameFileAlter = 0x40;
constexpr uint8_t kFrameReadOnly = 0x20;
constexpr uint8_t kFrameCompressed = 0x80;
constexpr uint8_t kFrameEncrypted = 0x40;
constexpr uint8_t kFrameGrouped = 0x20;
// The same in ID3v2.4, moved and joined by three:
//   status %0abc0000  as above
//   format %0h00kmnp  h grouped (a group byte), k compressed, m encrypted
//                     (a method byte), n unsynchronised, p data length
//                     indicator (4 synchsafe bytes after the others)
constexpr uint8_t kFrame24TagAlter = 0x40;
constexpr uint8_t kFrame24FileAlter = 0x20;
constexpr uint8_t kFrame24ReadOnly = 0x10;
constexpr uint8_t kFrame24Grouped = 0x40;
constexpr uint8_t kFrame24Compressed = 0x08;
constexpr uint8_t kFrame24Encrypted = 0x04;
constexpr uint8_t kFrame24Unsync = 0x02;
constexpr uint8_t kFrame24DataLength = 0x01;

}  // namespace td
