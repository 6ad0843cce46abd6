// The "Columns" dialog (template 146): the tag the list shows, the number and
// grid switches, and which columns are shown in which order.
#pragma once

#include <vector>

#include "window/dialogs/dialog_model.h"

namespace td {

class Settings;

class ColumnsDialogModel {
public:
    // "Selected fields:" takes the shown columns in display order,
    // "Available fields:" the hidden ones in the order they were kept.
    explicit ColumnsDialogModel(const Settings& settings);

    int viewInfoFrom;  // 0 "ID3v1", 1 "ID3v2", 2 "ID3v2 / ID3v1", 3 "ID3v1 / ID3v2"
    bool showNumber;
    bool showGrid;

    const std::vector<int>& available() const { return available_; }
    const std::vector<int>& selected() const { return selected_; }

    // The list buttons. Each returns the position in the target list of the
    // column it moved (the item to select afterwards), or -1 when the
    // position given is outside its list.
    int add(int availablePosition);      // "Add>>": to the end of the selected
    void addAll();                       // "A&dd all >>"
    int remove(int selectedPosition);    // "<< Remove": to the end of the available
    void removeAll();                    // "<< Remove all"
    int moveUp(int selectedPosition);    // "&Up" (the first stays first)
    int moveDown(int selectedPosition);  // "&Down" (the last stays last)

    // With no selected column: "At least 1 column must be present !!!"
    // (caption "Error") and false. Otherwise columnOrder becomes the
    // selected columns followed by the available ones, columnVisible 1 for
    // the selected, and the three choices are stored.
    bool ok(Settings& settings, Prompter& prompter) const;

private:
    std::vector<int> available_;
    std::vector<int> selected_;
};

}  // namespace td
