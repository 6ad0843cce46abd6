#include "settings/lang_table.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <utility>

#include "platform/directory.h"
#include "platform/file_system.h"
#include "settings/builtin_texts.h"

namespace td {

const char kLanguageFileSuffix[] = ".lang.kqp";
const char kBuiltinLanguageName[] = "English(Default)";

static_assert(kBuiltinStringCount == kBuiltinTextCount, "one English table");

namespace {

constexpr size_t kSuffixLength = sizeof(kLanguageFileSuffix) - 1;
constexpr size_t kMaxNameLength = 259;  // the list keeps names in 260 bytes

// The one set of texts of the process. A slot is null when it has no text.
// Texts read from a language file live in `image`, one copy of the file in
// which each text's closing quote has become its terminating NUL: one
// allocation per load, whatever the number of records. The built-in texts
// are constants and are only pointed at.
struct TextStore {
    std::array<const char*, kLangStringCount> slots{};
    std::unique_ptr<char[]> image;

    void clear() {
        slots.fill(nullptr);
        image.reset();
    }
};

TextStore& Store() {
    static TextStore store;
    return store;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Walks the records of a language file image: '#', a signed decimal id, then
// the text between the next two double quotes. Calls `take(id, text, length)`
// for each record whose id could be read and lies in 0..4095. Every step is
// bounded by what remains of the image.
template <typename Take>
void ParseRecords(const char* data, size_t size, Take take) {
    if (!data) return;
    size_t p = 0;
    while (p < size) {
        const void* hash = std::memchr(data + p, '#', size - p);
        if (!hash) return;
        p = static_cast<size_t>(static_cast<const char*>(hash) - data) + 1;

        while (p < size && IsSpace(data[p])) ++p;
        bool negative = false;
        if (p < size && (data[p] == '+' || data[p] == '-')) {
            negative = data[p] == '-';
            ++p;
        }
        bool digits = false;
        bool tooLarge = false;
        long value = 0;
        while (p < size && data[p] >= '0' && data[p] <= '9') {
            digits = true;
            if (value < kLangStringCount) {
                value = value * 10 + (data[p] - '0');
            } else {
                tooLarge = true;
            }
            ++p;
        }

        const void* open = std::memchr(data + p, '"', size - p);
        if (!open) return;  // the file ends before the text: no record
        p = static_cast<size_t>(static_cast<const char*>(open) - data) + 1;
        const void* close = std::memchr(data + p, '"', size - p);
        const size_t end = close ? static_cast<size_t>(static_cast<const char*>(close) - data) : size;

        if (digits && !tooLarge) {
            const long id = negative ? -value : value;
            if (id >= 0 && id < kLangStringCount) take(static_cast<int>(id), data + p, end - p);
        }
        if (!close) return;
        p = end + 1;
    }
}

bool HasLanguageSuffix(const std::string& name) {
    if (name.size() <= kSuffixLength) return false;  // an empty language name is no language
    const char* tail = name.c_str() + name.size() - kSuffixLength;
#ifdef _WIN32
    // Windows matches names without regard to case, and so does opening the
    // file again by the listed name.
    for (size_t i = 0; i < kSuffixLength; ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != kLanguageFileSuffix[i]) return false;
    }
    return true;
#else
    return std::memcmp(tail, kLanguageFileSuffix, kSuffixLength) == 0;
#endif
}

// Reads the whole of `path` through the file seam, refusing files above the
// size limit. False when the file cannot be opened or read.
bool ReadLanguageFile(const std::string& path, std::string& out) {
    std::unique_ptr<File> file = Fs().Open(path, OpenMode::Read);
    if (!file) return false;
    out.clear();
    uint64_t size = 0;
    if (file->GetSize(size)) {
        if (size > kMaxLanguageFileSize) {
            file->Close();
            return false;
        }
        out.reserve(static_cast<size_t>(size));
    }
    char buffer[16384];
    for (;;) {
        const size_t n = file->Read(buffer, sizeof buffer);
        if (n == 0) break;
        if (out.size() + n > kMaxLanguageFileSize) {
            file->Close();
            return false;
        }
        out.append(buffer, n);
    }
    if (file->GetSize(size) && size != out.size()) {
        // The file held more than could be read: a read error, not the end.
        file->Close();
        return false;
    }
    file->Close();
    return true;
}

}  // namespace

std::vector<std::string> ListLanguageFiles(const std::string& directory) {
    std::vector<std::string> names;
    std::vector<DirectoryEntry> entries;
    if (!ListDirectory(directory.empty() ? std::string(".") : directory, entries)) return names;
    for (const DirectoryEntry& entry : entries) {
        if (entry.isDirectory || !HasLanguageSuffix(entry.name)) continue;
        if (entry.name.size() - kSuffixLength > kMaxNameLength) continue;
        names.push_back(entry.name);
    }
    // Listing order differs between systems; the menu should not.
    std::sort(names.begin(), names.end());
    return names;
}

LangTable::LangTable(std::string pluginsDirectory)
    : directory_(std::move(pluginsDirectory)), languages_{kBuiltinLanguageName} {}

LangTable::~LangTable() { Store().clear(); }

const char* LangTable::getString(int id) {
    if (id < 0 || id >= kLangStringCount) return "";
    const char* text = Store().slots[id];
    return text ? text : "";
}

const char* LangTable::builtinString(int id) { return BuiltinText(id); }

void LangTable::useBuiltinEnglish() {
    TextStore& store = Store();
    store.clear();
    for (int id = 0; id < kBuiltinStringCount; ++id) store.slots[id] = BuiltinText(id);
}

std::vector<LangTable::Record> LangTable::parseLanguageFile(const char* data, size_t size) {
    std::vector<Record> records;
    ParseRecords(data, size, [&records](int id, const char* text, size_t length) {
        records.push_back(Record{id, std::string(text, length)});
    });
    return records;
}

void LangTable::useLanguageImage(const char* data, size_t size) {
    std::unique_ptr<char[]> image(new char[size + 1]);
    if (data && size) std::memcpy(image.get(), data, size);
    image[size] = '\0';
    TextStore& store = Store();
    store.clear();
    char* base = image.get();
    ParseRecords(base, data ? size : 0, [&store, base](int id, const char* text, size_t length) {
        // Texts never overlap, and the parser has already found where this
        // one ends, so its closing quote (or the spare byte after the file)
        // can become its end.
        char* own = base + (text - base);
        own[length] = '\0';
        store.slots[id] = own;
    });
    store.image = std::move(image);
}

void LangTable::scanLanguages(const std::string& requestedName) {
    current_ = 0;
    languages_.assign(1, kBuiltinLanguageName);
    const std::vector<std::string> files = ListLanguageFiles(directory_);
    for (const std::string& file : files) {
        if (static_cast<int>(languages_.size()) >= kMaxLanguages) break;
        languages_.push_back(file.substr(0, file.size() - kSuffixLength));
        if (languages_.back() == requestedName) current_ = static_cast<int>(languages_.size()) - 1;
    }
    if (!load()) {
        // A listed file that cannot be read must not leave every text empty:
        // the built-in English is always there.
        current_ = 0;
        load();
    }
}

bool LangTable::load() {
    if (current_ <= 0 || current_ >= languageCount()) {
        useBuiltinEnglish();
        return true;
    }
    std::string image;
    if (!ReadLanguageFile(languageFilePath(current_), image)) return false;
    useLanguageImage(image.data(), image.size());
    return true;
}

std::string LangTable::currentName() const { return languageEntryName(current_); }

std::string LangTable::languageEntryName(int index) const {
    if (index < 0 || index >= languageCount()) index = 0;
    return languages_[static_cast<size_t>(index)];
}

std::string LangTable::languageFilePath(int index) const {
    if (index <= 0 || index >= languageCount()) return std::string();
    return JoinPath(directory_, languages_[static_cast<size_t>(index)] + kLanguageFileSuffix);
}

}  // namespace td
