#include "wizards/media_wizard.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/prompter.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "tags/song_record.h"

namespace td {

const int kWizardMinutes[6] = {45, 60, 74, 80, 90, 120};

namespace {

constexpr int kLangCustomTimeError = 70;  // "Please custom time must be a number not null !!!"

// A negative length (a damaged playlist file) counts as none, as in the totals.
int64_t LengthOf(const SongRecord* entry) {
    return entry ? std::max<int32_t>(entry->GetMpegInfo().seconds, 0) : 0;
}

}  // namespace

int wizardTargetSeconds(int choice, const std::string& customText, Prompter& prompter) {
    if (choice >= 0 && choice < kWizardCustomChoice) return kWizardMinutes[choice] * 60;
    if (choice != kWizardCustomChoice) return kWizardMinutes[0] * 60;
    int minutes = 0;
    const bool digitsOnly =
        !customText.empty() && customText.size() <= kWizardCustomDigits &&
        std::all_of(customText.begin(), customText.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (digitsOnly) {
        for (char c : customText) minutes = minutes * 10 + (c - '0');
    }
    if (minutes == 0) {
        prompter.Message(LangTable::getString(kLangCustomTimeError), LangTable::getString(kLangError),
                         PromptButtons::Ok, PromptIcon::Error);
        return 0;
    }
    return minutes * 60;
}

int selectToFit(PlaylistView& view, int64_t targetSeconds) {
    const int n = view.rowCount();
    if (n == 0) return -1;
    std::vector<std::pair<int64_t, int>> table;  // (length, row)
    table.reserve(static_cast<size_t>(n));
    for (int row = 0; row < n; ++row) table.emplace_back(LengthOf(view.entryAt(row)), row);
    // Equal lengths keep row order, so the same view always gives the same
    // selection.
    std::stable_sort(table.begin(), table.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    view.suspendSelectionUpdates(true);
    int64_t sum = 0;
    for (const auto& pair : table) {
        sum += pair.first;
        if (sum >= targetSeconds) break;
        view.setSelected(pair.second, true);
    }
    view.suspendSelectionUpdates(false);
    view.recomputeSelectedLength();
    return table.front().second;
}

int applyMediaWizard(PlaylistView& view, int64_t targetSeconds) {
    view.suspendSelectionUpdates(true);
    view.selectAll(false);
    view.suspendSelectionUpdates(false);
    return selectToFit(view, targetSeconds);
}

}  // namespace td
