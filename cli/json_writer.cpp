#include "cli/json_writer.h"

#include <cstdio>

namespace td::cli {

namespace {

// Length of the valid UTF-8 sequence starting at `s[i]`, 0 when it is not one.
// Overlong forms, surrogates and code points above U+10FFFF are refused, as a
// strict JSON reader would refuse them.
size_t ValidSequenceLength(std::string_view s, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(i);
    if (c < 0x80) return 1;
    size_t len = 0;
    uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + len > s.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        const unsigned char t = byte(i + k);
        if ((t & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (t & 0x3F);
    }
    if (len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) return 0;
    if (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) return 0;
    return len;
}

}  // namespace

void JsonWriter::AppendQuoted(std::string& out, std::string_view utf8) {
    out.push_back('"');
    size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04X", c);
            out.append(esc);
            ++i;
        } else if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
        } else {
            const size_t len = ValidSequenceLength(utf8, i);
            if (len == 0) {
                out.append("\xEF\xBF\xBD");  // U+FFFD
                ++i;
            } else {
                out.append(utf8.substr(i, len));
                i += len;
            }
        }
    }
    out.push_back('"');
}

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!hasMember_.empty()) {
        if (hasMember_.back()) out_.push_back(',');
        hasMember_.back() = true;
    }
}

void JsonWriter::BeginObject() {
    BeforeValue();
    out_.push_back('{');
    hasMember_.push_back(false);
}

void JsonWriter::EndObject() {
    out_.push_back('}');
    if (!hasMember_.empty()) hasMember_.pop_back();
}

void JsonWriter::BeginArray() {
    BeforeValue();
    out_.push_back('[');
    hasMember_.push_back(false);
}

void JsonWriter::EndArray() {
    out_.push_back(']');
    if (!hasMember_.empty()) hasMember_.pop_back();
}

void JsonWriter::Key(std::string_view name) {
    if (!hasMember_.empty()) {
        if (hasMember_.back()) out_.push_back(',');
        hasMember_.back() = true;
    }
    AppendQuoted(out_, name);
    out_.push_back(':');
    afterKey_ = true;
}

void JsonWriter::String(std::string_view utf8) {
    BeforeValue();
    AppendQuoted(out_, utf8);
}

void JsonWriter::Int(int64_t value) {
    BeforeValue();
    out_.append(std::to_string(value));
}

void JsonWriter::UInt(uint64_t value) {
    BeforeValue();
    out_.append(std::to_string(value));
}

void JsonWriter::Bool(bool value) {
    BeforeValue();
    out_.append(value ? "true" : "false");
}

void JsonWriter::Null() {
    BeforeValue();
    out_.append("null");
}

void JsonWriter::Clear() {
    out_.clear();
    hasMember_.clear();
    afterKey_ = false;
}

}  // namespace td::cli
