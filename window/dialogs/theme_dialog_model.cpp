#include "window/dialogs/theme_dialog_model.h"

#include <algorithm>
#include <cstring>

namespace td {

const char* const kIconPackageNames[kIconPackageCount] = {"Tunedeck (classic)", "Tunedeck (modern)"};
const char* const kRatingPackageNames[kRatingPackageCount] = {
    "Classic", "Modern",  "Square stars", "Square stars 2",      "Heart",       "Stars alternate",
    "Ticks",   "Ticks 2", "Small stars",  "Lighten green stars", "Music notes",
};

std::string themeDisplayName(const ColorTheme& theme) {
    std::string name(theme.name, std::find(theme.name, theme.name + sizeof theme.name, '\0'));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

namespace {

uint32_t* colorField(ColorTheme& theme, int slot) {
    uint32_t* colors[kThemeColorCount] = {&theme.text,
                                          &theme.background,
                                          &theme.alternateBackground,
                                          &theme.selectedText,
                                          &theme.selectedBackground,
                                          &theme.playingText,
                                          &theme.playingBackground};
    return slot >= 0 && slot < kThemeColorCount ? colors[slot] : nullptr;
}

}  // namespace

ThemeDialogModel::ThemeDialogModel(const Settings& settings)
    : themeIndex(inRange(settings.themeIndex, 0, kThemeCount - 1) ? settings.themeIndex : 0),
      iconPackage(settings.currentIconPackage()),
      ratingPackage(settings.currentRatingPackage()) {
    std::memcpy(themes_.data(), settings.themes, sizeof settings.themes);
}

const ColorTheme& ThemeDialogModel::theme(int index) const {
    return themes_[static_cast<size_t>(inRange(index, 0, kThemeCount - 1) ? index : 0)];
}

uint32_t ThemeDialogModel::color(int slot) const {
    if (!inRange(themeIndex, 0, kThemeCount - 1)) return 0;
    const uint32_t* field = colorField(const_cast<ColorTheme&>(theme(themeIndex)), slot);
    return field ? *field : 0;
}

bool ThemeDialogModel::setColor(int slot, uint32_t color) {
    if (!colorsEditable()) return false;
    uint32_t* field = colorField(themes_[static_cast<size_t>(themeIndex)], slot);
    if (!field) return false;
    *field = color & 0x00FFFFFFu;
    return true;
}

bool ThemeDialogModel::ok(Settings& settings, Prompter&) const {
    if (!inRange(themeIndex, 0, kThemeCount - 1) || !inRange(iconPackage, 0, kIconPackageCount - 1) ||
        !inRange(ratingPackage, 0, kRatingPackageCount - 1)) {
        return false;
    }
    std::memcpy(settings.themes, themes_.data(), sizeof settings.themes);
    settings.themeIndex = themeIndex;
    settings.iconPackage = iconPackage;
    settings.ratingPackage = ratingPackage;
    return true;
}

}  // namespace td
