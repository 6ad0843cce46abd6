#include "settings/builtin_texts.h"

namespace td {

namespace {

struct BuiltinEntry {
    int id;
    const char* text;
};

constexpr BuiltinEntry kBuiltinTexts[] = {
    {kTextQuestion, "Question"},
    {kTextError, "Error"},
    {kTextInformation, "Information"},
    {kTextForceSaveReadOnly, "Do you want to force save tag (file %s is read only) ?"},
    {kTextCannotRemoveReadOnly, "Cannot remove read only on file %s"},
};

}  // namespace

const char* BuiltinText(int id) {
    for (const BuiltinEntry& entry : kBuiltinTexts) {
        if (entry.id == id) return entry.text;
    }
    return "";
}

std::string FormatText(const char* format, const std::string& arg) {
    std::string out;
    if (!format) return out;
    bool substituted = false;
    for (const char* p = format; *p; ++p) {
        if (p[0] == '%' && p[1] == '%') {
            out += '%';
            ++p;
        } else if (p[0] == '%' && p[1] == 's' && !substituted) {
            out += arg;
            substituted = true;
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

}  // namespace td
