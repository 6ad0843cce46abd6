#include "window/dialogs/explorer_options_dialog_model.h"

#include "platform/prompter.h"
#include "settings/lang_table.h"
#include "settings/settings.h"

namespace td {

namespace {

constexpr uint32_t kCategoryMask = (1u << ExplorerOptionsDialogModel::kCategoryCount) - 1;
constexpr int kTextNoneChosen = 227;  // "Choose at least 1 field must be present !!!"
constexpr int kTextInformation = 23;

}  // namespace

ExplorerOptionsDialogModel::ExplorerOptionsDialogModel(const Settings& settings)
    : fields_(settings.explorerFields & kCategoryMask) {}

bool ExplorerOptionsDialogModel::shown(int category) const {
    return inRange(category, 0, kCategoryCount - 1) && (fields_ & (1u << category)) != 0;
}

void ExplorerOptionsDialogModel::setShown(int category, bool on) {
    if (!inRange(category, 0, kCategoryCount - 1)) return;
    if (on) {
        fields_ |= 1u << category;
    } else {
        fields_ &= ~(1u << category);
    }
}

bool ExplorerOptionsDialogModel::ok(Settings& settings, Prompter& prompter) {
    if (fields_ == 0) {
        prompter.Message(LangTable::getString(kTextNoneChosen), LangTable::getString(kTextInformation),
                         PromptButtons::Ok, PromptIcon::Information);
        return false;
    }
    settings.explorerFields = fields_;
    return true;
}

}  // namespace td
