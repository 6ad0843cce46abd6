#include "window/dialogs/columns_dialog_model.h"

#include <array>
#include <utility>

#include "settings/settings.h"

namespace td {
namespace {

bool validPosition(const std::vector<int>& list, int position) {
    return position >= 0 && position < static_cast<int>(list.size());
}

// Moves list[position] to the end of `to`; its new position there.
int moveToEnd(std::vector<int>& from, int position, std::vector<int>& to) {
    if (!validPosition(from, position)) return -1;
    to.push_back(from[static_cast<size_t>(position)]);
    from.erase(from.begin() + position);
    return static_cast<int>(to.size()) - 1;
}

}  // namespace

ColumnsDialogModel::ColumnsDialogModel(const Settings& settings)
    : viewInfoFrom(settings.viewSource()),
      showNumber(settings.showNumber != 0),
      showGrid(settings.showGrid != 0) {
    for (int32_t id : settings.getColumnOrder()) {
        (settings.isColumnVisible(id) ? selected_ : available_).push_back(id);
    }
}

int ColumnsDialogModel::add(int availablePosition) {
    return moveToEnd(available_, availablePosition, selected_);
}

void ColumnsDialogModel::addAll() {
    selected_.insert(selected_.end(), available_.begin(), available_.end());
    available_.clear();
}

int ColumnsDialogModel::remove(int selectedPosition) {
    return moveToEnd(selected_, selectedPosition, available_);
}

void ColumnsDialogModel::removeAll() {
    available_.insert(available_.end(), selected_.begin(), selected_.end());
    selected_.clear();
}

int ColumnsDialogModel::moveUp(int selectedPosition) {
    if (!validPosition(selected_, selectedPosition)) return -1;
    if (selectedPosition == 0) return 0;
    std::swap(selected_[static_cast<size_t>(selectedPosition)],
              selected_[static_cast<size_t>(selectedPosition - 1)]);
    return selectedPosition - 1;
}

int ColumnsDialogModel::moveDown(int selectedPosition) {
    if (!validPosition(selected_, selectedPosition)) return -1;
    if (selectedPosition + 1 == static_cast<int>(selected_.size())) return selectedPosition;
    std::swap(selected_[static_cast<size_t>(selectedPosition)],
              selected_[static_cast<size_t>(selectedPosition + 1)]);
    return selectedPosition + 1;
}

bool ColumnsDialogModel::ok(Settings& settings, Prompter& prompter) const {
    if (!inRange(viewInfoFrom, 0, 3)) return false;
    if (!settings.applyColumnSelection(selected_, prompter)) return false;
    std::array<int32_t, kColumnCount> order{};
    size_t n = 0;
    for (int id : selected_) order[n++] = id;
    for (int id : available_) {
        if (n < order.size()) order[n++] = id;
    }
    settings.setColumnOrder(order);
    settings.viewInfoFrom = viewInfoFrom;
    settings.showNumber = showNumber ? 1 : 0;
    settings.showGrid = showGrid ? 1 : 0;
    return true;
}

}  // namespace td
