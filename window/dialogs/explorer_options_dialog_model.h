// The "Option explorer" dialog (template 166): which categories the explorer
// tree shows, one check box per category (bits 0 to 6 of explorerFields:
// Artist, Genre, ID3Tag, Comment, Mode, Album, Rating).
#pragma once

#include <cstdint>

#include "window/dialogs/dialog_model.h"

namespace td {

class Settings;

class ExplorerOptionsDialogModel {
public:
    static constexpr int kCategoryCount = 7;

    explicit ExplorerOptionsDialogModel(const Settings& settings);

    bool shown(int category) const;
    void setShown(int category, bool on);
    uint32_t fields() const { return fields_; }

    // OK: with no category checked, "Choose at least 1 field must be
    // present !!!" (caption "Information") and false, the dialog staying
    // open; otherwise stores the bits and returns true.
    bool ok(Settings& settings, Prompter& prompter);

private:
    uint32_t fields_;
};

}  // namespace td
