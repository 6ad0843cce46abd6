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
    enum class Kind { Number, Real, Text };

    FormatArg(int value) : number_(value) {}
    FormatArg(long value) : number_(value) {}
    FormatArg(long long value) : number_(value) {}
    FormatArg(unsigned value) : number_(value) {}
    FormatArg(double value) : kind_(Kind::Real), real_(value) {}
    FormatArg(const char* text) : kind_(Kind::Text), text_(text ? text : "") {}
    FormatArg(const std::string& text) : kind_(Kind::Text), text_(text.c_str()) {}

    Kind kind() const { return kind_; }
    bool isText() const { return kind_ == Kind::Text; }
    long long number() const { return number_; }
    double real() const { return real_; }
    const char* text() const { return text_; }

private:
    Kind kind_ = Kind::Number;
    long long number_ = 0;
    double real_ = 0.0;
    const char* text_ = "";
};

// Integer conversions (d i u x X o c) take the next integer argument, real
// conversions (f e E g G) the next real one, "%s" the next text argument,
// "%%" is a percent sign. Anything else, or a conversion whose argument is
// missing or of the other kind, is copied as written (and the argument is
// not consumed).
std::string FormatLangText(const char* format, std::initializer_list<FormatArg> args);

}  // namespace td
