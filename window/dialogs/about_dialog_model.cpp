#include "window/dialogs/about_dialog_model.h"

#include <cstdio>

#include "settings/lang_table.h"
#include "window/menu_model.h"

namespace td {
namespace {

constexpr int kLangProduct = 1;
constexpr int kLangCredit = 2;
constexpr int kLangAboutCaption = 280;
constexpr int kLangHelp = 281;
constexpr int kLangAbout = 282;

// An edit box breaks lines at CR LF only.
std::string withCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n' && (out.empty() || out.back() != '\r')) out += '\r';
        out += c;
    }
    return out;
}

}  // namespace

AboutDialogModel::AboutDialogModel(const PluginVersion& version)
    : caption(LangTable::getString(kLangAboutCaption)),
      credit(LangTable::getString(kLangCredit)),
      shortcuts(withCrLf(shortcutHelpText())) {
    char numbers[48];
    std::snprintf(numbers, sizeof numbers, " v%d.%d build %d", version.major, version.minor, version.build);
    title = LangTable::getString(kLangProduct) + std::string(numbers);
}

std::string AboutDialogModel::toggleLabel() const {
    return LangTable::getString(showingHelp ? kLangAbout : kLangHelp);
}

}  // namespace td
