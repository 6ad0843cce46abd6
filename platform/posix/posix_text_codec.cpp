// Windows-1252 through iconv. glibc leaves 0x81, 0x8D, 0x8F, 0x90 and 0x9D
// undefined; Windows maps them to the C1 controls of the same value, and so do
// we, so that every byte of an 8-bit tag survives a round trip.
#include "platform/text_codec.h"

#include <cerrno>
#include <iconv.h>

namespace td::text {

namespace {

bool IsUndefinedInCp1252(unsigned value) {
    return value == 0x81 || value == 0x8D || value == 0x8F || value == 0x90 || value == 0x9D;
}

// One conversion descriptor per direction and thread: iconv_t is stateful,
// and opening one costs far more than a short tag text.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (Ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

    // Converts as much as possible; on return `in`/`in_left` point at the
    // first unconverted byte. Returns 0 on success, else errno.
    int Convert(const char*& in, size_t& in_left, std::string& out) {
        char buffer[1024];
        while (in_left > 0) {
            char* src = const_cast<char*>(in);
            char* dst = buffer;
            size_t dst_left = sizeof(buffer);
            const size_t rc = iconv(cd_, &src, &in_left, &dst, &dst_left);
            const int error = rc == static_cast<size_t>(-1) ? errno : 0;
            in = src;
            out.append(buffer, sizeof(buffer) - dst_left);
            if (error != 0 && error != E2BIG) return error;
        }
        return 0;
    }

private:
    iconv_t cd_;
};

Converter& ToAnsi() {
    thread_local Converter converter("WINDOWS-1252", "UTF-16LE");
    return converter;
}

Converter& FromAnsi() {
    thread_local Converter converter("UTF-16LE", "WINDOWS-1252");
    return converter;
}

}  // namespace

bool Utf16ToAnsi(std::u16string_view in, std::string& out) {
    out.clear();
    out.reserve(in.size());
    std::string bytes;
    bytes.reserve(in.size() * 2);
    for (char16_t unit : in) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    Converter& converter = ToAnsi();
    if (!converter.Ok()) {
        out.assign(in.size(), '?');
        return in.empty();
    }
    converter.Reset();
    bool exact = true;
    const char* src = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const int error = converter.Convert(src, left, out);
        if (error == 0) break;
        converter.Reset();
        const unsigned unit =
            static_cast<unsigned char>(src[0]) | (left > 1 ? static_cast<unsigned char>(src[1]) << 8 : 0u);
        size_t skip = 2;
        if (IsUndefinedInCp1252(unit)) {
            out.push_back(static_cast<char>(unit));
        } else {
            out.push_back('?');
            exact = false;
            // A valid surrogate pair is one character: one '?' for both halves.
            if (unit >= 0xD800 && unit <= 0xDBFF && left >= 4) {
                const unsigned next =
                    static_cast<unsigned char>(src[2]) | (static_cast<unsigned char>(src[3]) << 8);
                if (next >= 0xDC00 && next <= 0xDFFF) skip = 4;
            }
        }
        if (skip > left) skip = left;
        src += skip;
        left -= skip;
    }
    return exact;
}

std::u16string AnsiToUtf16(std::string_view in) {
    std::u16string out;
    out.reserve(in.size());
    Converter& converter = FromAnsi();
    std::string bytes;
    const char* src = in.data();
    size_t left = in.size();
    if (converter.Ok()) {
        converter.Reset();
        bytes.reserve(in.size() * 2);
    }
    auto flush = [&]() {
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
            out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        }
        bytes.clear();
    };
    while (left > 0) {
        const int error = converter.Ok() ? converter.Convert(src, left, bytes) : EILSEQ;
        flush();
        if (error == 0) break;
        converter.Reset();
        // Only the five undefined bytes can fail; anything else would be an
        // iconv without this code page, where Latin-1 is the closest guess.
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(src[0])));
        ++src;
        --left;
    }
    return out;
}

std::string PathToUtf8(const std::string& path) { return path; }

}  // namespace td::text
