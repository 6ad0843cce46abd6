// A small streaming JSON writer: builds one document into a string, with the
// commas and escapes handled, so that commands only say what goes where.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace td::cli {

class JsonWriter {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // The name of the next member of the current object.
    void Key(std::string_view name);

    // `utf8` must be UTF-8; invalid sequences are written as U+FFFD so that the
    // output stays valid JSON whatever bytes a file name or tag holds.
    void String(std::string_view utf8);
    void Int(int64_t value);
    void UInt(uint64_t value);
    void Bool(bool value);
    void Null();

    const std::string& Text() const { return out_; }
    void Clear();

    // Appends `utf8` as a quoted JSON string to `out`.
    static void AppendQuoted(std::string& out, std::string_view utf8);

private:
    void BeforeValue();

    std::string out_;
    // One entry per open object or array: true once it holds a member.
    std::vector<bool> hasMember_;
    bool afterKey_ = false;
};

}  // namespace td::cli
