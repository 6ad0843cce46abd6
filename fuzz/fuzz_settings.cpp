// Loads arbitrary bytes as a settings file image and checks that every index,
// choice and string of the record is usable afterwards, and that a record so
// loaded survives a save and load unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "settings/settings.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool Within(int32_t value, int32_t low, int32_t high) { return value >= low && value <= high; }

bool Terminated(const char* text, size_t size) { return std::memchr(text, '\0', size) != nullptr; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    td::Settings settings;
    const bool accepted = settings.fromBytes(data, size);
    Check(accepted == (size >= td::kSettingsFileSize));
    if (!accepted) {
        Check(settings.toBytes() == td::Settings().toBytes());
        return 0;
    }

    Check(Within(settings.viewInfoFrom, 0, 3));
    Check(Within(settings.doubleClickAction, 0, 2));
    Check(Within(settings.tagFromNameVersion, 0, 2));
    Check(Within(settings.renameSource, 0, 3));
    Check(Within(settings.visibleColumnCount, 0, td::kColumnCount));
    Check(Within(settings.wizardLength, 0, 6));
    Check(Within(settings.caseConversion, 0, 4));
    Check(Within(settings.charConversion, 0, 2));
    Check(Within(settings.organizeSource, 0, 1));
    Check(Within(settings.organizeLayout, 0, 3));
    Check(Within(settings.sortColumn, 0, td::kColumnCount - 1));
    Check(Within(settings.htmlTemplate, 0, td::kHtmlTemplateCount - 1));
    Check(Within(settings.themeIndex, 0, td::kThemeCount - 1));
    Check(Within(settings.iconPackage, 0, td::kIconPackageCount - 1));
    Check(Within(settings.ratingPackage, 0, td::kRatingPackageCount - 1));
    Check(Within(settings.duplicateSeconds, 0, 60));
    Check(Within(settings.duplicatePercent, 95, 100));
    Check(settings.explorerFields != 0 && settings.explorerFields <= 0x7F);

    bool seen[td::kColumnCount] = {};
    bool anyShown = false;
    for (int i = 0; i < td::kColumnCount; ++i) {
        const int32_t id = settings.columnOrder[i];
        Check(Within(id, 0, td::kColumnCount - 1) && !seen[id]);
        seen[id] = true;
        Check(Within(settings.columnVisible[i], 0, 1));
        anyShown = anyShown || settings.columnVisible[i] == 1;
        Check(Within(settings.columnWidth[i], 0, 32767));
    }
    Check(anyShown);
    for (const td::HtmlTemplate& tpl : settings.htmlTemplates) {
        for (const td::HtmlStyleClass* style :
             {&tpl.textPage, &tpl.titlePage, &tpl.columnHeader, &tpl.columnText}) {
            Check(Within(style->fontName, 0, td::kFontNameCount - 1));
            Check(Within(style->fontStyle, 0, td::kFontStyleCount - 1));
            Check(Within(style->fontSize, 0, td::kFontSizeCount - 1));
        }
    }
    Check(settings.windowPlacement.length == 44);
    Check(Terminated(settings.languageName, sizeof settings.languageName));
    for (const auto& entry : settings.formatHistory) Check(Terminated(entry, sizeof entry));
    for (const td::ColorTheme& theme : settings.themes) Check(Terminated(theme.name, sizeof theme.name));
    (void)settings.currentTheme();
    (void)settings.currentHtmlTemplate();

    // A sanitized record is a fixed point: loading its image changes nothing.
    const std::string image = settings.toBytes();
    td::Settings again;
    Check(again.fromBytes(image.data(), image.size()));
    Check(again.toBytes() == image);
    return 0;
}
