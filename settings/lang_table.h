// User-interface texts by number (0 to 4095), in English or from a language
// file "<name>.lang.kqp" in the host's plug-in directory.
//
// The texts are process-wide: `getString` is static and may be called from
// anywhere; a `LangTable` object holds the language list and the language in
// use, and (re)fills the shared texts when it loads. Until the first load
// every text is empty.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace td {

constexpr int kLangStringCount = 4096;       // ids 0 to 4095
constexpr int kBuiltinStringCount = 382;     // built-in English ids 0 to 381
constexpr int kMaxLanguages = 33;            // "English(Default)" and 32 files
constexpr int kLanguageCommandBase = 10000;  // menu command of entry i: 10000 + i
extern const char kLanguageFileSuffix[];     // ".lang.kqp"
extern const char kBuiltinLanguageName[];    // "English(Default)"
// Language files larger than this are refused as they stand (a full table of
// 4096 long texts is far below it).
constexpr size_t kMaxLanguageFileSize = 8u << 20;

// Numbers of texts other code refers to by name.
enum LangText : int {
    kLangQuestion = 21,
    kLangError = 22,
    kLangInformation = 23,
    kLangColumnPresent = 26,  // "At least 1 column must be present !!!"
    kLangResetConfirm = 86,   // "Are your sure to reset settings ?"
    kLangNothing = 126,
    kLangCorruptFile = 130,
    kLangExplorerFieldPresent = 227,  // "Choose at least 1 field must be present !!!"
    kLangForceSaveReadOnly = 336,
    kLangCannotRemoveReadOnly = 337,
};

class LangTable {
public:
    // `pluginsDirectory` is where the language files are looked for (the host
    // program's "Plugins\" directory); with or without its trailing separator.
    explicit LangTable(std::string pluginsDirectory = std::string());
    // Frees every text read from a file; afterwards every text is empty.
    virtual ~LangTable();
    LangTable(const LangTable&) = delete;
    LangTable& operator=(const LangTable&) = delete;

    // The text numbered `id`; "" for an id outside 0..4095 or without text.
    // Never null.
    static const char* getString(int id);
    // The built-in English text numbered `id`, whatever language is loaded;
    // "" outside 0..381.
    static const char* builtinString(int id);
    // Points ids 0 to 381 at the built-in English texts (every other id empty).
    static void useBuiltinEnglish();

    // Lists "English(Default)" and the language files of the directory (at
    // most 32, in name order), makes `requestedName` current when a file of
    // that exact name is listed (English otherwise), then loads.
    void scanLanguages(const std::string& requestedName);
    // Fills the texts for the current language: built-in English for index 0,
    // otherwise the language file. False when the file cannot be opened or
    // read (or is over kMaxLanguageFileSize); the texts then stay as they were.
    bool load();

    int languageCount() const { return static_cast<int>(languages_.size()); }
    int currentIndex() const { return current_; }
    // No range check here; the name accessors and `load` treat an index
    // outside the list as entry 0.
    void setCurrentIndex(int index) { current_ = index; }
    // Name of the current entry (entry 0 when current is outside the list).
    std::string currentName() const;
    // Name of entry `index` (entry 0 when outside the list).
    std::string languageEntryName(int index) const;
    // Full path of the file of entry `index` ("" for entry 0).
    std::string languageFilePath(int index) const;
    const std::string& directory() const { return directory_; }

    // Parses a language file image: every well-formed record with an id in
    // 0..4095, in file order (when an id comes twice, the later record is
    // the one that counts). Exposed for tests and the fuzz target.
    struct Record {
        int id;
        std::string text;
    };
    static std::vector<Record> parseLanguageFile(const char* data, size_t size);
    // Replaces every text with those of a language file image (no fall-back
    // to English for ids it lacks).
    static void useLanguageImage(const char* data, size_t size);

private:
    std::string directory_;
    std::vector<std::string> languages_;
    int current_ = 0;
};

// Names of the *.lang.kqp files of `directory` (file names with the suffix,
// without the directory), in name order. Empty when the directory cannot be
// listed.
std::vector<std::string> ListLanguageFiles(const std::string& directory);

}  // namespace td
