// printf-style formatting of user-interface texts that come from language
// files. Such a format is data: a conversion that has no argument of its kind
// is kept as it stands instead of reading an argument that is not there, and
// widths are bounded.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace td {

class FormatArg {
public:
    FormatArg(int value) : isText_(false), number_(value) {}
    FormatArg(long value) : isText_(false), number_(value) {}
    FormatArg(long long value) : isText_(false), number_(value) {}
    FormatArg(unsigned value) : isText_(false), number_(value) {}
    FormatArg(const char* text) : isText_(true), text_(text ? text : "") {}
    FormatArg(const std::string& text) : isText_(true), text_(text.c_str()) {}

    bool isText() const { return isText_; }
    long long number() const { return number_; }
    const char* text() const { return text_; }

private:
    bool isText_;
    long long number_ = 0;
    const char* text_ = "";
};

// Integer conversions (d i u x X o c) take the next numeric argument, "%s"
// the next text argument, "%%" is a percent sign. Anything else, or a
// conversion whose argument is missing or of the other kind, is copied as
// written (and the argument is not consumed).
std::string FormatLangText(const char* format, std::initializer_list<FormatArg> args);

}  // namespace td
