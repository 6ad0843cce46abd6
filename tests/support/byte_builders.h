// Builders of byte strings for tests that lay out tag bytes by hand.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace td::test {

using Bytes = std::vector<uint8_t>;

inline Bytes B(std::initializer_list<int> values) {
    Bytes b;
    for (int v : values) b.push_back(static_cast<uint8_t>(v));
    return b;
}

inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// UTF-16 code units, little endian, without a byte order mark.
inline Bytes Utf16Le(const std::u16string& s) {
    Bytes b;
    for (char16_t c : s) b.insert(b.end(), {uint8_t(c & 0xFF), uint8_t(c >> 8)});
    return b;
}

}  // namespace td::test
