// The English user-interface texts the tag engine needs, by their number in
// the language table. The full table with its language files replaces this
// small one later; the numbers stay the same.
#pragma once

#include <string>

namespace td {

constexpr int kTextQuestion = 21;
constexpr int kTextError = 22;
constexpr int kTextInformation = 23;
constexpr int kTextForceSaveReadOnly = 336;     // takes the file path
constexpr int kTextCannotRemoveReadOnly = 337;  // takes the file path

// The text numbered `id`; the empty text when there is none.
const char* BuiltinText(int id);

// `format` with its first "%s" replaced by `arg` and "%%" read as "%". Every
// other '%' is kept as it stands: a translated text is data, and a stray
// conversion in it must never make the formatting read an argument that is
// not there.
std::string FormatText(const char* format, const std::string& arg);

}  // namespace td
