// The "Theme Color" dialog (template 179): the colour theme in use and the
// colours of the chosen theme, the icon set and the rating symbols.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "settings/settings.h"
#include "window/dialogs/dialog_model.h"

namespace td {

// The seven colour buttons, in the order of a theme's colours.
constexpr int kThemeColorCount = 7;

// The names the icon set and rating symbol lists show, by index.
extern const char* const kIconPackageNames[kIconPackageCount];
extern const char* const kRatingPackageNames[kRatingPackageCount];
// A theme's name as the theme list shows it: without its padding blanks.
std::string themeDisplayName(const ColorTheme& theme);

class ThemeDialogModel {
public:
    // Works on a copy of the 35 themes: what the buttons change reaches the
    // Settings only on OK.
    explicit ThemeDialogModel(const Settings& settings);

    int themeIndex;     // "Apparence:", 0 to 34
    int iconPackage;    // "Package:", 0 to 1
    int ratingPackage;  // "Package rating:", 0 to 10

    // Theme 0 follows the system colours: its buttons are disabled.
    bool colorsEditable() const { return themeIndex > 0 && themeIndex < kThemeCount; }
    // Colour `slot` (0 text ... 6 playing background) of the chosen theme;
    // 0 for a slot or theme outside the lists.
    uint32_t color(int slot) const;
    // Sets colour `slot` of the chosen theme (the high byte is dropped).
    // False, and nothing changed, for theme 0 or a slot outside 0..6.
    bool setColor(int slot, uint32_t color);
    const ColorTheme& theme(int index) const;

    // An index outside its list is refused (false, nothing stored).
    // Otherwise the themes, the theme in use and both packages are stored.
    bool ok(Settings& settings, Prompter& prompter) const;

private:
    std::array<ColorTheme, kThemeCount> themes_;
};

}  // namespace td
