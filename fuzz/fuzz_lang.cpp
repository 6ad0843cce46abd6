// Reads arbitrary bytes as a language file: the texts stored must be exactly
// the last well-formed record of each id, and every other id must stay empty.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "settings/lang_table.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    const std::vector<td::LangTable::Record> records = td::LangTable::parseLanguageFile(bytes, size);
    std::map<int, std::string> expected;
    size_t textBytes = 0;
    for (const td::LangTable::Record& record : records) {
        Check(record.id >= 0 && record.id < td::kLangStringCount);
        Check(record.text.find('"') == std::string::npos);
        textBytes += record.text.size();
        // Shown texts are C strings: they end at the first NUL byte.
        expected[record.id] = std::string(record.text.c_str());
    }
    Check(textBytes <= size);
    Check(records.size() <= size / 3 + 1);  // '#', a digit and two quotes at least

    td::LangTable::useLanguageImage(bytes, size);
    for (int id = 0; id < td::kLangStringCount; ++id) {
        const char* text = td::LangTable::getString(id);
        Check(text != nullptr);
        const auto found = expected.find(id);
        Check(found == expected.end() ? *text == '\0' : found->second == text);
    }
    Check(*td::LangTable::getString(-1) == '\0' && *td::LangTable::getString(td::kLangStringCount) == '\0');
    td::LangTable::useBuiltinEnglish();
    return 0;
}
