// The built-in English user-interface texts, by their number in the language
// table (ids 0 to 381). The language table points at these when English is
// in use; code that must show English whatever the language (or that runs
// before any table is loaded) reads them here.
#pragma once

namespace td {

constexpr int kTextQuestion = 21;
constexpr int kTextError = 22;
constexpr int kTextInformation = 23;
constexpr int kTextForceSaveReadOnly = 336;     // takes the file path
constexpr int kTextCannotRemoveReadOnly = 337;  // takes the file path

constexpr int kBuiltinTextCount = 382;

// The English text numbered `id`; the empty text outside 0 to 381.
const char* BuiltinText(int id);

}  // namespace td
